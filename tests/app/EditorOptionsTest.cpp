#include "app/EditorOptions.h"

#include <QProcess>
#include <QProcessEnvironment>
#include <gtest/gtest.h>

namespace brivo {
namespace {

using Answer = EditorOptions::TextAnswer;

TEST(EditorOptions, HelpAndVersionAreAnsweredWithText) {
    const struct {
        QStringList arguments;
        Answer answer;
    } cases[] = {
        {{}, Answer::None},
        {{"--driver", "serial"}, Answer::None},
        {{"--help"}, Answer::Help},
        {{"-h"}, Answer::Help},
        {{"--help-all"}, Answer::Help},
        {{"--version"}, Answer::Version},
        {{"-v"}, Answer::Version},
        {{"--port", "/dev/pts/3", "--version"}, Answer::Version},
        // Qt's own window options stop the parser, not the question.
        {{"-platform", "xcb", "--help"}, Answer::Help},
        {{"-platform", "xcb"}, Answer::None},
        // A value that looks like the flag is a value.
        {{"--port", "--help"}, Answer::None},
        // After "--" nothing is an option.
        {{"-platform", "xcb", "--", "--help"}, Answer::None},
    };
    for (const auto& c : cases) {
        EditorOptions options;
        EXPECT_EQ(options.textAnswerFor(QStringList{"brivo-editor"} + c.arguments), c.answer)
            << c.arguments.join(' ').toStdString();
    }
}

// Over ssh or in a package script there is no display at all.
TEST(EditorOptions, TheProgramAnswersHelpAndVersionWithoutADisplay) {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        environment.remove(QString::fromLatin1(name));
    const struct {
        const char* argument;
        const char* expected;
    } cases[] = {
        {"--help", "--port <path>"},
        {"--version", "brivo-editor " BRIVO_VERSION_TEXT},
    };
    for (const auto& c : cases) {
        QProcess program;
        program.setProcessEnvironment(environment);
        program.start(QStringLiteral(BRIVO_EDITOR_PROGRAM), {QString::fromLatin1(c.argument)});
        ASSERT_TRUE(program.waitForFinished(20000)) << c.argument;
        EXPECT_EQ(program.exitStatus(), QProcess::NormalExit) << c.argument;
        EXPECT_EQ(program.exitCode(), 0) << c.argument;
        const QString out = QString::fromLocal8Bit(program.readAllStandardOutput());
        EXPECT_TRUE(out.contains(QString::fromLatin1(c.expected))) << out.toStdString();
    }
}

} // namespace
} // namespace brivo
