// The brivo-cli program as a script runs it, against brivo-virtual-pedal on a
// pseudo-terminal: real processes, the serial-port driver, the real clock.
#include <QElapsedTimer>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>

#include <gtest/gtest.h>

namespace brivo {
namespace {

struct ProgramRun {
    int status = -1;
    QString out;
    QString err;
};

class CliProgram : public ::testing::Test {
  protected:
    void TearDown() override {
        if (pedal.state() != QProcess::NotRunning) {
            pedal.terminate();
            if (!pedal.waitForFinished(3000))
                pedal.kill();
        }
    }

    // Starts the pedal; the pty's path it printed, or empty.
    QString startPedal(const QStringList& arguments) {
        pedal.start(QStringLiteral(BRIVO_VIRTUAL_PEDAL_PROGRAM), arguments);
        if (!pedal.waitForStarted(5000))
            return {};
        QElapsedTimer timer;
        timer.start();
        while (!pedal.canReadLine() && timer.elapsed() < 5000)
            pedal.waitForReadyRead(100);
        return QString::fromLocal8Bit(pedal.readLine()).trimmed();
    }

    static ProgramRun cli(const QStringList& arguments) {
        QProcess program;
        program.start(QStringLiteral(BRIVO_CLI_PROGRAM), arguments);
        ProgramRun run;
        if (!program.waitForFinished(30'000)) {
            program.kill();
            program.waitForFinished();
            ADD_FAILURE() << "brivo-cli did not end";
            return run;
        }
        run.status = program.exitStatus() == QProcess::NormalExit ? program.exitCode() : -1;
        run.out = QString::fromUtf8(program.readAllStandardOutput());
        run.err = QString::fromUtf8(program.readAllStandardError());
        return run;
    }

    QProcess pedal;
};

TEST_F(CliProgram, UploadThenStatusThroughThePtyPedal) {
    const QString path = startPedal({});
    if (path.isEmpty())
        GTEST_SKIP() << "no pseudo-terminal: " << pedal.readAllStandardError().toStdString();

    const ProgramRun upload = cli({"--port", path, "upload", "Chorus"});
    EXPECT_EQ(upload.status, 0) << upload.err.toStdString();
    EXPECT_EQ(upload.out, "Upload Completed\n");
    EXPECT_TRUE(upload.err.contains("Uploading: 100%\n")) << upload.err.toStdString();

    const ProgramRun set = cli({"--port", path, "set", "Rate", "640"});
    EXPECT_EQ(set.status, 0) << set.err.toStdString();
    EXPECT_EQ(set.out, "Rate: 640\n");

    const ProgramRun status = cli({"--port", path, "status", "--json"});
    EXPECT_EQ(status.status, 0) << status.err.toStdString();
    EXPECT_TRUE(status.err.isEmpty()) << status.err.toStdString();
    const QJsonObject root = QJsonDocument::fromJson(status.out.toUtf8()).object();
    EXPECT_EQ(root["effect"].toString(), "Chorus");
    EXPECT_EQ(root["parameters"].toArray()[0].toObject()["value"].toInt(), 640)
        << "the value set by the previous run, read back from the pedal";
}

TEST_F(CliProgram, ASilentPedalEndsWithOneMessageAndStatusOne) {
    const QString path = startPedal({"--silent"});
    if (path.isEmpty())
        GTEST_SKIP() << "no pseudo-terminal: " << pedal.readAllStandardError().toStdString();
    const ProgramRun identify = cli({"--port", path, "identify"});
    EXPECT_EQ(identify.status, 1);
    EXPECT_EQ(identify.err,
              "brivo-cli: The pedal did not answer. Check the cable and try again.\n");
    EXPECT_TRUE(identify.out.isEmpty()) << identify.out.toStdString();
}

TEST_F(CliProgram, NoPedalAndAnUnknownEffectFailWithoutTouchingAnything) {
    const ProgramRun none = cli({"--driver", "virtual", "--port", "/dev/null", "list"});
    EXPECT_EQ(none.status, 2) << "the options contradict each other";
    EXPECT_EQ(none.err, "brivo-cli: --port names a serial port: it needs the serial driver.\n");

    const ProgramRun unknown = cli({"--virtual-pedal", "upload", "Chorsu"});
    EXPECT_EQ(unknown.status, 2);
    EXPECT_TRUE(unknown.err.startsWith("brivo-cli: Unknown effect \"Chorsu\". The effects are: "
                                       "Clean Boost, "))
        << unknown.err.toStdString();
    EXPECT_TRUE(unknown.out.isEmpty());

    const ProgramRun version = cli({"--version"});
    EXPECT_EQ(version.status, 0);
    EXPECT_TRUE(version.out.startsWith("brivo-cli ")) << version.out.toStdString();
}

} // namespace
} // namespace brivo
