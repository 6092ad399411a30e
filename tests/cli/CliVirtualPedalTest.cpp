// brivo-cli in process against the virtual pedal on the virtual clock: each
// command's output, exit status and what the pedal received, and failures.
#include "cli/Cli.h"

#include "catalogue/ResourceName.h"
#include "catalogue/Resources.h"
#include "firmware/FirmwareUpgrade.h"
#include "ir/IrSplice.h"
#include "link/HexText.h"
#include "link/ReplyRules.h"
#include "virtualpedal/VirtualDriver.h"

#include "ir/RiffWriter.h"

#include <QCoreApplication>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace brivo::test {
namespace {

// Lends the test's virtual pedals to each run's session, so the pedal keeps
// its state from one command to the next as a real one does.
class LentDriver final : public Driver {
  public:
    explicit LentDriver(VirtualDriver& inner) : inner_(inner) {}
    std::string name() const override { return inner_.name(); }
    FT_STATUS listDevices(std::vector<ListedDevice>& devices) override {
        return inner_.listDevices(devices);
    }
    std::vector<std::string> inaccessibleDevices() const override {
        return inner_.inaccessibleDevices();
    }
    FT_STATUS open(const std::string& serial, std::unique_ptr<Port>& port) override {
        return inner_.open(serial, port);
    }

  private:
    VirtualDriver& inner_;
};

struct Outcome {
    int status = -1;
    QString out;
    QString err;
};

class CliCommand : public ::testing::Test {
  public:
    void SetUp() override { pedal = pedals.addPedal(); }

    Outcome run(const QStringList& arguments) {
        Outcome result;
        QTextStream out(&result.out);
        QTextStream err(&result.err);
        {
            cli::Cli cli(clock, out, err, [this](const QCommandLineParser&, D2xx& d2xx, Clock&) {
                if (plugged)
                    d2xx.addDriver(std::make_unique<LentDriver>(pedals));
                return QString();
            });
            Task<int> task = cli.run(QStringList{"brivo-cli"} + arguments);
            bool done = false;
            task.start([&done] { done = true; });
            for (int step = 0; !done && step < 1'000'000; ++step) {
                QCoreApplication::processEvents();
                if (clock.runDueTimers())
                    continue;
                if (!done && !clock.runNextTimer()) {
                    ADD_FAILURE() << "a wait with nothing to wake it";
                    return result;
                }
            }
            EXPECT_TRUE(done);
            result.status = task.result();
            // Every run leaves the port free for the next program.
            EXPECT_FALSE(cli.session().isConnected());
        }
        out.flush();
        err.flush();
        return result;
    }

    // The hex text of each message the pedal received from `from` on.
    QStringList writes(std::size_t from = 0) const {
        QStringList all;
        const auto& record = pedal->writesReceived();
        for (std::size_t i = from; i < record.size(); ++i)
            all.append(bytes_to_hex_text(record[i].bytes.data(),
                                         static_cast<int>(record[i].bytes.size())));
        return all;
    }

    void uploadChorus() {
        const Outcome upload = run({"upload", "Chorus"});
        ASSERT_EQ(upload.status, 0) << upload.err.toStdString();
    }

