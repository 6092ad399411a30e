#pragma once

#include "virtualpedal/EffectSettings.h"

#include <array>
#include <cstdint>
#include <map>
#include <optional>
#include <vector>

namespace brivo {

// One complete message as the processor took it: command byte and all its bytes.
struct ReceivedMessage {
    std::vector<std::uint8_t> bytes;
    std::int64_t completedUs = 0;
};

// A set-parameter message whose address no parameter of the running effect has.
struct UnknownAddressWrite {
    std::uint16_t address = 0;
    std::uint32_t valueWord = 0;
};

// The pedal's effect processor: reads the raw byte stream by command byte,
// keeps the running effect and its settings (one set per effect, with the
// stored copy that comes back when the effect is loaded again) and makes the
// answers. It knows nothing of time but the stamps it is given.
class EffectProcessor {
  public:
    // Message commands, by their first byte.
    static constexpr std::uint8_t kUpload = 0x00;
    static constexpr std::uint8_t kSetParameter = 0x01;
    static constexpr std::uint8_t kStatus = 0x02;
    static constexpr std::uint8_t kStore = 0x03;
    static constexpr std::uint8_t kAssignTable = 0x04;
    static constexpr std::uint8_t kIdentity = 0x05;
    static constexpr std::uint8_t kSetLimit = 0x06;

    // Program layout: 24-bit big-endian length, address tables, effect number and version.
    static constexpr std::size_t kProgramLengthBytes = 3;
    static constexpr std::size_t kProgramEffectNumberByte = 35;
    static constexpr std::size_t kProgramEffectVersionByte = 36;
    static constexpr std::size_t kProgramFirstAddressByte = 3;
    static constexpr std::size_t kProgramSecondAddressByte = 49;
    static constexpr std::size_t kMinProgramBytes = 65;
    static constexpr std::size_t kMaxProgramBytes = 65536;
    static constexpr std::size_t kAssignTableBytes = 192;

    static constexpr std::int64_t kUploadProcessingUs = 5000;
    static constexpr std::int64_t kAnswerProcessingUs = 500;
    static constexpr int kDefaultFirmwareVersion = 5;

    struct Answer {
        std::vector<std::uint8_t> bytes;
        // How long the processor works before the first byte leaves.
        std::int64_t processingUs = 0;
    };

    // Takes one byte that arrived at `atUs`; returns the answer when the
    // byte completes a message that has one.
    std::optional<Answer> consume(std::uint8_t byte, std::int64_t atUs);
    // Forgets a message only partly received.
    void resetParser() { pending_.clear(); }

    // The physical controls: every parameter bound to `controller` follows
    // `position` (0..1023) within its limits, the other way round when reversed.
    void moveController(int controller, int position);
    void setParameterValue(int index, int value);

    int runningEffectNumber() const { return effectNumber_; }
    int runningEffectVersion() const { return effectVersion_; }
    int firmwareVersion() const { return firmwareVersion_; }
    void setFirmwareVersion(int version) { firmwareVersion_ = version; }

    const EffectSettings& settings() const { return current_; }
    std::optional<EffectSettings> storedSettings(int effectNumber) const;
    // Parameter addresses of the running effect (0: no such parameter).
    const std::array<std::uint16_t, kPedalParameterSlots>& parameterAddresses() const {
        return addresses_;
    }

    const std::vector<ReceivedMessage>& received() const { return received_; }
    std::size_t rawBytesReceived() const { return rawBytes_; }
    const std::vector<std::uint8_t>& garbage() const { return garbage_; }
    const std::vector<UnknownAddressWrite>& unknownAddressWrites() const {
        return unknownAddresses_;
    }
    const std::vector<std::uint8_t>& lastUpload() const { return lastUpload_; }
    void clearRecord();

  private:
    // Bytes the message that starts with `pending_` needs in all; 0 when
    // that cannot be known yet.
    std::size_t expectedLength() const;
    std::optional<Answer> execute(const std::vector<std::uint8_t>& message);
    std::optional<Answer> loadProgram(const std::vector<std::uint8_t>& program);
    void setParameter(const std::vector<std::uint8_t>& message);
    void setAssignTable(const std::vector<std::uint8_t>& message);
    void setLimit(const std::vector<std::uint8_t>& message);
    void dropPendingAsGarbage();

    std::vector<std::uint8_t> pending_;
    int effectNumber_ = 0;
    int effectVersion_ = 0;
    int firmwareVersion_ = kDefaultFirmwareVersion;
    std::array<std::uint16_t, kPedalParameterSlots> addresses_{};
    EffectSettings current_;
    std::map<int, EffectSettings> stored_;

    std::vector<ReceivedMessage> received_;
    std::size_t rawBytes_ = 0;
    std::vector<std::uint8_t> garbage_;
    std::vector<UnknownAddressWrite> unknownAddresses_;
    std::vector<std::uint8_t> lastUpload_;
};

} // namespace brivo
