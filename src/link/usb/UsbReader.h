#pragma once

#include "link/d2xx/Ftd2xx.h"

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

namespace brivo {

// Reads a bridge on a thread of its own into a bounded host-side buffer, so
// the queue status and reads on the windows' thread never wait for USB, and
// tells the thread that asked of each burst of bytes and of a failed read.
//
// A device context is not for two threads at once: every other call on it
// goes through exclusive(), which runs it between two reads.
class UsbReader {
  public:
    // Takes up to `capacity` bytes into `buffer`: the count (0 when nothing
    // came), or a negative number when the device failed.
    using ReadFunction = std::function<int(std::uint8_t* buffer, int capacity)>;

    // Starts reading at once. Reading pauses while `limitBytes` wait.
    UsbReader(ReadFunction read, std::size_t limitBytes);
    ~UsbReader();
    UsbReader(const UsbReader&) = delete;
    UsbReader& operator=(const UsbReader&) = delete;

    // Ends the thread, waiting for the read under way; no notice runs after.
    void stop();

    // FT_IO_ERROR once a read has failed: the device is gone.
    FT_STATUS queueStatus(DWORD* queued);
    FT_STATUS take(std::uint8_t* buffer, DWORD count, DWORD* got);

    // Runs `call` on this thread while no read is under way.
    template <typename Call> auto exclusive(Call&& call) -> decltype(call()) {
        const Turn turn(*this);
        return call();
    }

    // Drops the buffered bytes and runs `flushChip` with no read between the
    // two, so no packet read before the flush comes after it.
    template <typename Call> auto purge(Call&& flushChip) -> decltype(flushChip()) {
        return exclusive([&] {
            dropBuffered();
            return flushChip();
        });
    }

    // `notify` runs on the calling thread's event loop after bytes arrive or
    // a read fails, once for all that came before it ran. An empty function
    // stops the notices. FT_IO_ERROR once a read has failed.
    FT_STATUS setNotifier(std::function<void()> notify);

  private:
    struct Notices;

    // The device for the calling thread until destroyed: a waiting call
    // goes before the reader's next read.
    class Turn {
      public:
        explicit Turn(UsbReader& reader);
        ~Turn();
        Turn(const Turn&) = delete;
        Turn& operator=(const Turn&) = delete;

      private:
        UsbReader& reader_;
    };

    void run();
    void dropBuffered();

    ReadFunction read_;
    const std::size_t limitBytes_;

    // Held for each read, and by exclusive(); taken before bufferMutex_.
    std::mutex ioMutex_;
    std::condition_variable ioFree_;
    std::atomic<int> controlWaiting_ = 0;

    std::mutex bufferMutex_;
    std::condition_variable room_;
    std::deque<std::uint8_t> buffer_;
    bool failed_ = false;

    std::atomic<bool> stopping_ = false;
    std::shared_ptr<Notices> notices_;
    std::thread thread_;
};

} // namespace brivo
