// The pedal session without any window: one gate for every send, waits that
// never block, and Disconnect that ends a wait at once.
#include "session/PedalSession.h"
#include "base/Log.h"
#include "catalogue/ResourceName.h"
#include "catalogue/Resources.h"
#include "firmware/FirmwareUpgrade.h"
#include "link/HexText.h"
#include "link/ReplyRules.h"
#include "params/ParamMessages.h"
#include "support/ScriptedDialogs.h"
#include "virtualpedal/VirtualDriver.h"
#include "virtualpedal/VirtualPedal.h"

#include <QCoreApplication>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <algorithm>
#include <array>
#include <functional>
#include <gtest/gtest.h>
#include <optional>
#include <utility>

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
        QObject::connect(&session, &PedalSession::notice,
                         [this](const QString& text) { notices.append(text); });
        // Who holds the link, and when a status reply was read, as places in
        // the pedal's record of writes: what each write belongs to.
        QObject::connect(&session, &PedalSession::stateChanged, [this] {
            if (holders.empty() || holders.back().second != session.current())
                holders.emplace_back(writeCount(), session.current());
        });
        QObject::connect(&session, &PedalSession::statusRead,
                         [this](bool) { statusReads.push_back(writeCount()); });
        QObject::connect(&session, &PedalSession::liveChanged,
                         [this](bool running) { liveShown = running; });
        QObject::connect(&session, &PedalSession::uploadProgress,
                         [this](int percent) { progressShown = percent; });
        // The program Upload File sends: Clean Boost's, as its hex digit pairs.
        QFile raw(rawFile());
        ASSERT_TRUE(raw.open(QIODevice::WriteOnly));
        raw.write(
            resources::load_resource_lines(resource_name_of("Clean Boost")).value(0).toLatin1() +
            "\r\n");
        raw.close();
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
    QStringList writes() const { return writesFrom(0); }
    QStringList writesFrom(std::size_t from) const {
        QStringList all;
        const auto& record = pedal->writesReceived();
        for (std::size_t i = from; i < record.size(); ++i)
            all.append(bytes_to_hex_text(record[i].bytes.data(),
                                         static_cast<int>(record[i].bytes.size())));
        return all;
    }
    std::size_t writeCount() const { return pedal->writesReceived().size(); }
    // The conversation that held the link when the pedal got write `index`.
    Conversation holderOf(std::size_t index) const {
        Conversation holder = Conversation::None;
        for (const auto& [from, who] : holders)
            if (from <= index)
                holder = who;
        return holder;
    }
    QString rawFile() const { return documents.filePath(QStringLiteral("clean-boost.txt")); }

    // Connected to the effect firmware, nothing waiting.
    void connectToEffect() {
        if (session.connection() != PedalSession::Connection::Effect) {
            session.disconnectPedal();
            session.setUpgradeMode(false);
            session.connectPedal();
            settle();
        }
        ASSERT_EQ(session.connection(), PedalSession::Connection::Effect);
    }
    // In Upgrade Mode, connected to the pedal waiting in its bootloader.
    void connectToBootloader() {
        session.disconnectPedal();
        pedal->enterBootloader();
        session.setUpgradeMode(true);
        session.connectPedal();
        settle();
        ASSERT_TRUE(session.bootloaderFound()) << notices.join('|').toStdString();
    }

    // The upgrade as the firmware window runs it, without the window.
    Task<> upgradeConversation() {
        const UpgradeLink link{session.device(), session.exchange(), log, clock, dialogs};
        const UpgradeRequest request{firmware, false};
        const UpgradeView view{};
        upgraded = co_await run_firmware_upgrade(link, request, view);
    }
    void startUpgrade() {
        upgraded.reset();
        session.runConversation(Conversation::Firmware, [this] { return upgradeConversation(); });
    }
    // A configuration is saved from what the pedal holds: it reads the status first.
    Task<> configurationConversation() { co_await session.readStatus(); }
    void startConfiguration() {
        session.runConversation(Conversation::Configuration,
                                [this] { return configurationConversation(); });
    }

    VirtualClock clock;
    MemoryLog log;
    ScriptedDialogs dialogs;
    PedalSession session{clock, log};
    std::shared_ptr<VirtualPedal> pedal;
    QTemporaryDir documents;
    const QByteArray firmware = *resources::find(QStringLiteral("FIRMWARE_5"));
    std::optional<UpgradeOutcome> upgraded;
    QStringList failures;
    QStringList notices;
    std::vector<std::pair<std::size_t, Conversation>> holders;
    std::vector<std::size_t> statusReads;
    bool liveShown = false;
    int progressShown = -1;
};

