#pragma once

#include "link/d2xx/D2xx.h"

#include <QByteArray>
#include <QString>
#include <array>
#include <cstdint>
#include <functional>

namespace brivo {

class Clock;

constexpr int kTxBufferSize = 65536;
constexpr int kRxBufferSize = 65536;
constexpr int kOpenSerialNumberBytes = 50;

// The device layer: thin wrappers around the driver calls on one program-wide
// handle, with the shared transmit and receive buffers. Every failed call is
// reported at once through ReportFTStatus; nothing is retried.
class D2XXUnit {
  public:
    D2XXUnit(D2xx& driver, Clock& clock);

    FT_STATUS GetFTDeviceCount();
    FT_STATUS GetFTDeviceSerialNo(DWORD index);
    FT_STATUS GetFTDeviceDescription(DWORD index);
    FT_STATUS Open_USB_Device_By_Serial_Number(const QString& serial);
    FT_STATUS CloseFTDevice();
    FT_STATUS SetFTBaudRate();
    FT_STATUS SetFTDataCharacteristics();
    FT_STATUS PurgeFTDeviceRX();
    // Callers first wait until txLineFreeAtUs(): a purge must not cut a
    // message the editor has already sent.
    FT_STATUS PurgeFTDeviceTX();
    // When the last byte written so far will have left the bridge.
    std::int64_t txLineFreeAtUs() const { return txLineFreeAtUs_; }
    FT_STATUS GetFTQueueStatus();
    // Reads exactly the bytes queued now (at most the buffer's size); the
    // argument is kept for the callers' sake and has no effect.
    DWORD ReadFTDevice(DWORD requested);
    // The status of the last ReadFTDevice: a failed read returns 0 like an
    // empty one, and a reply must end there instead of being parsed.
    FT_STATUS ftReadStatus = FT_OK;
    DWORD WriteFTDevice(DWORD count);
    FT_STATUS ReadFTEEPROMWord(DWORD address);
    // Silent: a bridge without the timer simply keeps its timing.
    FT_STATUS SetFTLatencyTimer(UCHAR ms);
    // `notify` runs when bytes arrive or the port fails; false where the
    // driver cannot tell (the caller polls).
    bool SetFTEventNotification(std::function<void()> notify);
    FT_STATUS GetFTLatencyTimer(UCHAR* ms);
    // The open device is the in-process virtual pedal.
    bool deviceIsSimulated() { return driver_.isSimulated(ftHandle); }
    // Silent: the line's framing for a while (the bootloader's 8E1), leaving
    // the settings applied at each connection as they are.
    FT_STATUS SetFTLineFraming(UCHAR wordLength, UCHAR stopBits, UCHAR parity);

    // Reports "label + suffix" when status is not 0 to the reporter: the
    // session, which tells the user once per failed command.
    void ReportFTStatus(const QString& label, FT_STATUS status);
    void setReporter(std::function<void(const QString&)> reporter) {
        reporter_ = std::move(reporter);
    }

    // The handle as a number, for the console.
    std::uintptr_t handleValue() const { return reinterpret_cast<std::uintptr_t>(ftHandle); }

    FT_HANDLE ftHandle = nullptr;
    std::array<std::uint8_t, kTxBufferSize> txBuffer{};
    std::array<std::uint8_t, kRxBufferSize> rxBuffer{};
    DWORD ftQueueBytes = 0;
    DWORD ftDeviceCount = 0;
    std::array<char, kFtListStringBytes> ftSerialNumberBuffer{};
    std::array<char, kFtListStringBytes> ftDescriptionBuffer{};
    QByteArray FT_Device_String;
    std::array<char, kOpenSerialNumberBytes> ftOpenSerialNumber{};
    DWORD ftBaudRate = 0;
    UCHAR ftWordLength = 0;
    UCHAR ftStopBits = 0;
    UCHAR ftParity = 0;
    WORD ftEepromWord = 0;

  private:
    static QByteArray bufferText(const std::array<char, kFtListStringBytes>& buffer);

    D2xx& driver_;
    std::function<void(const QString&)> reporter_;
    Clock& clock_;
    // When the last byte written so far will have left the bridge.
    std::int64_t txLineFreeAtUs_ = 0;
};

} // namespace brivo
