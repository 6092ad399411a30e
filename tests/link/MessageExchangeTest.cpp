#include "LinkFixture.h"
#include "base/EditorError.h"
#include "base/Guard.h"

#include <QCoreApplication>
#include <QMetaObject>

namespace brivo::test {
namespace {

constexpr std::int64_t kMs = 1000;

class MessageExchangeTest : public LinkFixture {
  protected:
    void SetUp() override { openBridge(); }

    // Expects the call to end the command with `text`, as the handler guard shows it.
    template <typename F> void expectEditorError(F&& call, const char* text) {
        try {
            call();
            ADD_FAILURE() << "no EditorError";
        } catch (const EditorError& e) {
            EXPECT_EQ(e.text(), QString::fromLatin1(text));
        }
    }
};

TEST(LinkTimeout, AddsTheTransferTimeAtTheLinkRateToTheAllowance) {
    EXPECT_EQ(linkTimeoutMs(0), kReplyAllowanceMs);
    EXPECT_EQ(linkTimeoutMs(1, 0), 1);          // 86.8 us rounds up to a whole millisecond
    EXPECT_EQ(linkTimeoutMs(11520, 0), 1000);   // one second of bytes at 115200 8N1
    EXPECT_EQ(linkTimeoutMs(9472, 3000), 3823); // the longest catalogue program
    EXPECT_EQ(linkTimeoutMs(1, kBootloaderAllowanceMs), 1001);
    EXPECT_EQ(linkTimeoutMs(-5, 10), 10);
}

TEST_F(MessageExchangeTest, OneReadReplyIsTheAnswerAlone) {
    const std::vector<std::uint8_t> answer{'1', '\r', '\n', '2', '\r', '\n', '3', '\r', '\n', 'x'};
    unit.rxBuffer.fill('#'); // what earlier replies left behind
    bridge.arrive(0, answer);

    const QByteArray reply = exchange.receive_reply();

    // Nothing of what earlier replies left in the buffer comes with it.
    EXPECT_EQ(reply, QByteArray("1\r\n2\r\n3\r\nx"));
    EXPECT_EQ(log.lines, QStringList{QStringLiteral("num of bytes received: 10")});
    EXPECT_EQ(bridge.purgeRxCount, 1);
    // A pause after the read with data and one after the empty read.
    EXPECT_EQ(clock.nowUs(), 2 * kReplyReadPauseMs * kMs);
    EXPECT_FALSE(exchange.exchangeInProgress());
    EXPECT_TRUE(dialogs.messages.isEmpty());
}

TEST_F(MessageExchangeTest, PiecesOfAReplyFollowEachOtherWithNothingStaleBetween) {
    bridge.arrive(0, {'A', 'B', 'C', 'D', 'E'});
    bridge.arrive(50 * kMs, {'x', 'y', 'z'});

    const QByteArray reply = exchange.receive_reply();

    EXPECT_EQ(reply, QByteArray("ABCDExyz"));
    EXPECT_EQ(log.lines, QStringList{QStringLiteral("num of bytes received: 8")});
}

TEST_F(MessageExchangeTest, BytesArrivingAfterTheReplyAreDiscarded) {
    bridge.arrive(0, {'O', 'K'});
    bridge.arrive(250 * kMs, {'l', 'a', 't', 'e'});
    EXPECT_EQ(exchange.receive_reply().left(2), QByteArray("OK"));
    clock.sleepUs(std::int64_t{100} * 1000);
    ASSERT_EQ(unit.GetFTQueueStatus(), FT_OK);
    EXPECT_EQ(unit.ftQueueBytes, 4u); // arrived after the purge: the next reply's problem
}

TEST_F(MessageExchangeTest, UpgradeModeReturnsTheFirstByteAsHexWithoutPause) {
    flags.upgradeMode = true;
    bridge.arrive(0, {0x79});

    EXPECT_EQ(exchange.receive_reply(kBootloaderAllowanceMs), QByteArray("79"));
    EXPECT_EQ(clock.nowUs(), 0);
    EXPECT_EQ(log.lines, QStringList{QStringLiteral("num of bytes received: 1")});
    EXPECT_EQ(bridge.purgeRxCount, 1);
}

TEST_F(MessageExchangeTest, UpgradeModeWaitCostsOnlyThePolling) {
    flags.upgradeMode = true;
    bridge.arrive(4 * kPollIntervalMs * kMs, {0x1F, 0x79});

    EXPECT_EQ(exchange.receive_reply(kBootloaderAllowanceMs), QByteArray("1F"));
    EXPECT_EQ(clock.nowUs(), 4 * kPollIntervalMs * kMs);
    EXPECT_EQ(log.lines, QStringList{QStringLiteral("num of bytes received: 2")});
}

TEST(MessageExchangeClosed, NeverOpenedDeviceGivesAnEmptyReplyAfterTheReport) {
    VirtualClock clock;
    ScriptedDialogs dialogs;
    MemoryLog log;
    Flags flags;
    D2xx d2xx;
    D2XXUnit unit(d2xx, clock);
    unit.setReporter([&dialogs](const QString& text) { dialogs.showMessage(text); });
    MessageExchange exchange(unit, log, clock, flags);

    EXPECT_TRUE(exchange.receive_reply().isEmpty());
    EXPECT_EQ(dialogs.messages,
              QStringList{QStringLiteral("FT_GetQueueStatus - Invalid handle...")});
    EXPECT_TRUE(log.lines.isEmpty());
    EXPECT_FALSE(exchange.exchangeInProgress());
}

TEST_F(MessageExchangeTest, SilentPedalEndsTheCommandAfterTheTimeOut) {
    expectEditorError([&] { exchange.receive_reply(); }, kNoReplyText);
    EXPECT_EQ(log.lines, QStringList{QStringLiteral("no reply from the pedal within 3000 ms")});
    EXPECT_GE(clock.nowMs(), kReplyTimeoutMs);
    EXPECT_LE(clock.nowMs(), kReplyTimeoutMs + 2 * kPollIntervalMs);
    // The slot is free again for the next command.
    EXPECT_FALSE(exchange.exchangeInProgress());
    bridge.arrive(clock.nowUs() + 100 * kMs, {'Z'});
    EXPECT_EQ(exchange.receive_reply().left(1), QByteArray("Z"));
}

TEST_F(MessageExchangeTest, LateAnswerAfterATimeOutIsDroppedBeforeTheNextExchange) {
    expectEditorError([&] { exchange.receive_reply(); }, kNoReplyText);
    // The answer comes in two packets just after the time-out, then the next
    // command's own answer.
    const std::int64_t t = clock.nowUs();
    bridge.arrive(t + 5 * kMs, {'4', '3', '\r', '\n'});
    bridge.arrive(t + 21 * kMs, {'2', '\r', '\n'});
    bridge.arrive(t + 300 * kMs, {'O', 'K'});
    log.lines.clear();

    EXPECT_EQ(exchange.receive_reply(), QByteArray("OK"));
    EXPECT_EQ(log.lines, (QStringList{lateBytesLogLine(7), "num of bytes received: 2"}));

    // Without a time-out before it, nothing is waited for or dropped.
    const std::int64_t before = clock.nowUs();
    { const ExchangeGuard guard = exchange.beginExchange(); }
    EXPECT_EQ(clock.nowUs(), before);
}

TEST_F(MessageExchangeTest, ReadFailureMidReplyEndsItWithOneReport) {
    bridge.arrive(0, {'B', 'R'});
    bridge.arrive(150 * kMs, {'I', 'V'});
    bridge.unplugAtUs = 50 * kMs;
    const ExchangeGuard guard = exchange.beginExchange();
    EXPECT_EQ(exchange.receiveReplyChecked(guard), std::nullopt);
    EXPECT_EQ(dialogs.messages.size(), 1) << dialogs.messages.join('|').toStdString();
    EXPECT_EQ(bridge.purgeRxCount, 0);
    EXPECT_TRUE(log.lines.isEmpty());
}

TEST_F(MessageExchangeTest, TimeOutIsShownByTheHandlerGuard) {
    runGuarded(dialogs, [&] { exchange.receive_reply(kBootloaderAllowanceMs); });
    EXPECT_EQ(dialogs.messages, QStringList{QString::fromLatin1(kNoReplyText)});
    EXPECT_EQ(log.lines, QStringList{QStringLiteral("no reply from the pedal within 1000 ms")});
}

TEST_F(MessageExchangeTest, UnplugDuringTheWaitGivesAnEmptyReply) {
    bridge.unplugAtUs = 500 * kMs;
    EXPECT_TRUE(exchange.receive_reply().isEmpty());
    EXPECT_EQ(dialogs.messages,
              QStringList{QStringLiteral("FT_GetQueueStatus - General IO error...")});
    EXPECT_TRUE(log.lines.isEmpty());
    EXPECT_LT(clock.nowMs(), 600);
}

TEST_F(MessageExchangeTest, SlowOrEndlessStreamEndsTheCommandSayingWhich) {
    // A byte every 50 ms is merely slow; a buffer's worth every 50 ms never ends.
    for (int i = 0; i < 200; ++i)
        bridge.arrive(i * 50 * kMs, {'?'});
    expectEditorError([&] { exchange.receive_reply(1000); }, kSlowReplyText);
    ASSERT_EQ(log.lines.size(), 1);
    EXPECT_TRUE(log.lines[0].startsWith("reply from the pedal too slow or incomplete: "));
    EXPECT_TRUE(log.lines[0].endsWith(" bytes within 1000 ms"));
    EXPECT_EQ(bridge.purgeRxCount, 1);
    EXPECT_FALSE(exchange.exchangeInProgress());

    // Once the trickle is over and dropped, the flood.
    clock.sleepUs(std::int64_t{10000} * 1000);
    log.lines.clear();
    const std::int64_t t = clock.nowUs() + 100 * kMs;
    for (int i = 0; i < 40; ++i)
        bridge.arrive(t + i * 50 * kMs, std::vector<std::uint8_t>(8192, '?'));
    expectEditorError([&] { exchange.receive_reply(1000); }, kEndlessReplyText);
    EXPECT_EQ(log.lines.last(), QStringLiteral("reply from the pedal did not end within 1000 ms"));
}

TEST_F(MessageExchangeTest, SecondExchangeStartedDuringAWaitIsRefused) {
    bridge.arrive(10 * kMs, {'O', 'K'});
    int nestedRuns = 0;
    // A click handled while the first command waits, running inside its wait.
    QMetaObject::invokeMethod(
        QCoreApplication::instance(),
        [&] {
            ++nestedRuns;
            runGuarded(dialogs, [&] { exchange.receive_reply(); });
        },
        Qt::QueuedConnection);

    const QByteArray reply = exchange.receive_reply();

    EXPECT_EQ(nestedRuns, 1);
    EXPECT_EQ(reply.left(2), QByteArray("OK"));
    EXPECT_EQ(dialogs.messages, QStringList{QString::fromLatin1(kBusyText)});
    EXPECT_EQ(log.lines, QStringList{QStringLiteral("num of bytes received: 2")});
}

TEST_F(MessageExchangeTest, HeldGuardCoversSeveralStepsAndIsReleasedAtTheEnd) {
    flags.upgradeMode = true;
    {
        const ExchangeGuard guard = exchange.beginExchange();
        EXPECT_TRUE(exchange.exchangeInProgress());
        expectEditorError([&] { (void)exchange.beginExchange(); }, kBusyText);
        expectEditorError([&] { exchange.receive_reply(); }, kBusyText);

        exchange.sendBytes(std::vector<std::uint8_t>{0x7F}, false, 0);
        bridge.arrive(clock.nowUs(), {0x79});
        EXPECT_EQ(exchange.receive_reply(guard), QByteArray("79"));
        EXPECT_TRUE(exchange.exchangeInProgress());
    }
    EXPECT_FALSE(exchange.exchangeInProgress());
    const ExchangeGuard again = exchange.beginExchange();
    EXPECT_TRUE(exchange.exchangeInProgress());
}

TEST_F(MessageExchangeTest, WaitForQueuedBytesReportsArrivalAndFailure) {
    const ExchangeGuard guard = exchange.beginExchange();
    bridge.arrive(3 * kPollIntervalMs * kMs, {1, 2, 3});
    int polls = 0;
    EXPECT_TRUE(exchange.waitForQueuedBytes(100, [&] { ++polls; }));
    EXPECT_EQ(unit.ftQueueBytes, 3u);
    EXPECT_EQ(clock.nowUs(), 3 * kPollIntervalMs * kMs);
    EXPECT_EQ(polls, 4); // one look per poll interval, the first at once
    bridge.unplugAtUs = clock.nowUs();
    EXPECT_FALSE(exchange.waitForQueuedBytes(100));
}

TEST_F(MessageExchangeTest, SendConvertsPurgesWritesAndPauses) {
    EXPECT_EQ(exchange.send(QStringLiteral("0500"), 2, true, 100), 2);
    ASSERT_EQ(bridge.writes.size(), 1u);
    EXPECT_EQ(bridge.writes[0], (std::vector<std::uint8_t>{0x05, 0x00}));
    EXPECT_EQ(bridge.purgeTxCount, 1);
    EXPECT_EQ(clock.nowMs(), 100);
    EXPECT_FALSE(exchange.exchangeInProgress()); // sends take no slot
}

TEST_F(MessageExchangeTest, ShortHexTextSendsWhatTheBufferHeldBefore) {
    exchange.sendBytes(std::vector<std::uint8_t>{0xAA, 0xBB, 0xCC}, false, 0);
    EXPECT_EQ(exchange.send(QStringLiteral("01"), 3, false, 0), 1);
    ASSERT_EQ(bridge.writes.size(), 2u);
    EXPECT_EQ(bridge.writes[1], (std::vector<std::uint8_t>{0x01, 0xBB, 0xCC}));
    EXPECT_EQ(bridge.purgeTxCount, 0);
    EXPECT_EQ(clock.nowUs(), 0);
}

TEST_F(MessageExchangeTest, MessageLongerThanTheBufferIsRefusedUnsent) {
    expectEditorError(
        [&] {
            exchange.send(QString(2 * (kTxBufferSize + 1), QLatin1Char('0')), kTxBufferSize + 1,
                          false, 0);
        },
        "The message is too long for the transmit buffer (65537 bytes, at most 65536).");
    const std::vector<std::uint8_t> tooMany(kTxBufferSize + 1, 0);
    EXPECT_THROW(exchange.sendBytes(tooMany, true, 0), EditorError);
    EXPECT_TRUE(bridge.writes.empty());
    EXPECT_EQ(bridge.purgeTxCount, 0);
}

TEST_F(MessageExchangeTest, FailedWriteIsReportedAndTheSendGoesOn) {
    bridge.unplugAtUs = 0;
    EXPECT_EQ(exchange.send(QStringLiteral("0300"), 2, true, 100), 2);
    EXPECT_EQ(dialogs.messages, (QStringList{QStringLiteral("FT_Purge TX - General IO error..."),
                                             QStringLiteral("FT_Write - General IO error...")}));
    EXPECT_EQ(clock.nowMs(), 100);
}

} // namespace
} // namespace brivo::test