// What a command clicked while another conversation holds the link does.
enum class Turn {
    // The busy message, and nothing sent.
    Refused,
    // Sent once the waiting conversation has read its answer; in the live
    // loop, between two requests.
    Queued,
    // Ends the live loop and runs after its request in progress.
    Follows,
    // Nothing to do: connected already, or live already on.
    Ignored,
};

// A command clicked while another one waits for the pedal's answer: it is
// refused with the busy message, or it waits its turn; it never puts a byte
// on the wire inside the other conversation, and the pedal reads every
// message whole.
TEST_F(SessionTest, ACommandDuringAnotherOnesWaitIsQueuedOrRefusedNeverInterleaved) {
    // What an upgrade alone puts on the wire: with a click during it, the same.
    QStringList upgradeAlone;
    const struct Waiting {
        const char* name;
        Conversation kind;
        std::function<void()> prepare;
        std::function<void()> begin;
        int clickAfterMs;
    } waiting[] = {
        {"Open FX", Conversation::Identify, [&] { connectToEffect(); }, [&] { session.identify(); },
         60},
        {"Request", Conversation::Status, [&] { connectToEffect(); },
         [&] { session.requestStatus(); }, 60},
        {"upload", Conversation::Upload, [&] { connectToEffect(); },
         [&] { session.uploadEffect("Gain", "Clean Boost"); }, 60},
        {"live loop", Conversation::LiveLoop, [&] { connectToEffect(); },
         [&] { session.setLive(true); }, 60},
        {"upgrade", Conversation::Firmware,
         [&] {
             if (upgradeAlone.isEmpty()) {
                 ASSERT_NO_FATAL_FAILURE(connectToBootloader());
                 const std::size_t from = writeCount();
                 startUpgrade();
                 settle();
                 ASSERT_EQ(upgraded, UpgradeOutcome::Started)
                     << dialogs.messages.join('|').toStdString();
                 upgradeAlone = writesFrom(from);
             }
             connectToBootloader();
         },
         [&] { startUpgrade(); }, 300},
    };
    constexpr Turn R = Turn::Refused, Q = Turn::Queued, F = Turn::Follows, I = Turn::Ignored;
    const struct Clicked {
        const char* name;
        std::function<void()> click;
        // The conversation that sends its messages, and how each one starts.
        Conversation kind;
        QStringList messages;
        // By waiting conversation: Open FX, Request, upload, live loop, upgrade.
        std::array<Turn, 5> turns;
    } clicked[] = {
        {"Upload",
         [&] { session.uploadEffect("Gain", "Clean Boost"); },
         Conversation::Upload,
         {"000500"},
         {R, R, R, F, R}},
        {"Upload File",
         [&] { session.uploadRawFile(rawFile()); },
         Conversation::UploadRaw,
         {"000500"},
         {R, R, R, F, R}},
        {"Open FX", [&] { session.identify(); }, Conversation::Identify, {"0500"}, {R, R, R, F, R}},
        {"Request",
         [&] { session.requestStatus(); },
         Conversation::Status,
         {"0203"},
         {R, R, R, R, R}},
        {"Live on",
         [&] { session.setLive(true); },
         Conversation::LiveLoop,
         {"0203"},
         {R, R, R, I, R}},
        {"Store", [&] { session.store(); }, Conversation::Store, {"0303"}, {Q, Q, Q, Q, R}},
        {"Assign", [&] { session.assign({}); }, Conversation::Assign, {"04"}, {Q, Q, Q, Q, R}},
        {"Set parameter",
         [&] { session.setParameter(1, 512, QStringLiteral("data sent pot 1: "), false); },
         Conversation::Send,
         {"01000011004000"},
         {Q, Q, Q, Q, R}},
        {"Set limit",
         [&] { session.setLimit(0, true, 512); },
         Conversation::Send,
         {"06010000400000"},
         {Q, Q, Q, Q, R}},
        {"Clear limits",
         [&] { session.clearLimits(2); },
         Conversation::Send,
         {"06000200000000", "060102007FE000"},
         {Q, Q, Q, Q, R}},
        {"Configuration",
         [&] { startConfiguration(); },
         Conversation::Configuration,
         {"0203"},
         {R, R, R, F, R}},
        {"Connect", [&] { session.connectPedal(); }, Conversation::Connect, {}, {I, I, I, I, I}},
    };
    for (std::size_t column = 0; column < std::size(waiting); ++column) {
        const Waiting& first = waiting[column];
        for (const Clicked& second : clicked) {
            const Turn turn = second.turns[column];
            SCOPED_TRACE(std::string(second.name) + " clicked during " + first.name);
            ASSERT_NO_FATAL_FAILURE(first.prepare());
            failures.clear();
            log.lines.clear();
            holders.clear();
            statusReads.clear();
            const std::size_t from = writeCount();
            const std::size_t heardFrom = pedal->received().size();
            const std::size_t garbageFrom = pedal->garbageReceived().size();
            holders.emplace_back(from, session.current());
            first.begin();
            runFor(first.clickAfterMs);
            ASSERT_EQ(session.current(), first.kind);
            // Limits no click sets: a refused one that changed them shows.
            session.params().minLimits.fill(100);
            session.params().maxLimits.fill(900);
            const ParamState before = session.params();
            second.click();
            // The waiting conversation keeps the link; a refused command
            // leaves no setting behind that the pedal did not get.
            EXPECT_EQ(session.current(), first.kind);
            if (turn == Turn::Refused) {
                EXPECT_EQ(failures, QStringList{QString::fromLatin1(kBusyText)})
                    << failures.join('|').toStdString();
                EXPECT_EQ(session.params().minLimits, before.minLimits);
                EXPECT_EQ(session.params().maxLimits, before.maxLimits);
            }
            runFor(600);
            session.setLive(false);
            settle();
            runFor(50); // the last bytes reach the pedal

            EXPECT_EQ(failures, turn == Turn::Refused ? QStringList{QString::fromLatin1(kBusyText)}
                                                      : QStringList{})
                << failures.join('|').toStdString();
            EXPECT_FALSE(session.busy());
            EXPECT_TRUE(session.isConnected());
            EXPECT_FALSE(liveShown);
            EXPECT_EQ(progressShown, -1);
            const QStringList sent = writesFrom(from);
            ASSERT_FALSE(sent.isEmpty());
            // The clicked command's messages: what another conversation sent,
            // and in the live loop what is not one of its requests.
            const bool live = first.kind == Conversation::LiveLoop;
            QStringList own;
            for (qsizetype i = 0; i < sent.size(); ++i) {
                const std::size_t index = from + static_cast<std::size_t>(i);
                const Conversation holder = holderOf(index);
                const bool loopRequest = live && holder == first.kind && sent[i].startsWith("02");
                if (holder == first.kind && (!live || loopRequest))
                    continue;
                own.append(sent[i]);
                EXPECT_EQ(holder,
                          turn == Turn::Queued && live ? Conversation::LiveLoop : second.kind)
                    << "write " << i << ": " << sent[i].toStdString();
            }
            const QStringList expected =
                turn == Turn::Queued || turn == Turn::Follows ? second.messages : QStringList{};
            ASSERT_EQ(own.size(), expected.size()) << sent.join(' ').toStdString();
            for (qsizetype i = 0; i < own.size(); ++i)
                EXPECT_TRUE(own[i].startsWith(expected[i])) << sent.join(' ').toStdString();
            // A status request's answer is read before anything else goes out.
            for (qsizetype i = 0; i + 1 < sent.size(); ++i) {
                if (sent[i] == "0203") {
                    const std::size_t next = from + static_cast<std::size_t>(i) + 1;
                    EXPECT_NE(std::find(statusReads.begin(), statusReads.end(), next),
                              statusReads.end())
                        << "write " << i + 1
                        << " before the answer: " << sent.join(' ').toStdString();
                }
            }
            if (turn == Turn::Follows) {
                EXPECT_EQ(log.lines.filter("follows the request in progress").size(), 1);
            }
            if (first.kind == Conversation::Firmware) {
                // The bootloader got exactly the upgrade's frames, and took them.
                EXPECT_EQ(upgraded, UpgradeOutcome::Started)
                    << dialogs.messages.join('|').toStdString();
                EXPECT_EQ(sent, upgradeAlone);
            } else {
                // Each write reached the pedal as one whole message of its own.
                QStringList heard;
                const auto& messages = pedal->received();
                for (std::size_t i = heardFrom; i < messages.size(); ++i)
                    heard.append(bytes_to_hex_text(messages[i].bytes.data(),
                                                   static_cast<int>(messages[i].bytes.size())));
                EXPECT_EQ(heard, sent);
                EXPECT_EQ(pedal->garbageReceived().size(), garbageFrom);
            }
        }
    }
}