    VirtualClock clock;
    VirtualDriver pedals{clock};
    std::shared_ptr<VirtualPedal> pedal;
    bool plugged = true;
    QTemporaryDir folder;
};

QByteArray programBytes(const QString& effect) {
    return QByteArray::fromHex(
        resources::load_resource_lines(resource_name_of(effect)).value(0).toLatin1());
}

QByteArray bytesOf(const std::vector<std::uint8_t>& bytes) {
    return QByteArray(reinterpret_cast<const char*>(bytes.data()),
                      static_cast<qsizetype>(bytes.size()));
}

TEST_F(CliCommand, UploadSendsTheProgramAndReportsThePedalsAnswerWithProgressOnStderr) {
    const Outcome upload = run({"upload", "chorus"});
    EXPECT_EQ(upload.status, 0) << upload.err.toStdString();
    EXPECT_EQ(upload.out, "Upload Completed\n");
    EXPECT_TRUE(upload.err.startsWith("Uploading: 0%\n")) << upload.err.toStdString();
    EXPECT_TRUE(upload.err.endsWith("Uploading: 100%\n")) << upload.err.toStdString();
    EXPECT_EQ(bytesOf(pedal->lastUpload()), programBytes("Chorus"));
    ASSERT_EQ(writes().size(), 1);

    const Outcome identify = run({"identify"});
    EXPECT_EQ(identify.status, 0);
    EXPECT_EQ(identify.out, QStringLiteral("Effect: Chorus\nEffect number: %1\nEffect version: "
                                           "%2\nFirmware version: %3\n")
                                .arg(pedal->runningEffectNumber())
                                .arg(pedal->runningEffectVersion())
                                .arg(pedal->firmwareVersion()));
    EXPECT_TRUE(identify.err.isEmpty()) << identify.err.toStdString();
}

TEST_F(CliCommand, IdentifyOfAnEmptyPedalSaysNoneAndSucceeds) {
    const Outcome identify = run({"identify"});
    EXPECT_EQ(identify.status, 0) << identify.err.toStdString();
    EXPECT_TRUE(identify.out.startsWith("Effect: none\nEffect number: 0\n"))
        << identify.out.toStdString();
    EXPECT_TRUE(identify.err.isEmpty()) << identify.err.toStdString();
    EXPECT_EQ(writes(), QStringList{"0500"});
}

TEST_F(CliCommand, StatusShowsTheRunningEffectsValuesAssignmentsReverseFlagsAndLimits) {
    uploadChorus();
    pedal->setParameterValue(0, 700);
    pedal->setParameterValue(4, 682);
    const Outcome text = run({"status"});
    EXPECT_EQ(text.status, 0) << text.err.toStdString();
    EXPECT_TRUE(text.out.contains(" 1  Rate: 700\n")) << text.out.toStdString();
    EXPECT_TRUE(text.out.contains(" 5  Voices: 3 (682)\n")) << text.out.toStdString();
    EXPECT_TRUE(text.out.endsWith("Assignments: none\nReversed: none\nLimits: none\n"));

    const Outcome json = run({"status", "--json"});
    EXPECT_EQ(json.status, 0);
    const QJsonObject root = QJsonDocument::fromJson(json.out.toUtf8()).object();
    EXPECT_EQ(root["effect"].toString(), "Chorus");
    const QJsonArray parameters = root["parameters"].toArray();
    ASSERT_EQ(parameters.size(), 5);
    EXPECT_EQ(parameters[0].toObject()["value"].toInt(), 700);
    EXPECT_EQ(parameters[4].toObject()["shown"].toString(), "3");
    // Reads never write: Open FX and the status request only.
    for (const QString& message : writes(1))
        EXPECT_TRUE(message.startsWith("0500") || message.startsWith("0205"))
            << message.toStdString();
}

TEST_F(CliCommand, SetSendsAParameterByNumberOrNameAsTheWindowsControlWould) {
    uploadChorus();
    struct Case {
        QStringList arguments;
        int index;
        int value;
        const char* out;
    };
    const std::vector<Case> cases = {
        {{"set", "Rate", "512"}, 0, 512, "Rate: 512\n"},
        {{"set", "2", "1023"}, 1, 1023, "Depth: 1023\n"},
        {{"set", "voices", "2"}, 4, 341, "Voices: 2\n"},
        {{"set", "5", "1000"}, 4, 682, "Voices: 3\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.arguments.join(' ').toStdString());
        const std::size_t from = pedal->writesReceived().size();
        const Outcome set = run(c.arguments);
        EXPECT_EQ(set.status, 0) << set.err.toStdString();
        EXPECT_EQ(set.out, c.out);
        EXPECT_EQ(pedal->parameterValue(c.index), c.value);
        // Open FX, then the seven bytes of the value.
        const QStringList sent = writes(from);
        ASSERT_EQ(sent.size(), 2) << sent.join(' ').toStdString();
        EXPECT_EQ(sent.at(0), "0500");
        EXPECT_TRUE(sent.at(1).startsWith("01")) << sent.at(1).toStdString();
        EXPECT_EQ(sent.at(1).size(), 14);
    }
}

TEST_F(CliCommand, StoreKeepsTheSettingsOnThePedal) {
    uploadChorus();
    ASSERT_EQ(run({"set", "Rate", "300"}).status, 0);
    const Outcome store = run({"store"});
    EXPECT_EQ(store.status, 0) << store.err.toStdString();
    EXPECT_EQ(store.out, "Stored the settings of Chorus on the pedal.\n");
    ASSERT_TRUE(pedal->storedSettings());
    EXPECT_EQ(pedal->storedSettings()->value(0), 300);
}

TEST_F(CliCommand, AConfigurationSavedAndLoadedBringsThePedalBack) {
    uploadChorus();
    const QString path = folder.filePath("Chorus.txt");
    // Values, an assignment with its limits and a reverse flag, put by a file.
    const QByteArray wanted = "700\r\n0\r\n12\r\n0\r\n682\r\n"
                              "EXP\r\nNA\r\nNA\r\nNA\r\nNA\r\n"
                              "T\r\nF\r\nF\r\nF\r\nF\r\n"
                              "1\r\n1\r\n1\r\n1\r\n"
                              "100\r\n100\r\n100\r\n100\r\n";
    {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(wanted);
    }
    const Outcome load = run({"config", "load", path});
    EXPECT_EQ(load.status, 0) << load.err.toStdString();
    EXPECT_EQ(pedal->parameterValue(0), 700);
    EXPECT_EQ(pedal->parameterValue(2), 12);
    EXPECT_EQ(pedal->parameterValue(4), 682);
    EXPECT_TRUE(pedal->isAssigned(1, 0));
    EXPECT_TRUE(pedal->isReversed(0));
    EXPECT_FALSE(pedal->storedSettings()) << "a load is not a store";

    const QString saved = folder.filePath("saved.txt");
    const Outcome save = run({"config", "save", saved});
    EXPECT_EQ(save.status, 0) << save.err.toStdString();
    EXPECT_EQ(save.out, "Saved the settings of Chorus to " + saved + ".\n");
    QFile file(saved);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), wanted);
}

