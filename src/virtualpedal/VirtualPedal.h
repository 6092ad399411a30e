#pragma once

#include "base/Clock.h"
#include "link/d2xx/Ftd2xx.h"
#include "virtualpedal/Bootloader.h"
#include "virtualpedal/BridgeEeprom.h"
#include "virtualpedal/EffectProcessor.h"
#include "virtualpedal/FaultInjection.h"
#include "virtualpedal/SerialLink.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace brivo {

class VirtualPort;

// Line settings the host gave the bridge (the chip's own defaults until then).
struct LineSettings {
    DWORD baudRate = 9600;
    UCHAR wordLength = FT_BITS_8;
    UCHAR stopBits = FT_STOP_BITS_1;
    UCHAR parity = FT_PARITY_NONE;
};

// One FT_Write call as the bridge took it.
struct WriteRecord {
    std::int64_t atUs = 0;
    std::vector<std::uint8_t> bytes;
};

// A Brivo pedal without hardware: an FT230X bridge (listing, EEPROM, serial
// timing) in front of the effect processor, with a record of what it received
// and switches for faults. It runs lazily: every port call and every query
// below first brings it up to the clock's present.
class VirtualPedal {
  public:
    static constexpr const char* kDefaultSerial = "DVIRT001";
    static constexpr const char* kDefaultDescription = "FT230X Basic UART";
    static constexpr const char* kManufacturer = "TNDRL";
    static constexpr DWORD kMinBaudRate = 183;
    static constexpr DWORD kMaxBaudRate = 3'000'000;

    VirtualPedal(Clock& clock, std::string serial = kDefaultSerial,
                 std::string description = kDefaultDescription);

    // The bridge.
    const std::string& serialNumber() const { return serial_; }
    const std::string& description() const { return description_; }
    const BridgeEepromImage& eeprom() const { return eeprom_; }
    const LineSettings& lineSettings() const { return line_; }
    std::int64_t latencyTimerNs() const { return link_.latencyTimerNs(); }
    bool isOpen() const { return openSession_ != 0; }
    // Brought up to the present: a fault may have pulled the cable by now.
    bool isPlugged() {
        advance();
        return plugged_;
    }

    // Faults.
    void setSilent(bool silent) { faults_.silent = silent; }
    // The cable is pulled as the host makes its nth write from now (1 for
    // the next); that write fails. 0 leaves the cable alone.
    void unplugAtWrite(int nth) { unplugAtWrite_ = nth; }
    // Called by the port before each write: true when the cable goes now.
    bool cablePulledForWrite() {
        if (unplugAtWrite_ <= 0 || --unplugAtWrite_ > 0)
            return false;
        unplug();
        return true;
    }
    void setAccessDenied(bool denied) { faults_.accessDenied = denied; }
    // Every call on an open handle fails with FT_IO_ERROR from now on, and the
    // bridge leaves the listing; bytes in flight are lost.
    void unplug();
    // Listed again and can be opened; handles from before stay dead.
    void replug();
    void setSplitReplies(int chunkBytes, int gapMs);
    void setReplyDelayMs(int ms) { faults_.replyDelayMs = ms; }
    void setParityRefused(bool refused) { faults_.parityRefused = refused; }
    // The bridge's latency timer as a host behind a pty would have set it
    // (the serial driver's low-latency flag gives 1 ms), which the pty
    // cannot carry.
    void setBridgeLatencyTimerMs(UCHAR ms) { setLatencyTimer(ms); }
    void injectGarbage(const std::vector<std::uint8_t>& bytes);
    void setFirmwareVersion(int version) { processor_.setFirmwareVersion(version); }
    const FaultInjection& faults() const { return faults_; }

    // The processor's bootloader. Entering it is what the owner does by hand
    // (boot switch held at power-on); the effect processor then hears nothing
    // until a Go starts a program from flash.
    void enterBootloader();
    bool inBootloader() const { return mode_ == Mode::Bootloader; }
    // After a Go to something that is not a program: nothing answers.
    bool halted() const { return mode_ == Mode::Halted; }
    const std::vector<std::uint8_t>& flash();
    void setBootloaderFault(const BootloaderFault& fault) { bootloader_.setFault(fault); }
    void corruptFlashByte(std::uint32_t address, std::uint8_t mask) {
        bootloader_.corruptFlashByte(address, mask);
    }
    void setBootloaderListsReadMemory(bool lists) { bootloader_.setListsReadMemory(lists); }
    const std::vector<std::uint8_t>& bootloaderCommands();
    // Erase 43 (the default) or Extended Erase 44: a part offers one of them.
    void setBootloaderEraseCommand(std::uint8_t code) { bootloader_.setEraseCommand(code); }

