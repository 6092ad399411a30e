#include "catalogue/PageColours.h"

#include <QColor>
#include <QRegularExpression>

namespace brivo {

namespace {
// One attribute of the body tag: name = "value", 'value' or value.
QString bodyAttribute(const QString& body, const QString& name) {
    const QRegularExpression attribute(
        QStringLiteral("\\s%1\\s*=\\s*(?:\"([^\"]*)\"|'([^']*)'|([^\\s>]+))").arg(name),
        QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch match = attribute.match(body);
    if (!match.hasMatch())
        return {};
    for (int i = 1; i <= 3; ++i) {
        if (match.capturedStart(i) >= 0)
            return match.captured(i).trimmed();
    }
    return {};
}
} // namespace

QString page_text_colour(const QByteArray& page) {
    static const QRegularExpression bodyTag(QStringLiteral("<body(\\s[^>]*)?>"),
                                            QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch body = bodyTag.match(QString::fromLatin1(page));
    if (!body.hasMatch())
        return {};
    const QString tag = body.captured(0);
    const QString text = bodyAttribute(tag, QStringLiteral("text"));
    if (QColor::isValidColorName(text))
        return QColor(text).name();
    if (!bodyAttribute(tag, QStringLiteral("bgcolor")).isEmpty())
        return QStringLiteral("#000000");
    return {};
}

QString page_style_sheet(const QString& textColour) {
    if (textColour.isEmpty())
        return {};
    return QStringLiteral("body { color: %1; }").arg(textColour);
}

} // namespace brivo
