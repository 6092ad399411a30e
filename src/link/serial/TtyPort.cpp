#include "link/serial/TtyPort.h"

#include "link/LinkSettings.h"
#include "link/serial/SerialMapping.h"

#include <cstdint>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <termios.h>

namespace brivo {

using namespace brivo::serial;

namespace {
// The kernel's majors of pseudo-terminal slaves (Unix98).
constexpr unsigned kPtySlaveMajorFirst = 136;
constexpr unsigned kPtySlaveMajorLast = 143;

// A pseudo-terminal has no line: the kernel clears parity whatever is asked.
bool isPseudoTerminal(int fd) {
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISCHR(info.st_mode))
        return false;
    const unsigned majorNumber = major(info.st_rdev);
    return majorNumber >= kPtySlaveMajorFirst && majorNumber <= kPtySlaveMajorLast;
}

// Whether the tty took the parity asked for: a driver may drop it silently.
bool parityTook(int fd, UCHAR parity) {
    termios settings{};
    if (::tcgetattr(fd, &settings) != 0)
        return false;
    const bool enabled = (settings.c_cflag & PARENB) != 0;
    if (parity == FT_PARITY_NONE)
        return !enabled;
    if (!enabled)
        return false;
    const bool odd = (settings.c_cflag & PARODD) != 0;
    return parity == FT_PARITY_ODD ? odd : parity == FT_PARITY_EVEN ? !odd : true;
}
} // namespace

TtyPort::TtyPort(std::unique_ptr<QSerialPort> port, std::function<void(int)> beforeClose)
    : port_(std::move(port)), beforeClose_(std::move(beforeClose)) {}

TtyPort::~TtyPort() {
    close();
}

void TtyPort::markGone() {
    gone_ = true;
    // Closing stops the notifier that a hung-up tty would keep firing.
    port_->close();
}

FT_STATUS TtyPort::statusAfterFailure() {
    const QSerialPort::SerialPortError error = port_->error();
    if (isFatalSerialError(error))
        markGone();
    port_->clearError();
    const FT_STATUS status = statusOfSerialError(error);
    return status == FT_OK ? FT_IO_ERROR : status;
}

bool TtyPort::answers() const {
    int kernelQueued = 0;
    // A hung-up tty refuses every ioctl: that is how an unplug shows.
    return ::ioctl(port_->handle(), FIONREAD, &kernelQueued) == 0;
}

bool TtyPort::pull() {
    if (gone_ || !port_->isOpen())
        return false;
    int kernelQueued = 0;
    // A hung-up tty refuses every ioctl: that is how an unplug shows.
    if (::ioctl(port_->handle(), FIONREAD, &kernelQueued) != 0) {
        markGone();
        return false;
    }
    if (kernelQueued > 0) {
        port_->waitForReadyRead(0);
        const QSerialPort::SerialPortError error = port_->error();
        port_->clearError();
        if (error == QSerialPort::ResourceError) {
            markGone();
            return false;
        }
    }
    return true;
}

FT_STATUS TtyPort::setBaudRate(DWORD baud) {
    if (gone_)
        return FT_IO_ERROR;
    if (baud == 0 || baud > static_cast<DWORD>(INT32_MAX))
        return FT_INVALID_BAUD_RATE;
    if (port_->setBaudRate(static_cast<qint32>(baud)))
        return FT_OK;
    if (port_->error() == QSerialPort::UnsupportedOperationError) {
        port_->clearError();
        return FT_INVALID_BAUD_RATE;
    }
    return statusAfterFailure();
}

