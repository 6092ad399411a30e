#include "link/usb/UsbReader.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QEventLoop>
#include <QThread>
#include <QTimer>
#include <atomic>
#include <chrono>
#include <deque>
#include <gtest/gtest.h>
#include <mutex>
#include <numeric>
#include <thread>
#include <vector>

namespace brivo {
namespace {

using Bytes = std::vector<std::uint8_t>;
using namespace std::chrono_literals;

// Stands in for the bridge behind ftdi_read_data: each read hands out the
// next scripted packet (split when the reader asks for fewer bytes), a
// failure code, or, with nothing scripted, nothing after a millisecond, as
// an idle chip answers once per latency period.
class ScriptedChip {
  public:
    void send(Bytes packet, std::chrono::milliseconds delay = 0ms) {
        std::lock_guard lock(mutex_);
        steps_.push_back({std::move(packet), 0, delay});
    }
    void fail(int code) {
        std::lock_guard lock(mutex_);
        steps_.push_back({{}, code, 0ms});
    }

    int read(std::uint8_t* buffer, int capacity) {
        inRead = true;
        ++reads;
        Step step;
        {
            std::lock_guard lock(mutex_);
            if (steps_.empty()) {
                step.delay = 1ms;
            } else {
                step = steps_.front();
                if (step.failure == 0 && static_cast<int>(step.bytes.size()) > capacity) {
                    Bytes& rest = steps_.front().bytes;
                    rest.erase(rest.begin(), rest.begin() + capacity);
                    step.bytes.resize(static_cast<std::size_t>(capacity));
                } else {
                    steps_.pop_front();
                }
            }
        }
        if (step.delay > 0ms) {
            if (!step.bytes.empty())
                inDelayedPacket = true;
            std::this_thread::sleep_for(step.delay);
        }
        std::copy(step.bytes.begin(), step.bytes.end(), buffer);
        inRead = false;
        return step.failure != 0 ? step.failure : static_cast<int>(step.bytes.size());
    }

    UsbReader::ReadFunction function() {
        return [this](std::uint8_t* buffer, int capacity) { return read(buffer, capacity); };
    }

    std::atomic<bool> inRead = false;
    std::atomic<bool> inDelayedPacket = false;
    std::atomic<int> reads = 0;

