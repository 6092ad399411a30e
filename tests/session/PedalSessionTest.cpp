// The pedal session without any window: one gate for every send, waits that
// never block, and Disconnect that ends a wait at once.
#include "session/PedalSession.h"
#include "base/Log.h"
#include "link/HexText.h"
#include "link/ReplyRules.h"
#include "params/ParamMessages.h"
#include "virtualpedal/VirtualDriver.h"
#include "virtualpedal/VirtualPedal.h"

#include <QCoreApplication>
#include <QRegularExpression>
#include <functional>
#include <gtest/gtest.h>

namespace brivo::test {
namespace {

class SessionTest : public ::testing::Test {
  protected:
    void SetUp() override {
        auto driver = std::make_unique<VirtualDriver>(clock);
        pedal = driver->addPedal("DVIRT001", "FT230X Basic UART");
        session.driver().addDriver(std::move(driver));
        QObject::connect(&session, &PedalSession::failed,
                         [this](const QString& text) { failures.append(text); });
        session.scan(true);
        session.connectPedal();
        settle();
        ASSERT_TRUE(session.isConnected());
        session.uploadEffect(QStringLiteral("Gain"), QStringLiteral("Clean Boost"));
        settle();
        ASSERT_TRUE(failures.isEmpty()) << failures.join('|').toStdString();
        // The parameters of a three-pot effect, as its window would build them.
        ParamState& params = session.params();
        params.potCount = 3;
        params.paramCount = 3;
        for (int i = 0; i < 3; ++i)
            params.paramAddresses[static_cast<std::size_t>(i)] =
                QStringLiteral("0000%1").arg(i + 10);
        session.setShownEffect(QStringLiteral("Chorus"));
    }

    // Runs the event loop and the virtual clock until the link is free.
    void settle() {
        for (int step = 0; step < 1'000'000; ++step) {
            QCoreApplication::processEvents();
            if (clock.runDueTimers())
                continue;
            if (!session.busy())
                return;
            ASSERT_TRUE(clock.runNextTimer()) << "a wait with nothing to wake it";
        }
        FAIL() << "the conversation did not end";
    }
    void runFor(int ms) {
        const std::int64_t end = clock.nowUs() + std::int64_t{ms} * 1000;
        while (clock.hasPendingTimers() && clock.nextDueUs() <= end)
            clock.runNextTimer();
        clock.advanceUs(end - clock.nowUs());
    }
    QStringList writes() const {
        QStringList all;
        for (const WriteRecord& write : pedal->writesReceived())
            all.append(bytes_to_hex_text(write.bytes.data(), static_cast<int>(write.bytes.size())));
        return all;
    }