// Disconnect while a command waits: one console line, the disconnected
// state at once, no message from the driver, and the port closed.
TEST_F(SessionTest, DisconnectDuringAWaitCancelsItWithOneLineAndNoMessage) {
    const auto effect = [&] { connectToEffect(); };
    const struct Wait {
        const char* name;
        Conversation kind;
        std::function<void()> prepare;
        std::function<void()> begin;
        int disconnectAfterMs;
    } waits[] = {
        {"Open FX pause", Conversation::Identify, effect, [&] { session.identify(); }, 20},
        {"Request pause", Conversation::Status, effect, [&] { session.requestStatus(); }, 20},
        {"upload answer", Conversation::Upload, effect,
         [&] { session.uploadEffect("Gain", "Clean Boost"); }, 20},
        {"live loop", Conversation::LiveLoop, effect, [&] { session.setLive(true); }, 20},
        {"Store pause", Conversation::Store, effect, [&] { session.store(); }, 20},
        {"Assign pause", Conversation::Assign, effect, [&] { session.assign({}); }, 20},
        {"raw upload", Conversation::UploadRaw, effect, [&] { session.uploadRawFile(rawFile()); },
         20},
        {"configuration", Conversation::Configuration, effect, [&] { startConfiguration(); }, 20},
        // Upgrade Mode: the connect waits for the bootloader's answer to its sync byte.
        {"bootloader check", Conversation::Connect,
         [&] {
             session.disconnectPedal();
             pedal->enterBootloader();
             session.setUpgradeMode(true);
         },
         [&] { session.connectPedal(); }, 5},
        {"upgrade", Conversation::Firmware, [&] { connectToBootloader(); }, [&] { startUpgrade(); },
         300},
    };
    for (const Wait& wait : waits) {
        SCOPED_TRACE(wait.name);
        ASSERT_NO_FATAL_FAILURE(wait.prepare());
        failures.clear();
        notices.clear();
        wait.begin();
        runFor(wait.disconnectAfterMs);
        ASSERT_EQ(session.current(), wait.kind);
        log.lines.clear();
        session.disconnectPedal();
        const QStringList said = log.lines;
        EXPECT_FALSE(session.busy());
        EXPECT_FALSE(session.isConnected());
        EXPECT_FALSE(session.bootloaderFound());
        EXPECT_FALSE(pedal->isOpen());
        // The windows show no live loop and no upload in progress.
        EXPECT_FALSE(liveShown);
        EXPECT_EQ(progressShown, -1);
        EXPECT_TRUE(failures.isEmpty()) << failures.join('|').toStdString();
        EXPECT_EQ(said, QStringList{"Disconnect: the command waiting for the pedal was cancelled"})
            << said.join('|').toStdString();
        // Nothing of the cancelled command runs later.
        const std::size_t written = writeCount();
        runFor(10'000);
        EXPECT_TRUE(failures.isEmpty()) << failures.join('|').toStdString();
        EXPECT_TRUE(notices.isEmpty()) << notices.join('|').toStdString();
        EXPECT_EQ(log.lines, said);
        EXPECT_EQ(writeCount(), written);
        EXPECT_FALSE(session.isConnected());
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
