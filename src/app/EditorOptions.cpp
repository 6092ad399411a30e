#include "app/EditorOptions.h"

namespace brivo {

EditorOptions::EditorOptions()
    : versionCheckSite(
          QStringLiteral("version-check-site"),
          QStringLiteral("Ask this web site (https://host) for the latest version once at start; "
                         "an empty address turns the check off. Default: \"%1\".")
              .arg(QStringLiteral(BRIVO_VERSION_CHECK_SITE)),
          QStringLiteral("address"), QStringLiteral(BRIVO_VERSION_CHECK_SITE)),
      help_(QStringLiteral("_")), version_(QStringLiteral("_")) {
    parser.setApplicationDescription(QStringLiteral("Editor for the Tandrel Brivo effects pedal."));
    help_ = parser.addHelpOption();
    version_ = parser.addVersionOption();
    drivers.addTo(parser);
    parser.addOption(versionCheckSite);
}

EditorOptions::TextAnswer EditorOptions::textAnswerFor(const QStringList& arguments) {
    if (parser.parse(arguments)) {
        if (parser.isSet(help_) || parser.isSet(QStringLiteral("help-all")))
            return TextAnswer::Help;
        return parser.isSet(version_) ? TextAnswer::Version : TextAnswer::None;
    }
    // The parser stops at an option it does not know, such as Qt's own
    // -platform, which only the window system takes off the line: look for
    // the flags themselves.
    for (const QString& argument : arguments.mid(1)) {
        if (argument == QLatin1String("--"))
            break;
        for (const QString& name : help_.names() + QStringList{QStringLiteral("help-all")}) {
            if (argument == (name.size() == 1 ? "-" : "--") + name)
                return TextAnswer::Help;
        }
        for (const QString& name : version_.names()) {
            if (argument == (name.size() == 1 ? "-" : "--") + name)
                return TextAnswer::Version;
        }
    }
    return TextAnswer::None;
}

} // namespace brivo