TEST_F(CliCommand, ABadConfigurationFileChangesNothing) {
    uploadChorus();
    const QString path = folder.filePath("bad.txt");
    {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("700\r\n");
    }
    const std::size_t from = pedal->writesReceived().size();
    const Outcome load = run({"config", "load", path});
    EXPECT_EQ(load.status, 1);
    EXPECT_TRUE(load.err.startsWith("brivo-cli: The configuration file " + path +
                                    " was not loaded: line 2"))
        << load.err.toStdString();
    EXPECT_TRUE(load.err.endsWith("Nothing was changed.\n"));
    EXPECT_EQ(writes(from), QStringList{"0500"}) << "only Open FX";
}

TEST_F(CliCommand, AnImpulseResponseIsSplicedIntoItsEffectAndUploaded) {
    const IrLayout layout = *ir_layout_of("Cabinet IR Basic");
    QByteArray samples;
    std::vector<std::int32_t> expected;
    for (int i = 0; i < layout.samples; ++i) {
        const std::int32_t sample = (i * 977) % 8000000 - 4000000;
        samples += le(static_cast<std::uint32_t>(sample) & 0xFFFFFF, 3);
        expected.push_back(sample * 256);
    }
    const QString path = folder.filePath("cab.wav");
    {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(wav(fmtChunk(1, 1, 48000, 24) + chunk("data", samples)));
    }
    const Outcome ir = run({"ir", path, "--effect", "cabinet ir basic"});
    EXPECT_EQ(ir.status, 0) << ir.err.toStdString();
    EXPECT_EQ(ir.out, "Upload Completed\n");
    EXPECT_TRUE(ir.err.startsWith("cab.wav: 48000 Hz, 24 bits, 1 channel\n"))
        << ir.err.toStdString();
    const QString program =
        resources::load_resource_lines(resource_name_of("Cabinet IR Basic")).value(0);
    EXPECT_EQ(bytesOf(pedal->lastUpload()),
              QByteArray::fromHex(splice_ir(program, layout, expected).toLatin1()));
}