FT_STATUS TtyPort::setDataCharacteristics(UCHAR wordLength, UCHAR stopBits, UCHAR parity) {
    if (gone_)
        return FT_IO_ERROR;
    const auto bits = serialDataBitsFor(wordLength);
    const auto stop = serialStopBitsFor(stopBits);
    const auto par = serialParityFor(parity);
    if (!bits || !stop || !par)
        return FT_INVALID_PARAMETER;
    const int fd = static_cast<int>(port_->handle());
    const bool pty = parity != FT_PARITY_NONE && isPseudoTerminal(fd);
    if (!port_->setDataBits(*bits) || !port_->setStopBits(*stop) || !port_->setParity(*par)) {
        if (pty) {
            port_->clearError();
            return FT_NOT_SUPPORTED;
        }
        return statusAfterFailure();
    }
    if (!parityTook(fd, parity))
        return pty ? FT_NOT_SUPPORTED : FT_INVALID_PARAMETER;
    return FT_OK;
}

FT_STATUS TtyPort::purge(DWORD mask) {
    if (gone_)
        return FT_IO_ERROR;
    QSerialPort::Directions directions;
    if (mask & FT_PURGE_RX)
        directions |= QSerialPort::Input;
    if (mask & FT_PURGE_TX)
        directions |= QSerialPort::Output;
    if (directions == QSerialPort::Directions() || port_->clear(directions))
        return FT_OK;
    return statusAfterFailure();
}

FT_STATUS TtyPort::getQueueStatus(DWORD* queued) {
    if (!pull())
        return FT_IO_ERROR;
    *queued = static_cast<DWORD>(port_->bytesAvailable());
    return FT_OK;
}

FT_STATUS TtyPort::read(std::uint8_t* buffer, DWORD count, DWORD* got) {
    if (gone_)
        return FT_IO_ERROR;
    if (port_->bytesAvailable() < count && !pull())
        return FT_IO_ERROR;
    const qint64 n = port_->read(reinterpret_cast<char*>(buffer), count);
    if (n < 0)
        return statusAfterFailure();
    *got = static_cast<DWORD>(n);
    return FT_OK;
}

FT_STATUS TtyPort::write(const std::uint8_t* data, DWORD count, DWORD* written) {
    if (gone_)
        return FT_IO_ERROR;
    if (count == 0)
        return FT_OK;
    // Qt Serial Port keeps what the kernel cannot take yet and hands it over
    // from the event loop: the write returns at once, as a bridge's does.
    if (port_->write(reinterpret_cast<const char*>(data), count) != static_cast<qint64>(count))
        return statusAfterFailure();
    port_->flush();
    *written = count;
    return FT_OK;
}

FT_STATUS TtyPort::readEE(DWORD /*wordAddress*/, WORD* /*value*/) {
    return gone_ ? FT_IO_ERROR : FT_NOT_SUPPORTED;
}

FT_STATUS TtyPort::close() {
    QObject::disconnect(readyReadConnection_);
    QObject::disconnect(errorConnection_);
    notify_ = nullptr;
    if (port_->isOpen()) {
        if (beforeClose_)
            beforeClose_(static_cast<int>(port_->handle()));
        port_->close();
    }
    beforeClose_ = nullptr;
    return FT_OK;
}

FT_STATUS TtyPort::setReceiveNotifier(std::function<void()> notify) {
    QObject::disconnect(readyReadConnection_);
    QObject::disconnect(errorConnection_);
    notify_ = std::move(notify);
    if (!notify_)
        return FT_OK;
    if (gone_ || !port_->isOpen())
        return FT_IO_ERROR;
    readyReadConnection_ = QObject::connect(port_.get(), &QSerialPort::readyRead, [this] {
        if (notify_)
            notify_();
    });
    errorConnection_ = QObject::connect(port_.get(), &QSerialPort::errorOccurred,
                                        [this](QSerialPort::SerialPortError error) {
                                            // A hung-up tty keeps its notifier firing: closed at
                                            // once, and the next call reports the loss.
                                            if (!isFatalSerialError(error))
                                                return;
                                            // A read notice that finds the bytes already taken
                                            // reads nothing, and Qt reports a read error with
                                            // whatever errno stood: the port is still there.
                                            if (error == QSerialPort::ReadError && answers()) {
                                                port_->clearError();
                                                return;
                                            }
                                            markGone();
                                            if (notify_)
                                                notify_();
                                        });
    return FT_OK;
}

} // namespace brivo
