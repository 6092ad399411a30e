#include "link/usb/UsbReader.h"

#include <QObject>
#include <QThread>
#include <algorithm>
#include <utility>
#include <vector>

namespace brivo {

namespace {
// Bytes taken from the device per read.
constexpr std::size_t kChunkBytes = 4096;
} // namespace

// Shared with the notices on their way, so one that arrives after the reader
// is gone finds nothing to call.
struct UsbReader::Notices {
    std::mutex mutex;
    std::function<void()> notify;
    // Lives on the thread that set `notify`; the notices are posted to it.
    QObject* receiver = nullptr;
    // A notice is on its way: later bytes are told by that one.
    bool pending = false;

    // A notice may be being delivered to the receiver right now.
    ~Notices() {
        if (receiver != nullptr)
            receiver->deleteLater();
    }

    static void post(const std::shared_ptr<Notices>& notices) {
        std::lock_guard lock(notices->mutex);
        if (!notices->notify || notices->pending)
            return;
        notices->pending = true;
        QObject* to = notices->receiver;
        QMetaObject::invokeMethod(
            to, [notices, to] { notices->deliver(to); }, Qt::QueuedConnection);
    }

    void deliver(QObject* to) {
        std::function<void()> call;
        {
            std::lock_guard lock(mutex);
            // Posted before the notifier moved to another thread: not ours.
            if (to != receiver)
                return;
            pending = false;
            call = notify;
        }
        // A copy: the call may replace the notifier or close the port.
        if (call)
            call();
    }
};

UsbReader::Turn::Turn(UsbReader& reader) : reader_(reader) {
    ++reader_.controlWaiting_;
    reader_.ioMutex_.lock();
    --reader_.controlWaiting_;
}

UsbReader::Turn::~Turn() {
    reader_.ioMutex_.unlock();
    reader_.ioFree_.notify_all();
}

UsbReader::UsbReader(ReadFunction read, std::size_t limitBytes)
    : read_(std::move(read)), limitBytes_(limitBytes), notices_(std::make_shared<Notices>()),
      thread_([this] { run(); }) {}

UsbReader::~UsbReader() {
    stop();
}

void UsbReader::stop() {
    stopping_ = true;
    // Taking each lock once makes sure the thread sees the stop before it
    // next sleeps.
    { std::lock_guard lock(bufferMutex_); }
    room_.notify_all();
    { std::lock_guard lock(ioMutex_); }
    ioFree_.notify_all();
    if (thread_.joinable())
        thread_.join();
    std::lock_guard lock(notices_->mutex);
    notices_->notify = nullptr;
}

void UsbReader::run() {
    std::vector<std::uint8_t> chunk(kChunkBytes);
    for (;;) {
        std::size_t room = 0;
        {
            std::unique_lock lock(bufferMutex_);
            room_.wait(lock, [&] { return stopping_ || buffer_.size() < limitBytes_; });
            if (stopping_)
                return;
            room = std::min(chunk.size(), limitBytes_ - buffer_.size());
        }
        // The bytes go into the buffer before the device is free again, so
        // a purge never meets a packet read but not yet kept.
        std::unique_lock io(ioMutex_);
        ioFree_.wait(io, [&] { return stopping_ || controlWaiting_ == 0; });
        if (stopping_)
            return;
        const int result = read_(chunk.data(), static_cast<int>(room));
        {
            std::lock_guard lock(bufferMutex_);
            if (result < 0)
                failed_ = true;
            else
                buffer_.insert(buffer_.end(), chunk.begin(), chunk.begin() + result);
        }
        if (result != 0)
            Notices::post(notices_);
        // A device that failed once is gone (unplugged): nothing more to read.
        if (result < 0)
            return;
    }
}

FT_STATUS UsbReader::queueStatus(DWORD* queued) {
    std::lock_guard lock(bufferMutex_);
    if (failed_)
        return FT_IO_ERROR;
    *queued = static_cast<DWORD>(buffer_.size());
    return FT_OK;
}

FT_STATUS UsbReader::take(std::uint8_t* buffer, DWORD count, DWORD* got) {
    {
        std::lock_guard lock(bufferMutex_);
        if (failed_)
            return FT_IO_ERROR;
        const auto n = std::min<std::size_t>(count, buffer_.size());
        std::copy_n(buffer_.begin(), n, buffer);
        buffer_.erase(buffer_.begin(), buffer_.begin() + static_cast<std::ptrdiff_t>(n));
        *got = static_cast<DWORD>(n);
    }
    room_.notify_all();
    return FT_OK;
}

void UsbReader::dropBuffered() {
    {
        std::lock_guard lock(bufferMutex_);
        buffer_.clear();
    }
    room_.notify_all();
}

FT_STATUS UsbReader::setNotifier(std::function<void()> notify) {
    const bool wanted = static_cast<bool>(notify);
    QObject* retired = nullptr;
    {
        std::lock_guard lock(notices_->mutex);
        notices_->notify = std::move(notify);
        // A notice still on its way tells the new notifier, if any; the next
        // bytes must not wait for it.
        notices_->pending = false;
        QObject*& receiver = notices_->receiver;
        if (wanted && (receiver == nullptr || receiver->thread() != QThread::currentThread()))
            retired = std::exchange(receiver, new QObject);
    }
    if (retired != nullptr)
        retired->deleteLater();
    std::lock_guard lock(bufferMutex_);
    return wanted && failed_ ? FT_IO_ERROR : FT_OK;
}

} // namespace brivo