TEST_F(CliCommand, FirmwareIsWrittenToThePedalsBootloaderWithProgressOnStderr) {
    pedal->enterBootloader();
    const Outcome firmware = run({"firmware", "Firmware_5"});
    EXPECT_EQ(firmware.status, 0) << firmware.err.toStdString();
    EXPECT_EQ(firmware.out, QString::fromLatin1(kUpgradeCompleteText) + "\n");
    EXPECT_TRUE(firmware.err.contains("Firmware: 50%\n")) << firmware.err.toStdString();
    const QByteArray image = *resources::find("Firmware_5");
    EXPECT_EQ(bytesOf(pedal->flash()).left(image.size()), image);
    EXPECT_FALSE(pedal->inBootloader()) << "the new firmware started";
}

TEST_F(CliCommand, ARawProgramFileIsUploadedAsItStands) {
    const QString path = folder.filePath("chorus.hex");
    const QString program = resources::load_resource_lines(resource_name_of("Chorus")).value(0);
    {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(program.toLatin1() + "\r\n");
    }
    const Outcome upload = run({"upload", "--raw", path});
    EXPECT_EQ(upload.status, 0) << upload.err.toStdString();
    EXPECT_EQ(upload.out, "Upload Completed\n");
    EXPECT_EQ(bytesOf(pedal->lastUpload()), programBytes("Chorus"));

    // A program cut short: its length field no longer matches, nothing is sent.
    {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(program.left(program.size() - 2).toLatin1());
    }
    const std::size_t from = pedal->writesReceived().size();
    const Outcome cut = run({"upload", "--raw", path});
    EXPECT_EQ(cut.status, 1);
    EXPECT_TRUE(cut.err.startsWith("brivo-cli: The program's length field says "))
        << cut.err.toStdString();
    EXPECT_EQ(pedal->writesReceived().size(), from);
}

TEST_F(CliCommand, AFailedFirmwareUpgradeSaysWhichStepAndWhatToDo) {
    pedal->enterBootloader();
    pedal->setBootloaderFault(
        {BootloaderFault::Step::WriteData, BootloaderFault::Action::Nack, 0x08003000});
    const Outcome firmware = run({"firmware", "Firmware_5"});
    EXPECT_EQ(firmware.status, 1);
    EXPECT_TRUE(firmware.err.contains("brivo-cli: Firmware upgrade failed: "))
        << firmware.err.toStdString();
    EXPECT_TRUE(firmware.err.contains("08003000")) << firmware.err.toStdString();
    EXPECT_EQ(firmware.err.count("brivo-cli: "), 1);
    EXPECT_FALSE(firmware.out.contains(QString::fromLatin1(kUpgradeCompleteText)));
    EXPECT_TRUE(pedal->inBootloader());
}