    // The framing of the host's bytes on the line. A host's bridge takes it
    // from the line settings; a pseudo-terminal carries none, so the pty
    // pedal assumes its client speaks what the processor speaks (8E1 to the
    // bootloader, 8N1 to the firmware) unless told it stays at the line
    // settings' framing.
    void setClientFollowsProcessor(bool follows);

    // The physical controls.
    void moveController(int controller, int position);
    void setParameterValue(int index, int value);

    // The effect processor's state.
    int runningEffectNumber();
    int runningEffectVersion();
    int firmwareVersion();
    const EffectSettings& settings();
    int parameterValue(int index);
    std::uint32_t parameterWord(int index);
    bool isAssigned(int controller, int index);
    bool isReversed(int index);
    int minLimit(int index);
    int maxLimit(int index);
    // What a store message kept for the running effect, or for any effect.
    std::optional<EffectSettings> storedSettings();
    std::optional<EffectSettings> storedSettingsOf(int effectNumber);
    const std::array<std::uint16_t, kPedalParameterSlots>& parameterAddresses();

    // The record.
    const std::vector<ReceivedMessage>& received();
    std::size_t rawBytesReceived();
    const std::vector<std::uint8_t>& garbageReceived();
    const std::vector<UnknownAddressWrite>& unknownAddressWrites();
    const std::vector<std::uint8_t>& lastUpload();
    const std::vector<WriteRecord>& writesReceived() const { return writes_; }
    void clearRecord();

    // Brings the simulation up to the clock's present.
    void advance();
    // True while bytes travel either way, wait in the bridge or wait for the
    // host to read them: whoever runs the pedal in real time must keep
    // advancing it (and handing over what is queued) until this is false.
    bool hasBytesInFlight();
    // When the host next sees bytes, or the processor has all the bytes
    // written to it, whichever comes first, as things stand now (in
    // microseconds of the pedal's clock); nothing when no byte is on its way.
    std::optional<std::int64_t> nextArrivalAtUs();

  private:
    friend class VirtualPort;
    friend class VirtualDriver;

    // Bridge side, for the port and the driver.
    FT_STATUS beginSession(std::uint64_t& session);
    void endSession(std::uint64_t session);
    bool sessionAlive(std::uint64_t session) const;
    FT_STATUS setBaudRate(DWORD baud);
    FT_STATUS setDataCharacteristics(UCHAR wordLength, UCHAR stopBits, UCHAR parity);
    FT_STATUS setLatencyTimer(UCHAR ms);
    FT_STATUS purge(DWORD mask);
    DWORD queued();
    DWORD read(std::uint8_t* buffer, DWORD count);
    void write(const std::uint8_t* data, DWORD count);

    enum class Mode { Application, Bootloader, Halted };

    void sendAnswer(const EffectProcessor::Answer& answer, std::int64_t atNs);
    // Delivers one byte to whatever runs on the processor; true when the
    // byte ended with the cable pulled.
    bool deliver(std::uint8_t byte, std::int64_t atNs);
    void startFromFlash(std::uint32_t address);
    // Each end of the line at its framing: the processor's by what runs on it.
    void updateFraming();
    void pullCable();
    std::int64_t nowNs() const;

    Clock& clock() { return clock_; }
    void setUnplugNotice(std::function<void()> notify) { unplugNotice_ = std::move(notify); }

    Clock& clock_;
    std::function<void()> unplugNotice_;
    std::string serial_;
    std::string description_;
    BridgeEepromImage eeprom_;
    LineSettings line_;
    bool plugged_ = true;
    std::uint64_t openSession_ = 0;
    std::uint64_t lastSession_ = 0;

    SerialLink link_;
    EffectProcessor processor_;
    Bootloader bootloader_{EffectProcessor::kDefaultFirmwareVersion};
    Mode mode_ = Mode::Application;
    FaultInjection faults_;
    int unplugAtWrite_ = 0;
    std::vector<WriteRecord> writes_;
    bool clientFollowsProcessor_ = false;
};

} // namespace brivo
