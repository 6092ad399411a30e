#pragma once

#include "link/d2xx/Driver.h"

#include <QSerialPort>
#include <functional>
#include <memory>

namespace brivo {

// An open serial port (the kernel's /dev/ttyUSBn of the bridge, or a pty)
// behind the D2XX-style calls. Received bytes wait in Qt Serial Port's buffer;
// the queue status first takes in what the kernel holds. Once the port has
// hung up (unplugged, or the far end of a pty closed) every call but close
// fails with FT_IO_ERROR.
class TtyPort final : public Port {
  public:
    // `beforeClose` puts back what the opener changed on the tty.
    explicit TtyPort(std::unique_ptr<QSerialPort> port,
                     std::function<void(int fd)> beforeClose = {});
    ~TtyPort() override;

    FT_STATUS setBaudRate(DWORD baud) override;
    // FT_NOT_SUPPORTED for parity on a pseudo-terminal, which has no line to
    // carry it; FT_INVALID_PARAMETER when a tty drops the parity asked for.
    FT_STATUS setDataCharacteristics(UCHAR wordLength, UCHAR stopBits, UCHAR parity) override;
    FT_STATUS purge(DWORD mask) override;
    FT_STATUS getQueueStatus(DWORD* queued) override;
    FT_STATUS read(std::uint8_t* buffer, DWORD count, DWORD* got) override;
    // Returns at once, as a bridge's write does: Qt Serial Port hands the
    // bytes to the kernel from the event loop.
    FT_STATUS write(const std::uint8_t* data, DWORD count, DWORD* written) override;
    // A tty offers no access to the bridge's EEPROM.
    FT_STATUS readEE(DWORD wordAddress, WORD* value) override;
    FT_STATUS close() override;
    // Tells of bytes that arrive and of the port's errors (an unplug) as Qt
    // Serial Port reports them, whether or not a command is waiting.
    FT_STATUS setReceiveNotifier(std::function<void()> notify) override;

  private:
    // Takes what the kernel holds into the buffer; false when the port is gone.
    bool pull();
    // The tty still takes calls (an unplugged or hung-up one does not).
    bool answers() const;
    void markGone();
    FT_STATUS statusAfterFailure();

    std::unique_ptr<QSerialPort> port_;
    std::function<void(int)> beforeClose_;
    bool gone_ = false;
    std::function<void()> notify_;
    QMetaObject::Connection readyReadConnection_;
    QMetaObject::Connection errorConnection_;
};

} // namespace brivo