// Each failure: one message on stderr, a non-zero status, nothing on stdout.
TEST_F(CliCommand, FailuresGetOneMessageAndANonZeroStatus) {
    struct Case {
        const char* what;
        QStringList arguments;
        std::function<void(CliCommand&)> prepare;
        int status;
        const char* says;
    };
    const auto upload = [](CliCommand& t) { t.uploadChorus(); };
    const std::vector<Case> cases = {
        {"unknown effect",
         {"upload", "Chorsu"},
         {},
         2,
         "brivo-cli: Unknown effect \"Chorsu\". The effects are: Clean Boost, Treble Booster,"},
        {"unknown parameter",
         {"set", "Rat", "1"},
         upload,
         2,
         "brivo-cli: Unknown parameter \"Rat\". Chorus's parameters are: Rate, Depth, Mix, Tone, "
         "Voices.\n"},
        {"value out of range",
         {"set", "Rate", "1024"},
         upload,
         2,
         "brivo-cli: Rate is a pot: give a value from 0 to 1023, not \"1024\".\n"},
        {"no pedal to list",
         {"list"},
         [](CliCommand& t) { t.plugged = false; },
         1,
         "brivo-cli: No device found\n"},
        {"a pedal without access",
         {"list"},
         [](CliCommand& t) { t.pedal->setAccessDenied(true); },
         1,
         "brivo-cli: A pedal was found but cannot be opened: "},
        {"no pedal",
         {"identify"},
         [](CliCommand& t) { t.plugged = false; },
         1,
         "brivo-cli: No device found\n"},
        {"silent pedal",
         {"identify"},
         [](CliCommand& t) { t.pedal->setSilent(true); },
         1,
         "brivo-cli: The pedal did not answer. Check the cable and try again.\n"},
        {"silent during an upload",
         {"upload", "Chorus"},
         [](CliCommand& t) { t.pedal->setSilent(true); },
         1,
         "brivo-cli: The pedal did not answer. Check the cable and try again.\n"},
        {"no effect loaded",
         {"status"},
         {},
         1,
         "brivo-cli: The pedal has no effect loaded: upload one first (brivo-cli upload "
         "EFFECT).\n"},
        {"no bootloader",
         {"firmware", "Firmware_5"},
         {},
         1,
         "brivo-cli: The pedal's bootloader did not answer"},
        {"unknown image",
         {"firmware", "Firmware_9"},
         {},
         2,
         "brivo-cli: No firmware file or built-in image \"Firmware_9\"."},
        {"an impulse response for an effect without one",
         {"ir", "x.wav", "--effect", "Chorus"},
         {},
         2,
         "brivo-cli: Unknown impulse-response effect \"Chorus\". The impulse-response effects "
         "are: Overdrive + Cabinet IR, Fuzz + Cabinet IR, Cabinet IR Basic.\n"},
        {"unknown command", {"tune"}, {}, 2, "brivo-cli: Unknown command \"tune\"."},
        {"an option of another command",
         {"identify", "--json"},
         {},
         2,
         "brivo-cli: --json belongs to the status command.\n"},
        {"no command", {}, {}, 2, "brivo-cli: no command given."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        // A new pedal each time, empty as from the factory.
        ASSERT_TRUE(pedals.removePedal(VirtualPedal::kDefaultSerial));
        pedal = pedals.addPedal();
        plugged = true;
        if (c.prepare)
            c.prepare(*this);
        const Outcome failed = run(c.arguments);
        EXPECT_EQ(failed.status, c.status);
        // Progress lines may come first; the message is the last line.
        const QString message = failed.err.mid(failed.err.indexOf("brivo-cli: "));
        EXPECT_TRUE(message.startsWith(QString::fromUtf8(c.says))) << failed.err.toStdString();
        EXPECT_EQ(failed.err.count("brivo-cli: "), 1) << failed.err.toStdString();
        EXPECT_FALSE(failed.out.contains("Upload Completed")) << failed.out.toStdString();
        EXPECT_FALSE(pedal->isOpen()) << "the port is closed after a failure too";
    }
}

TEST_F(CliCommand, AnUnknownEffectSendsNothing) {
    const Outcome upload = run({"upload", "Chorsu"});
    EXPECT_EQ(upload.status, 2);
    EXPECT_TRUE(upload.err.contains(", Tuner.\n"));
    EXPECT_TRUE(writes().isEmpty());
    EXPECT_FALSE(pedal->isOpen());
}

TEST_F(CliCommand, HelpAndVersionNeedNoPedal) {
    const Outcome help = run({"--help"});
    EXPECT_EQ(help.status, 0);
    for (const char* text :
         {"list", "effects", "params EFFECT", "upload --raw FILE", "--json", "config save FILE",
          "ir WAV --effect EFFECT", "firmware IMAGE", "--driver", "--port", "--virtual-pedal"})
        EXPECT_TRUE(help.out.contains(QString::fromLatin1(text))) << text;
    const Outcome version = run({"--version"});
    EXPECT_EQ(version.status, 0);
    EXPECT_TRUE(version.out.startsWith("brivo-cli ")) << version.out.toStdString();
    EXPECT_TRUE(writes().isEmpty());
}

TEST_F(CliCommand, ListShowsThePedalsFound) {
    pedals.addPedal("DVIRT002");
    const Outcome list = run({"list"});
    EXPECT_EQ(list.status, 0);
    EXPECT_EQ(list.out, "DVIRT001\tFT230X Basic UART\nDVIRT002\tFT230X Basic UART\n");
}

} // namespace
} // namespace brivo::test
