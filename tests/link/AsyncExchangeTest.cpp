#include "link/AsyncExchange.h"
#include "LinkFixture.h"
#include "base/EditorError.h"
#include "base/Guard.h"
#include "link/ReplyRules.h"

#include <type_traits>

#include <QCoreApplication>

namespace brivo::test {
namespace {

constexpr std::int64_t kMs = 1000;

// Runs a conversation step to its end on the virtual clock; rethrows what it threw.
template <typename T> T finish(VirtualClock& clock, Task<T> task) {
    bool done = false;
    task.start([&] { done = true; });
    while (!done) {
        if (!clock.runNextTimer()) {
            ADD_FAILURE() << "a wait with nothing to wake it";
            break;
        }
    }
    if constexpr (std::is_void_v<T>)
        task.result();
    else
        return task.result();
}

class AsyncExchangeTest : public LinkFixture {
  protected:
    void SetUp() override { openBridge(); }

    // A command's reply: late bytes of an earlier one dropped first, as the
    // session does, then the reply; empty when the link failed.
    QByteArray receive(int timeoutMs = kReplyTimeoutMs) {
        finish(clock, exchange.drainLateBytes());
        return finish(clock, exchange.receiveReply(timeoutMs, raw)).value_or(QByteArray());
    }
    // The bootloader's framing: the first byte as two hex digits.
    bool raw = false;

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

TEST_F(AsyncExchangeTest, OneReadReplyIsTheAnswerAlone) {
    const std::vector<std::uint8_t> answer{'1', '\r', '\n', '2', '\r', '\n', '3', '\r', '\n', 'x'};
    unit.rxBuffer.fill('#'); // what earlier replies left behind
    bridge.arrive(0, answer);

    const QByteArray reply = receive();

    // Nothing of what earlier replies left in the buffer comes with it.
    EXPECT_EQ(reply, QByteArray("1\r\n2\r\n3\r\nx"));
    EXPECT_EQ(log.lines, QStringList{QStringLiteral("num of bytes received: 10")});
    EXPECT_EQ(bridge.purgeRxCount, 1);
    // A pause after the read with data and one after the empty read.
    EXPECT_EQ(clock.nowUs(), 2 * kReplyReadPauseMs * kMs);
    EXPECT_TRUE(dialogs.messages.isEmpty());
}

TEST_F(AsyncExchangeTest, PiecesOfAReplyFollowEachOtherWithNothingStaleBetween) {
    bridge.arrive(0, {'A', 'B', 'C', 'D', 'E'});
    bridge.arrive(50 * kMs, {'x', 'y', 'z'});

    const QByteArray reply = receive();

    EXPECT_EQ(reply, QByteArray("ABCDExyz"));
    EXPECT_EQ(log.lines, QStringList{QStringLiteral("num of bytes received: 8")});
}

TEST_F(AsyncExchangeTest, BytesArrivingAfterTheReplyAreDiscarded) {
    bridge.arrive(0, {'O', 'K'});
    bridge.arrive(250 * kMs, {'l', 'a', 't', 'e'});
    EXPECT_EQ(receive().left(2), QByteArray("OK"));
    clock.sleepUs(std::int64_t{100} * 1000);
    ASSERT_EQ(unit.GetFTQueueStatus(), FT_OK);
    EXPECT_EQ(unit.ftQueueBytes, 4u); // arrived after the purge: the next reply's problem
}

TEST_F(AsyncExchangeTest, UpgradeModeReturnsTheFirstByteAsHexWithoutPause) {
    raw = true;
    bridge.arrive(0, {0x79});

    EXPECT_EQ(receive(kBootloaderAllowanceMs), QByteArray("79"));
    EXPECT_EQ(clock.nowUs(), 0);
    EXPECT_EQ(log.lines, QStringList{QStringLiteral("num of bytes received: 1")});
    EXPECT_EQ(bridge.purgeRxCount, 1);
}

TEST_F(AsyncExchangeTest, UpgradeModeWaitCostsOnlyThePolling) {
    raw = true;
    bridge.arrive(4 * kPollIntervalMs * kMs, {0x1F, 0x79});

    EXPECT_EQ(receive(kBootloaderAllowanceMs), QByteArray("1F"));
    EXPECT_EQ(clock.nowUs(), 4 * kPollIntervalMs * kMs);
    EXPECT_EQ(log.lines, QStringList{QStringLiteral("num of bytes received: 2")});
}

TEST(MessageExchangeClosed, NeverOpenedDeviceGivesAnEmptyReplyAfterTheReport) {
    VirtualClock clock;
    ScriptedDialogs dialogs;
    MemoryLog log;
    D2xx d2xx;
    D2XXUnit unit(d2xx, clock);
    unit.setReporter([&dialogs](const QString& text) { dialogs.showMessage(text); });
    AsyncExchange exchange(unit, log, clock);

    EXPECT_EQ(finish(clock, exchange.receiveReply(kReplyTimeoutMs)), std::nullopt);
    EXPECT_EQ(dialogs.messages,
              QStringList{QStringLiteral("FT_GetQueueStatus - Invalid handle...")});
    EXPECT_TRUE(log.lines.isEmpty());
}

TEST_F(AsyncExchangeTest, SilentPedalEndsTheCommandAfterTheTimeOut) {
    expectEditorError([&] { receive(); }, kNoReplyText);
    EXPECT_EQ(log.lines, QStringList{QStringLiteral("no reply from the pedal within 3000 ms")});
    EXPECT_GE(clock.nowMs(), kReplyTimeoutMs);
    EXPECT_LE(clock.nowMs(), kReplyTimeoutMs + 2 * kPollIntervalMs);
    bridge.arrive(clock.nowUs() + 100 * kMs, {'Z'});
    EXPECT_EQ(receive().left(1), QByteArray("Z"));
}

TEST_F(AsyncExchangeTest, LateAnswerAfterATimeOutIsDroppedBeforeTheNextExchange) {
    expectEditorError([&] { receive(); }, kNoReplyText);
    // The answer comes in two packets just after the time-out, then the next
    // command's own answer.
    const std::int64_t t = clock.nowUs();
    bridge.arrive(t + 5 * kMs, {'4', '3', '\r', '\n'});
    bridge.arrive(t + 21 * kMs, {'2', '\r', '\n'});
    bridge.arrive(t + 300 * kMs, {'O', 'K'});
    log.lines.clear();

    EXPECT_EQ(receive(), QByteArray("OK"));
    EXPECT_EQ(log.lines, (QStringList{lateBytesLogLine(7), "num of bytes received: 2"}));

    // Without a time-out before it, nothing is waited for or dropped.
    const std::int64_t before = clock.nowUs();
    finish(clock, exchange.drainLateBytes());
    EXPECT_EQ(clock.nowUs(), before);
}

TEST_F(AsyncExchangeTest, ReadFailureMidReplyEndsItWithOneReport) {
    bridge.arrive(0, {'B', 'R'});
    bridge.arrive(150 * kMs, {'I', 'V'});
    bridge.unplugAtUs = 50 * kMs;
    EXPECT_EQ(finish(clock, exchange.receiveReply(kReplyTimeoutMs)), std::nullopt);
    EXPECT_EQ(dialogs.messages.size(), 1) << dialogs.messages.join('|').toStdString();
    EXPECT_EQ(bridge.purgeRxCount, 0);
    EXPECT_TRUE(log.lines.isEmpty());
}

TEST_F(AsyncExchangeTest, TimeOutIsShownByTheHandlerGuard) {
    runGuarded(dialogs, [&] { receive(kBootloaderAllowanceMs); });
    EXPECT_EQ(dialogs.messages, QStringList{QString::fromLatin1(kNoReplyText)});
    EXPECT_EQ(log.lines, QStringList{QStringLiteral("no reply from the pedal within 1000 ms")});
}

TEST_F(AsyncExchangeTest, UnplugDuringTheWaitGivesAnEmptyReply) {
    bridge.unplugAtUs = 500 * kMs;
    EXPECT_TRUE(receive().isEmpty());
    EXPECT_EQ(dialogs.messages,
              QStringList{QStringLiteral("FT_GetQueueStatus - General IO error...")});
    EXPECT_TRUE(log.lines.isEmpty());
    EXPECT_LT(clock.nowMs(), 600);
}

TEST_F(AsyncExchangeTest, SlowOrEndlessStreamEndsTheCommandSayingWhich) {
    // A byte every 50 ms is merely slow; a buffer's worth every 50 ms never ends.
    for (int i = 0; i < 200; ++i)
        bridge.arrive(i * 50 * kMs, {'?'});
    expectEditorError([&] { receive(1000); }, kSlowReplyText);
    ASSERT_EQ(log.lines.size(), 1);
    EXPECT_TRUE(log.lines[0].startsWith("reply from the pedal too slow or incomplete: "));
    EXPECT_TRUE(log.lines[0].endsWith(" bytes within 1000 ms"));
    EXPECT_EQ(bridge.purgeRxCount, 1);

    // Once the trickle is over and dropped, the flood.
    clock.sleepUs(std::int64_t{10000} * 1000);
    log.lines.clear();
    const std::int64_t t = clock.nowUs() + 100 * kMs;
    for (int i = 0; i < 40; ++i)
        bridge.arrive(t + i * 50 * kMs, std::vector<std::uint8_t>(8192, '?'));
    expectEditorError([&] { receive(1000); }, kEndlessReplyText);
    EXPECT_EQ(log.lines.last(), QStringLiteral("reply from the pedal did not end within 1000 ms"));
}

TEST_F(AsyncExchangeTest, ACancelledWaitEndsAtOnceAndSoDoesEveryLaterOne) {
    bridge.arrive(500 * kMs, {'O', 'K'});
    bool done = false;
    Task<std::optional<QByteArray>> reply = exchange.receiveReply(kReplyTimeoutMs);
    reply.start([&] { done = true; });
    clock.advanceUs(20 * kMs);
    ASSERT_FALSE(done);
    exchange.cancel();
    EXPECT_TRUE(done);
    EXPECT_THROW(reply.result(), ConversationCancelled);
    EXPECT_TRUE(log.lines.isEmpty());
    exchange.resetCancel();
    clock.advanceUs(500 * kMs);
    EXPECT_EQ(receive().left(2), QByteArray("OK"));
}

TEST_F(AsyncExchangeTest, WaitForQueuedBytesReportsArrivalAndFailure) {
    bridge.arrive(3 * kPollIntervalMs * kMs, {1, 2, 3});
    int polls = 0;
    EXPECT_TRUE(finish(clock, exchange.waitForQueuedBytes(100, [&] { ++polls; })));
    EXPECT_EQ(unit.ftQueueBytes, 3u);
    EXPECT_EQ(clock.nowUs(), 3 * kPollIntervalMs * kMs);
    EXPECT_EQ(polls, 4); // one look per poll interval, the first at once
    bridge.unplugAtUs = clock.nowUs();
    EXPECT_FALSE(finish(clock, exchange.waitForQueuedBytes(100)));
}

TEST_F(AsyncExchangeTest, SendConvertsPurgesWritesAndPauses) {
    finish(clock, exchange.purgeTx());
    EXPECT_EQ(exchange.send(QStringLiteral("0500"), 2), 2);
    clock.advanceMs(100);
    ASSERT_EQ(bridge.writes.size(), 1u);
    EXPECT_EQ(bridge.writes[0], (std::vector<std::uint8_t>{0x05, 0x00}));
    EXPECT_EQ(bridge.purgeTxCount, 1);
    EXPECT_EQ(clock.nowMs(), 100);
}

TEST_F(AsyncExchangeTest, ShortHexTextSendsWhatTheBufferHeldBefore) {
    exchange.sendBytes(std::vector<std::uint8_t>{0xAA, 0xBB, 0xCC});
    EXPECT_EQ(exchange.send(QStringLiteral("01"), 3), 1);
    ASSERT_EQ(bridge.writes.size(), 2u);
    EXPECT_EQ(bridge.writes[1], (std::vector<std::uint8_t>{0x01, 0xBB, 0xCC}));
    EXPECT_EQ(bridge.purgeTxCount, 0);
    EXPECT_EQ(clock.nowUs(), 0);
}

TEST_F(AsyncExchangeTest, MessageLongerThanTheBufferIsRefusedUnsent) {
    expectEditorError(
        [&] {
            exchange.send(QString(2 * (kTxBufferSize + 1), QLatin1Char('0')), kTxBufferSize + 1);
        },
        "The message is too long for the transmit buffer (65537 bytes, at most 65536).");
    const std::vector<std::uint8_t> tooMany(kTxBufferSize + 1, 0);
    EXPECT_THROW(exchange.sendBytes(tooMany), EditorError);
    EXPECT_TRUE(bridge.writes.empty());
    EXPECT_EQ(bridge.purgeTxCount, 0);
}

TEST_F(AsyncExchangeTest, FailedWriteIsReportedAndTheSendGoesOn) {
    bridge.unplugAtUs = 0;
    finish(clock, exchange.purgeTx());
    EXPECT_EQ(exchange.send(QStringLiteral("0300"), 2), 2);
    clock.advanceMs(100);
    EXPECT_EQ(dialogs.messages, (QStringList{QStringLiteral("FT_Purge TX - General IO error..."),
                                             QStringLiteral("FT_Write - General IO error...")}));
    EXPECT_EQ(clock.nowMs(), 100);
}

} // namespace
} // namespace brivo::test

namespace brivo::test {
namespace {

TEST_F(AsyncExchangeTest, CollectReplyGathersPiecesUntilWholeOrQuiet) {
    bridge.arrive(0, {'a', 'b'});
    bridge.arrive(20 * kMs, {'c', 'd'});
    bridge.arrive(200 * kMs, {'l', 'a', 't', 'e'});
    int reads = 0;
    const auto never = [](const QByteArray&) { return false; };
    const std::optional<QByteArray> reply =
        finish(clock, exchange.collectReply(never, 1000, 10, [&](const QByteArray&) { ++reads; }));
    // The gap before "late" is longer than the quiet period: the reply ended.
    EXPECT_EQ(reply, QByteArray("abcd"));
    EXPECT_EQ(reads, 2);

    // Whole as soon as the caller says so, without waiting to go quiet.
    ASSERT_TRUE(finish(clock, exchange.waitForQueuedBytes(1000)));
    const auto fourBytes = [](const QByteArray& bytes) { return bytes.size() >= 4; };
    EXPECT_EQ(finish(clock, exchange.collectReply(fourBytes, 1000, 10)), QByteArray("late"));
}

TEST_F(AsyncExchangeTest, CollectReplyReportsAnUnplugOnce) {
    bridge.arrive(0, {'x'});
    bridge.unplugAtUs = 5 * kMs;
    const auto never = [](const QByteArray&) { return false; };
    EXPECT_EQ(finish(clock, exchange.collectReply(never, 1000, 2)), std::nullopt);
    EXPECT_EQ(dialogs.messages.size(), 1);
}

TEST_F(AsyncExchangeTest, CollectReplyCutsAReplyThatNeverEnds) {
    for (int ms = 0; ms < 2000; ms += 5)
        bridge.arrive(ms * kMs, {'z'});
    const auto never = [](const QByteArray&) { return false; };
    EXPECT_THROW(finish(clock, exchange.collectReply(never, 100, 2)), EditorError);
    EXPECT_TRUE(log.lines.last().startsWith("reply from the pedal too slow or incomplete: "));
    EXPECT_LT(clock.nowUs(), 200 * kMs);
}

} // namespace
} // namespace brivo::test