namespace brivo::test {
namespace {

TEST_F(MessageExchangeTest, CollectReplyGathersPiecesUntilWholeOrQuiet) {
    const ExchangeGuard guard = exchange.beginExchange();
    bridge.arrive(0, {'a', 'b'});
    bridge.arrive(20 * kMs, {'c', 'd'});
    bridge.arrive(200 * kMs, {'l', 'a', 't', 'e'});
    QByteArray reply;
    int reads = 0;
    const auto never = [](const QByteArray&) { return false; };
    EXPECT_TRUE(exchange.collectReply(reply, never, 1000, 10, [&](const QByteArray&) { ++reads; }));
    // The gap before "late" is longer than the quiet period: the reply ended.
    EXPECT_EQ(reply, QByteArray("abcd"));
    EXPECT_EQ(reads, 2);

    // Whole as soon as the caller says so, without waiting to go quiet.
    ASSERT_TRUE(exchange.waitForQueuedBytes(1000));
    QByteArray rest;
    const auto fourBytes = [](const QByteArray& bytes) { return bytes.size() >= 4; };
    EXPECT_TRUE(exchange.collectReply(rest, fourBytes, 1000, 10));
    EXPECT_EQ(rest, QByteArray("late"));
}

TEST_F(MessageExchangeTest, CollectReplyReportsAnUnplugOnce) {
    const ExchangeGuard guard = exchange.beginExchange();
    bridge.arrive(0, {'x'});
    bridge.unplugAtUs = 5 * kMs;
    QByteArray reply;
    const auto never = [](const QByteArray&) { return false; };
    EXPECT_FALSE(exchange.collectReply(reply, never, 1000, 2));
    EXPECT_EQ(dialogs.messages.size(), 1);
    EXPECT_EQ(reply, QByteArray("x"));
}

TEST_F(MessageExchangeTest, CollectReplyCutsAReplyThatNeverEnds) {
    const ExchangeGuard guard = exchange.beginExchange();
    for (int ms = 0; ms < 2000; ms += 5)
        bridge.arrive(ms * kMs, {'z'});
    QByteArray reply;
    const auto never = [](const QByteArray&) { return false; };
    EXPECT_THROW(exchange.collectReply(reply, never, 100, 2), EditorError);
    EXPECT_EQ(log.lines.last(), slowReplyLogLine(100, reply.size()));
    EXPECT_LT(clock.nowUs(), 200 * kMs);
}

} // namespace
} // namespace brivo::test