  private:
    struct Step {
        Bytes bytes;
        int failure = 0;
        std::chrono::milliseconds delay{};
    };
    std::mutex mutex_;
    std::deque<Step> steps_;
};

Bytes run(std::uint8_t first, std::size_t count) {
    Bytes bytes(count);
    std::iota(bytes.begin(), bytes.end(), first);
    return bytes;
}

// Without the event loop: what the reader's thread does shows in the buffer.
template <typename Done> bool waitWithoutEvents(Done done, int ms = 2000) {
    const QDeadlineTimer deadline(ms);
    while (!done() && !deadline.hasExpired())
        std::this_thread::sleep_for(1ms);
    return done();
}

// Sleeps in the event loop, as the editor does, until `done` or `ms` pass.
template <typename Done> bool runEventsUntil(Done done, int ms = 2000) {
    const QDeadlineTimer deadline(ms);
    QTimer tick;
    tick.start(5);
    while (!done() && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    return done();
}

void runEventsFor(int ms) {
    runEventsUntil([] { return false; }, ms);
}

DWORD queued(UsbReader& reader) {
    DWORD n = 0;
    EXPECT_EQ(reader.queueStatus(&n), FT_OK);
    return n;
}

Bytes takeAll(UsbReader& reader) {
    Bytes got(4096);
    DWORD n = 0;
    EXPECT_EQ(reader.take(got.data(), static_cast<DWORD>(got.size()), &n), FT_OK);
    got.resize(n);
    return got;
}

constexpr std::size_t kRoomyLimit = 1 << 16;

TEST(UsbReader, BytesReadOnItsThreadAreQueuedAndTakenInOrder) {
    ScriptedChip chip;
    UsbReader reader(chip.function(), kRoomyLimit);
    chip.send({1, 2, 3});
    chip.send({4, 5});
    chip.send(run(6, 5));
    ASSERT_TRUE(waitWithoutEvents([&] { return queued(reader) == 10; }));

    Bytes first(4);
    DWORD got = 0;
    ASSERT_EQ(reader.take(first.data(), 4, &got), FT_OK);
    EXPECT_EQ(got, 4u);
    EXPECT_EQ(first, (Bytes{1, 2, 3, 4}));
    EXPECT_EQ(queued(reader), 6u);
    EXPECT_EQ(takeAll(reader), run(5, 6));
    EXPECT_EQ(queued(reader), 0u);
}

TEST(UsbReader, ReadingPausesAtTheLimitAndGoesOnWhenBytesAreTaken) {
    ScriptedChip chip;
    constexpr std::size_t kLimit = 8;
    UsbReader reader(chip.function(), kLimit);
    chip.send(run(0, 20));
    ASSERT_TRUE(waitWithoutEvents([&] { return queued(reader) == kLimit; }));
    std::this_thread::sleep_for(20ms);
    EXPECT_EQ(queued(reader), kLimit) << "read past the limit";

    Bytes all;
    ASSERT_TRUE(waitWithoutEvents([&] {
        const Bytes got = takeAll(reader);
        EXPECT_LE(got.size(), kLimit);
        all.insert(all.end(), got.begin(), got.end());
        return all.size() >= 20;
    }));
    EXPECT_EQ(all, run(0, 20));
}

TEST(UsbReader, TheNoticeRunsOnTheThreadThatSetItOncePerBurst) {
    ScriptedChip chip;
    UsbReader reader(chip.function(), kRoomyLimit);
    int notices = 0;
    QThread* noticeThread = nullptr;
    ASSERT_EQ(reader.setNotifier([&] {
        ++notices;
        noticeThread = QThread::currentThread();
    }),
              FT_OK);

    // Three packets while the windows' thread is busy: one notice for all.
    chip.send({1});
    chip.send({2, 3});
    chip.send({4});
    ASSERT_TRUE(waitWithoutEvents([&] { return queued(reader) == 4; }));
    std::this_thread::sleep_for(10ms); // the last packet's notice is posted after it is kept
    EXPECT_EQ(notices, 0) << "a notice ran outside the event loop";
    runEventsFor(50);
    EXPECT_EQ(notices, 1);
    EXPECT_EQ(noticeThread, QThread::currentThread());

    // Bytes after that notice ran have a notice of their own.
    chip.send({5});
    EXPECT_TRUE(runEventsUntil([&] { return notices == 2; }));

    // A notice on its way when the notifier is cleared is not delivered.
    chip.send({6});
    ASSERT_TRUE(waitWithoutEvents([&] { return queued(reader) == 6; }));
    std::this_thread::sleep_for(10ms);
    ASSERT_EQ(reader.setNotifier({}), FT_OK);
    chip.send({7});
    runEventsFor(50);
    EXPECT_EQ(notices, 2);
}

TEST(UsbReader, ANotifierSetOnAnotherThreadRunsThere) {
    QThread worker;
    worker.start();
    QObject inWorker;
    inWorker.moveToThread(&worker);
    ScriptedChip chip;
    auto reader = std::make_unique<UsbReader>(chip.function(), kRoomyLimit);
    std::atomic<QThread*> noticeThread = nullptr;
    QMetaObject::invokeMethod(
        &inWorker, [&] { reader->setNotifier([&] { noticeThread = QThread::currentThread(); }); },
        Qt::BlockingQueuedConnection);

    chip.send({1});
    EXPECT_TRUE(waitWithoutEvents([&] { return noticeThread != nullptr; }));
    EXPECT_EQ(noticeThread, &worker);

    reader.reset();
    QMetaObject::invokeMethod(
        &inWorker, [&] { inWorker.moveToThread(QCoreApplication::instance()->thread()); },
        Qt::BlockingQueuedConnection);
    worker.quit();
    worker.wait();
}

TEST(UsbReader, AFailedReadIsAnIoErrorFromThenOnAndANoticeForAnIdleSession) {
    ScriptedChip chip;
    UsbReader reader(chip.function(), kRoomyLimit);
    int notices = 0;
    ASSERT_EQ(reader.setNotifier([&] { ++notices; }), FT_OK);

    chip.fail(-4); // unplugged
    EXPECT_TRUE(runEventsUntil([&] { return notices == 1; }));
    DWORD n = 99;
    EXPECT_EQ(reader.queueStatus(&n), FT_IO_ERROR);
    std::uint8_t byte = 0;
    DWORD got = 0;
    EXPECT_EQ(reader.take(&byte, 1, &got), FT_IO_ERROR);
    EXPECT_EQ(reader.take(&byte, 0, &got), FT_IO_ERROR);
    EXPECT_EQ(reader.setNotifier([&] { ++notices; }), FT_IO_ERROR);

    // A gone device is read no more.
    const int reads = chip.reads;
    std::this_thread::sleep_for(20ms);
    EXPECT_EQ(chip.reads, reads);
    EXPECT_EQ(reader.queueStatus(&n), FT_IO_ERROR);
}

TEST(UsbReader, APurgeDropsTheBufferedBytesAndThePacketBeingRead) {
    ScriptedChip chip;
    UsbReader reader(chip.function(), kRoomyLimit);
    chip.send({1, 2, 3});
    ASSERT_TRUE(waitWithoutEvents([&] { return queued(reader) == 3; }));

    // The chip is handing over a packet when the purge comes: it was
    // received before the purge, so it goes too.
    chip.send({4, 5}, 50ms);
    ASSERT_TRUE(waitWithoutEvents([&] { return chip.inDelayedPacket.load(); }));
    bool flushedDuringRead = true;
    EXPECT_EQ(reader.purge([&] {
        flushedDuringRead = chip.inRead;
        return 0;
    }),
              0);
    EXPECT_FALSE(flushedDuringRead);
    EXPECT_EQ(queued(reader), 0u);
    std::this_thread::sleep_for(10ms);
    EXPECT_EQ(queued(reader), 0u);

    chip.send({6});
    ASSERT_TRUE(waitWithoutEvents([&] { return queued(reader) == 1; }));
    EXPECT_EQ(takeAll(reader), Bytes{6});
}

TEST(UsbReader, ControlCallsNeverRunDuringAReadAndDoNotWaitLong) {
    ScriptedChip chip;
    UsbReader reader(chip.function(), kRoomyLimit);
    ASSERT_TRUE(waitWithoutEvents([&] { return chip.reads > 3; }));
    int overlaps = 0;
    const auto start = std::chrono::steady_clock::now();
    constexpr int kCalls = 200;
    for (int i = 0; i < kCalls; ++i) {
        reader.exclusive([&] {
            if (chip.inRead)
                ++overlaps;
        });
    }
    const auto took = std::chrono::steady_clock::now() - start;
    EXPECT_EQ(overlaps, 0);
    // Each call waits for one idle read (a millisecond) at most: a reader
    // that took the device back at once would keep the calls waiting.
    EXPECT_LT(took, kCalls * 10ms);
}

TEST(UsbReader, StopEndsTheThreadAndNoNoticeRunsAfterIt) {
    ScriptedChip chip;
    UsbReader reader(chip.function(), kRoomyLimit);
    int notices = 0;
    ASSERT_EQ(reader.setNotifier([&] { ++notices; }), FT_OK);
    for (std::uint8_t i = 0; i < 50; ++i)
        chip.send({i}, 1ms);
    // A notice is on its way, undelivered, when the reader stops.
    ASSERT_TRUE(waitWithoutEvents([&] { return queued(reader) >= 3; }));
    reader.stop();
    EXPECT_FALSE(chip.inRead);
    const int reads = chip.reads;
    runEventsFor(50);
    EXPECT_EQ(chip.reads, reads);
    EXPECT_EQ(notices, 0);
    reader.stop(); // as the destructor does again
}

TEST(UsbReader, TheNoticeMayCloseThePort) {
    // As the session does when the notice shows the port failed.
    ScriptedChip chip;
    auto reader = std::make_unique<UsbReader>(chip.function(), kRoomyLimit);
    int notices = 0;
    ASSERT_EQ(reader->setNotifier([&] {
        ++notices;
        reader->setNotifier({});
        reader.reset();
    }),
              FT_OK);
    chip.send({1}, 1ms);
    chip.send({2}, 1ms);
    EXPECT_TRUE(runEventsUntil([&] { return reader == nullptr; }));
    runEventsFor(20);
    EXPECT_EQ(notices, 1);
}

} // namespace
} // namespace brivo
