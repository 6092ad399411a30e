// Replies out of the ordinary: identities the editor cannot read, an identity
// in pieces behind an older reply, upload answers of odd lengths, a status
// reply with a byte that is no digit.
#include "EffectCommandsFixture.h"

#include "base/PrintableText.h"

#include "app/Editor.h"
#include "link/ReplyRules.h"
#include "link/d2xx/Driver.h"

#include <QCheckBox>
#include <QLabel>
#include <QProgressBar>
#include <QRegularExpression>
#include <QSlider>
#include <QTimer>
#include <algorithm>
#include <deque>
#include <functional>

namespace brivo::test {
namespace {

using EdgeCaseReplies = EffectCommandsJourney;

// An open pedal whose replies lose their CRs on the way when `dropCr` is
// set, so its lines end with a lone LF. Everything else passes through.
class LoneLineFeedPort final : public Port {
  public:
    LoneLineFeedPort(std::unique_ptr<Port> inner, const bool& dropCr)
        : inner_(std::move(inner)), dropCr_(dropCr) {}

    FT_STATUS setBaudRate(DWORD baud) override { return inner_->setBaudRate(baud); }
    FT_STATUS setDataCharacteristics(UCHAR wordLength, UCHAR stopBits, UCHAR parity) override {
        return inner_->setDataCharacteristics(wordLength, stopBits, parity);
    }
    FT_STATUS purge(DWORD mask) override {
        if (mask & FT_PURGE_RX)
            pending_.clear();
        return inner_->purge(mask);
    }
    FT_STATUS getQueueStatus(DWORD* queued) override {
        const FT_STATUS status = pull();
        if (status == FT_OK)
            *queued = static_cast<DWORD>(pending_.size());
        return status;
    }
    FT_STATUS read(std::uint8_t* buffer, DWORD count, DWORD* got) override {
        const FT_STATUS status = pull();
        const auto n = std::min<std::size_t>(count, pending_.size());
        std::copy_n(pending_.begin(), n, buffer);
        pending_.erase(pending_.begin(), pending_.begin() + static_cast<std::ptrdiff_t>(n));
        *got = static_cast<DWORD>(n);
        return status;
    }
    FT_STATUS write(const std::uint8_t* data, DWORD count, DWORD* written) override {
        return inner_->write(data, count, written);
    }
    FT_STATUS readEE(DWORD wordAddress, WORD* value) override {
        return inner_->readEE(wordAddress, value);
    }
    FT_STATUS close() override { return inner_->close(); }

  private:
    FT_STATUS pull() {
        DWORD queued = 0;
        FT_STATUS status = inner_->getQueueStatus(&queued);
        if (status != FT_OK || queued == 0)
            return status;
        std::vector<std::uint8_t> bytes(queued);
        DWORD got = 0;
        status = inner_->read(bytes.data(), queued, &got);
        for (DWORD i = 0; i < got; ++i)
            if (!(dropCr_ && bytes[i] == '\r'))
                pending_.push_back(bytes[i]);
        return status;
    }

    std::unique_ptr<Port> inner_;
    const bool& dropCr_;
    std::deque<std::uint8_t> pending_;
};

// Lists one more bridge, which is the virtual pedal `innerSerial` seen
// through a LoneLineFeedPort.
class LoneLineFeedDriver final : public Driver {
  public:
    static constexpr const char* kSerial = "DLONELF1";

    LoneLineFeedDriver(Driver& inner, std::string innerSerial)
        : inner_(inner), innerSerial_(std::move(innerSerial)) {}

    std::string name() const override { return "lone-lf"; }
    FT_STATUS listDevices(std::vector<ListedDevice>& devices) override {
        devices = {{kSerial, VirtualPedal::kDefaultDescription}};
        return FT_OK;
    }
    FT_STATUS open(const std::string& serialNumber, std::unique_ptr<Port>& port) override {
        if (serialNumber != kSerial)
            return FT_DEVICE_NOT_FOUND;
        std::unique_ptr<Port> inner;
        const FT_STATUS status = inner_.open(innerSerial_, inner);
        if (status == FT_OK)
            port = std::make_unique<LoneLineFeedPort>(std::move(inner), dropCr);
        return status;
    }

    bool dropCr = false;