    VirtualClock clock;
    MemoryLog log;
    PedalSession session{clock, log};
    std::shared_ptr<VirtualPedal> pedal;
    QStringList failures;
};

struct Command {
    const char* name;
    std::function<void(PedalSession&)> run;
    // Its bytes on the wire, as hex text; empty for a command refused while busy.
    const char* firstWrite;
    bool queues;
};

// A command clicked while another one waits for the pedal's answer: it is
// refused with the busy message, or it waits its turn; it never puts a byte
// on the wire inside the other conversation.
TEST_F(SessionTest, ACommandDuringAnotherOnesWaitIsQueuedOrRefusedNeverInterleaved) {
    const std::vector<Command> commands = {
        {"Open FX", [](PedalSession& s) { s.identify(); }, "0500", false},
        {"Request", [](PedalSession& s) { s.requestStatus(); }, "0203", false},
        {"Upload", [](PedalSession& s) { s.uploadEffect("Gain", "Clean Boost"); }, "", false},
        {"Store", [](PedalSession& s) { s.store(); }, "0303", true},
        {"Assign", [](PedalSession& s) { s.assign({}); }, "04", true},
        {"Set parameter",
         [](PedalSession& s) {
             s.setParameter(1, 512, QStringLiteral("data sent pot 1: "), false);
         },
         "010000110040", true},
        {"Set limit", [](PedalSession& s) { s.setLimit(0, false, 512); }, "060000", true},
    };
    const std::vector<Command> waiting = {
        {"Open FX", [](PedalSession& s) { s.identify(); }, "0500", false},
        {"Request", [](PedalSession& s) { s.requestStatus(); }, "0203", false},
    };
    for (const Command& first : waiting) {
        for (const Command& second : commands) {
            SCOPED_TRACE(std::string(first.name) + " then " + second.name);
            settle();
            failures.clear();
            const std::size_t from = pedal->writesReceived().size();
            first.run(session);
            runFor(60); // a quick user
            ASSERT_TRUE(session.busy());
            second.run(session);
            settle();
            runFor(200);
            settle();
            const QStringList sent = writes().mid(static_cast<qsizetype>(from));
            ASSERT_FALSE(sent.isEmpty());
            EXPECT_TRUE(sent.first().startsWith(QString::fromLatin1(first.firstWrite)));
            if (second.queues) {
                EXPECT_TRUE(failures.isEmpty()) << failures.join('|').toStdString();
                ASSERT_EQ(sent.size(), 2) << sent.join(' ').toStdString();
                EXPECT_TRUE(sent.at(1).startsWith(QString::fromLatin1(second.firstWrite)))
                    << sent.join(' ').toStdString();
                // It went out after the first one's answer was read whole.
                const auto& record = pedal->writesReceived();
                EXPECT_GE(record[from + 1].atUs - record[from].atUs, 200'000);
            } else {
                EXPECT_EQ(failures, QStringList{QString::fromLatin1(kBusyText)})
                    << failures.join('|').toStdString();
                EXPECT_EQ(sent.size(), 1) << sent.join(' ').toStdString();
            }
        }
    }
}

// Disconnect while a command waits: one console line, the disconnected
// state at once, no message from the driver, and the port closed.
TEST_F(SessionTest, DisconnectDuringAWaitCancelsItWithOneLineAndNoMessage) {
    const std::vector<Command> waits = {
        {"Open FX pause", [](PedalSession& s) { s.identify(); }, "", false},
        {"Request pause", [](PedalSession& s) { s.requestStatus(); }, "", false},
        {"Upload answer", [](PedalSession& s) { s.uploadEffect("Gain", "Clean Boost"); }, "",
         false},
        {"Live loop", [](PedalSession& s) { s.setLive(true); }, "", false},
    };
    for (const Command& wait : waits) {
        SCOPED_TRACE(wait.name);
        if (!session.isConnected()) {
            session.connectPedal();
            settle();
        }
        failures.clear();
        log.lines.clear();
        wait.run(session);
        runFor(20);
        ASSERT_TRUE(session.busy());
        session.disconnectPedal();
        EXPECT_FALSE(session.busy());
        EXPECT_FALSE(session.isConnected());
        EXPECT_TRUE(failures.isEmpty()) << failures.join('|').toStdString();
        EXPECT_EQ(log.lines.filter("cancelled").size(), 1) << log.lines.join('|').toStdString();
        // Nothing of the cancelled command runs later.
        runFor(10'000);
        EXPECT_TRUE(failures.isEmpty()) << failures.join('|').toStdString();
    }
}

// The live loop: sends made meanwhile go out between two requests, and a
// command that needs the link follows the request in progress.
TEST_F(SessionTest, TheLiveLoopLetsSendsThroughBetweenRequestsAndEndsForOpenFX) {
    session.setLive(true);
    runFor(50);
    session.setParameter(2, 1023, QStringLiteral("data sent multiswitch 2: "), false);
    runFor(1000);
    ASSERT_TRUE(session.liveLoopRunning());
    session.identify();
    settle();
    EXPECT_FALSE(session.liveLoopRunning());
    EXPECT_TRUE(failures.isEmpty()) << failures.join('|').toStdString();
    const QStringList sent = writes().filter(QRegularExpression("^(02|01|05)"));
    // Requests, the send between two of them, more requests, then Open FX.
    ASSERT_GE(sent.size(), 4);
    EXPECT_TRUE(sent.at(0).startsWith("02"));
    EXPECT_TRUE(sent.at(1).startsWith("01"));
    EXPECT_TRUE(sent.last().startsWith("0500"));
    EXPECT_EQ(log.lines
                  .filter("Live Request switched off: Open FX follows the request in "
                          "progress")
                  .size(),
              1);
}

// Unplugged while nothing waits, the session hears of it at once and ends
// the connection instead of saying "connected" to a port that is gone.
TEST_F(SessionTest, AnUnplugWhileIdleEndsTheConnection) {
    int changes = 0;
    QObject::connect(&session, &PedalSession::stateChanged, [&] { ++changes; });
    pedal->unplug();
    QCoreApplication::processEvents();
    EXPECT_FALSE(session.isConnected());
    EXPECT_GE(changes, 1);
    EXPECT_EQ(log.lines.filter("connection lost").size(), 1);
    // One message that says what happened and what to do, not the driver's words.
    ASSERT_EQ(failures.size(), 1) << failures.join('|').toStdString();
    EXPECT_TRUE(failures.first().startsWith("The connection to the pedal was lost."));
}

} // namespace
} // namespace brivo::test
