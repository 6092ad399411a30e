// Waiting for a reply through a driver that can wake the editor when bytes
// arrive: the exchange sleeps in the driver, never longer than the time left.
#include "base/Clock.h"
#include "base/EditorError.h"
#include "base/Flags.h"
#include "base/Log.h"
#include "link/D2XXUnit.h"
#include "link/MessageExchange.h"
#include "support/ScriptedDialogs.h"

#include <gtest/gtest.h>

namespace brivo::test {
namespace {

// A bridge whose reply byte arrives at `arrivalMs`; a wait sleeps on the
// virtual clock until then or until its own time is up.
struct WakingBridge {
    VirtualClock* clock = nullptr;
    std::int64_t arrivalMs = -1;
    std::vector<int> waitsAskedMs;

    bool arrived() const { return arrivalMs >= 0 && clock->nowMs() >= arrivalMs; }
};

class WakingPort final : public Port {
  public:
    explicit WakingPort(WakingBridge& bridge) : bridge_(bridge) {}
    FT_STATUS setBaudRate(DWORD) override { return FT_OK; }
    FT_STATUS setDataCharacteristics(UCHAR, UCHAR, UCHAR) override { return FT_OK; }
    FT_STATUS purge(DWORD) override { return FT_OK; }
    FT_STATUS getQueueStatus(DWORD* queued) override {
        *queued = bridge_.arrived() ? 1 : 0;
        return FT_OK;
    }
    FT_STATUS read(std::uint8_t*, DWORD, DWORD* got) override {
        *got = 0;
        return FT_OK;
    }
    FT_STATUS write(const std::uint8_t*, DWORD count, DWORD* written) override {
        *written = count;
        return FT_OK;
    }
    FT_STATUS readEE(DWORD, WORD*) override { return FT_NOT_SUPPORTED; }
    FT_STATUS close() override { return FT_OK; }
    bool waitForReceive(int timeoutMs) override {
        bridge_.waitsAskedMs.push_back(timeoutMs);
        std::int64_t until = bridge_.clock->nowMs() + timeoutMs;
        if (bridge_.arrivalMs >= 0)
            until = std::min(until, std::max(bridge_.arrivalMs, bridge_.clock->nowMs()));
        bridge_.clock->sleepMs(until - bridge_.clock->nowMs());
        return true;
    }

  private:
    WakingBridge& bridge_;
};

class WakingDriver final : public Driver {
  public:
    explicit WakingDriver(WakingBridge& bridge) : bridge_(bridge) {}
    std::string name() const override { return "waking"; }
    FT_STATUS listDevices(std::vector<ListedDevice>& devices) override {
        devices = {{"W1", "FT230X Basic UART"}};
        return FT_OK;
    }
    FT_STATUS open(const std::string&, std::unique_ptr<Port>& port) override {
        port = std::make_unique<WakingPort>(bridge_);
        return FT_OK;
    }

  private:
    WakingBridge& bridge_;
};

class ReceiveWait : public ::testing::Test {
  protected:
    void SetUp() override {
        bridge.clock = &clock;
        d2xx.addDriver(std::make_unique<WakingDriver>(bridge));
        ASSERT_EQ(unit.Open_USB_Device_By_Serial_Number(QStringLiteral("W1")), FT_OK);
    }

    VirtualClock clock;
    WakingBridge bridge;
    ScriptedDialogs dialogs;
    MemoryLog log;
    Flags flags;
    D2xx d2xx;
    D2XXUnit unit{d2xx, dialogs, clock};
    MessageExchange exchange{unit, log, clock, flags};
};

TEST_F(ReceiveWait, TheWaitEndsWhenTheBytesArriveWithoutAPollIntervalOnTop) {
    bridge.arrivalMs = 730;
    const auto guard = exchange.beginExchange();
    EXPECT_TRUE(exchange.waitForQueuedBytes(3000));
    EXPECT_EQ(clock.nowMs(), 730);
    // Woken at least every slice, so progress and the time-out are looked at.
    ASSERT_FALSE(bridge.waitsAskedMs.empty());
    for (int asked : bridge.waitsAskedMs)
        EXPECT_LE(asked, kReceiveWaitSliceMs);
    EXPECT_EQ(bridge.waitsAskedMs.size(), 8u);
}

TEST_F(ReceiveWait, ASilentPedalTimesOutOnTheDotNotAtTheNextSlice) {
    const auto guard = exchange.beginExchange();
    EXPECT_THROW(exchange.waitForQueuedBytes(250), EditorError);
    EXPECT_EQ(clock.nowMs(), 250);
    EXPECT_EQ(bridge.waitsAskedMs.back(), 50);
    EXPECT_EQ(log.lines, QStringList{noReplyLogLine(250)});
}

} // namespace
} // namespace brivo::test