  private:
    Driver& inner_;
    std::string innerSerial_;
};

// Connected to the pedal through the lone-LF bridge, listed last so Connect takes it.
class LoneLineFeedReplies : public EffectCommandsJourney {
  protected:
    void SetUp() override {
        pedal = h.plugPedal();
        h.start();
        auto driver = std::make_unique<LoneLineFeedDriver>(*h.driver, pedal->serialNumber());
        lineEnds = driver.get();
        h.editor().session.driver().addDriver(std::move(driver));
        h.connect();
        ASSERT_EQ(h.editor().session.link().deviceSerialNumber, LoneLineFeedDriver::kSerial);
        ASSERT_TRUE(pedal->isOpen());
    }

    LoneLineFeedDriver* lineEnds = nullptr;
};

TEST_F(LoneLineFeedReplies, IdentityLinesEndedByALoneLineFeedAreRefusedAndChangeNothing) {
    uploadAndOpen("Dynamic", "Noise Gate");
    ASSERT_EQ(main().lblFirmwareVersion->text(), "Firmware Version: 5");
    fx().close();
    pedal->setFirmwareVersion(7);
    lineEnds->dropCr = true;
    clearConsole();

    h.click(main().btnOpenEffect);

    // No CR anywhere: the first field takes the whole reply, the second is empty.
    EXPECT_EQ(h.dialogs.messages,
              QStringList{"The pedal's answer to Open FX was not understood. Click Open FX to try "
                          "again."});
    EXPECT_FALSE(fx().isVisible());
    EXPECT_EQ(main().lblFirmwareVersion->text(), "Firmware Version: 5");
    EXPECT_EQ(editor().session.running().runningEffectNumber, 43);
    EXPECT_EQ(editor().session.running().runningEffectVersion, 2);
    EXPECT_EQ(editor().session.running().firmwareVersion, 5);
    EXPECT_TRUE(h.consoleLines().filter("effect number DEC: ").isEmpty())
        << h.consoleLines().join('|').toStdString();
    EXPECT_FALSE(main().btnRequest->isEnabled());
    EXPECT_TRUE(main().btnOpenEffect->isEnabled());
    EXPECT_FALSE(editor().session.busy());

    // The same pedal with its CRs back is read again.
    lineEnds->dropCr = false;
    h.dialogs.messages.clear();
    h.click(main().btnOpenEffect);
    EXPECT_TRUE(h.dialogs.messages.isEmpty()) << h.dialogs.messages.join('|').toStdString();
    EXPECT_EQ(main().lblFirmwareVersion->text(), "Firmware Version: 7");
    EXPECT_EQ(fx().windowTitle(), "Noise Gate v2");
}

TEST_F(EdgeCaseReplies, AnEffectNumberBeyondTheCatalogueIsReportedAndOpensNothing) {
    // A program from a newer catalogue: effect number 59 at byte 35.
    h.clickCategory("Impulse Response");
    h.clickEffect("Cabinet IR Basic");
    QString program = resources::load_resource_lines("CABINET_IR_BASIC").value(0);
    program.replace(2 * 35, 2, "3B");
    editor().session.setIrProgram(program, "Cabinet IR Basic");
    h.click(main().btnUpload);
    ASSERT_EQ(pedal->runningEffectNumber(), 59);
    fx().close();
    h.dialogs.messages.clear();
    clearConsole();

    h.click(main().btnOpenEffect);

    EXPECT_EQ(h.dialogs.messages, QStringList{"List index out of bounds (59)"});
    EXPECT_TRUE(h.consoleLines().contains("effect number DEC: 59"));
    EXPECT_TRUE(h.consoleLines().filter("effetto ottenuto dalla lista: ").isEmpty());
    EXPECT_FALSE(fx().isVisible());
    EXPECT_FALSE(main().btnRequest->isEnabled());
    EXPECT_EQ(editor().session.running().runningEffectName, "");
    EXPECT_EQ(editor().catalogue.currentEffectName, "Cabinet IR Basic");
    EXPECT_FALSE(editor().session.busy());
}

TEST_F(EdgeCaseReplies, IdentityInPiecesBehindAnOlderLongerReplyOpensTheRightEffect) {
    // A status reply and an upload answer leave their bytes in the receive buffer.
    uploadOpenAndRequest("Gain", "Fuzz+Octave");
    upload("Dynamic", "Noise Gate");
    // Pieces closer together than the link's quiet time: the first read ends
    // inside the effect number, the rest follow in two more reads.
    pedal->setSplitReplies(4, 60);
    clearConsole();

    h.click(main().btnOpenEffect);

    EXPECT_TRUE(h.dialogs.messages.isEmpty()) << h.dialogs.messages.join('|').toStdString();
    EXPECT_EQ(editor().session.running().runningEffectName, "Noise Gate");
    EXPECT_EQ(fx().windowTitle(), "Noise Gate v2");
    EXPECT_EQ(main().lblFirmwareVersion->text(), "Firmware Version: 5");
    EXPECT_EQ(main().lstEffects->currentItem()->text(), "Noise Gate");
    // "BRIVO", 43, 2 and 5, each with CR LF.
    EXPECT_TRUE(h.consoleLines().contains("num of bytes received: 17"))
        << h.consoleLines().join('|').toStdString();
}

TEST_F(EdgeCaseReplies, UploadAnswersShowTheirFirst17Bytes) {
    const QString completed = QStringLiteral("Upload Completed") + QChar(0);
    struct Case {
        const char* name;
        std::function<void(VirtualPedal&)> fault;
        QString label;
        bool answered;
        int reads;
    };
    const Case cases[] = {
        {"whole", [](VirtualPedal&) {}, completed, true, 1},
        {"longer, in one read",
         [](VirtualPedal& p) {
             p.injectGarbage({'A', 'n', 's', 'w', 'e', 'r', ':', ' '});
         },
         "Answer: Upload Co", true, 1},
        {"in pieces closer than the quiet time", [](VirtualPedal& p) { p.setSplitReplies(6, 30); },
         completed, true, 3},
        {"cut off, padded with zero characters",
         [](VirtualPedal& p) { p.setSplitReplies(10, 2000); },
         QStringLiteral("Upload Com") + QString(7, QChar(0)), true, 1},
        {"none", [](VirtualPedal& p) { p.setSilent(true); }, "Status: no answer from the pedal",
         false, 0},
    };
    h.clickCategory("Gain");
    h.clickEffect("Clean Boost");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        c.fault(*pedal);
        editor().session.params().minLimits[0] = 100;
        h.dialogs.messages.clear();
        clearConsole();

        h.click(main().btnUpload);

        // The label shows no zero or control characters; the console shows them visibly.
        EXPECT_EQ(main().lblStatus->text(), strip_control_characters(c.label));
        EXPECT_FALSE(main().prgUpload->isVisible());
        EXPECT_FALSE(editor().session.busy());
        // One console line per read that brought bytes.
        const QStringList received = h.consoleLines().filter(QRegularExpression("^received: "));
        EXPECT_EQ(received.size(), c.reads) << received.join('|').toStdString();
        if (c.answered) {
            EXPECT_TRUE(h.dialogs.messages.isEmpty()) << h.dialogs.messages.join('|').toStdString();
            if (!received.isEmpty()) {
                EXPECT_EQ(received.last(), "received: " + visible_control_characters(c.label));
            }
            EXPECT_EQ(editor().session.params().minLimits[0], 0u);
        } else {
            EXPECT_EQ(h.dialogs.messages, QStringList{kNoReplyText});
            EXPECT_EQ(editor().session.params().minLimits[0], 100u);
        }
        EXPECT_EQ(pedal->lastUpload(), programOf("CLEAN_BOOST"));

        // Back to a well-behaved pedal, with whatever was late gone by.
        pedal->setSilent(false);
        pedal->setSplitReplies(0, 0);
        h.clock.advanceMs(20000);
    }
}

TEST_F(EdgeCaseReplies, AStatusByteThatIsNoDigitEndsTheLiveLoopWithTheConversionError) {
    uploadOpenAndRequest("Gain", "Clean Boost");
    pedal->setParameterValue(0, 640);
    // "?" is 3F: its low hex digit F is read as a decimal digit.
    pedal->injectGarbage({'?', '\r', '\n'});
    const std::size_t from = mark();
    const auto statusRequests = [&] {
        return writesSince(from).filter(QRegularExpression("^02..$")).size();
    };
    // Should the loop not end by itself, untick the box rather than hang.
    QTimer guard;
    guard.setInterval(0);
    QObject::connect(&guard, &QTimer::timeout, [&] {
        if (statusRequests() >= 3) {
            guard.stop();
            h.click(main().chkLiveRequest);
        }
    });
    guard.start();
    ASSERT_TRUE(main().btnRequest->isEnabled());

    // Ticked while Request is offered, the box starts the loop at once.
    h.click(main().chkLiveRequest);

    EXPECT_EQ(h.dialogs.messages,
              QStringList{"The pedal's answer was not a status record: line 1 is not a decimal "
                          "number. Click Request to try again."});
    EXPECT_EQ(statusRequests(), 1);
    EXPECT_TRUE(guard.isActive());
    EXPECT_EQ(fx().trkPot(0)->value(), 0);
    EXPECT_TRUE(main().btnRequest->isEnabled());
    EXPECT_FALSE(editor().session.busy());
}

} // namespace
} // namespace brivo::test
