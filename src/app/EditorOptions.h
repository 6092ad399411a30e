#pragma once

#include "session/DriverOptions.h"

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QStringList>

namespace brivo {

// brivo-editor's command line: help, version, the driver options and the
// version-check address.
class EditorOptions {
  public:
    EditorOptions();

    // What the command line (program name first) asks that is answered with
    // text alone. Such a command line is handled without any window system,
    // so it works with no display (over ssh, in a package script). Options
    // Qt's windows take (-platform, say) do not hide a --help beside them.
    enum class TextAnswer { None, Help, Version };
    TextAnswer textAnswerFor(const QStringList& arguments);

    QCommandLineParser parser;
    DriverOptions drivers;
    QCommandLineOption versionCheckSite;

  private:
    QCommandLineOption help_;
    QCommandLineOption version_;
};

} // namespace brivo
