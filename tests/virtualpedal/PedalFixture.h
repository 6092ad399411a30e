#pragma once

#include "base/Clock.h"
#include "link/d2xx/D2xx.h"
#include "virtualpedal/VirtualDriver.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace brivo::test {

using Bytes = std::vector<std::uint8_t>;

// A virtual pedal behind the D2XX-style API on a virtual clock, opened as the
// editor opens it.
class PedalFixture : public ::testing::Test {
  protected:
    static constexpr std::size_t kProgramBytes = 1280;

    PedalFixture() {
        auto driver = std::make_unique<VirtualDriver>(clock);
        virtualDriver = driver.get();
        pedal = driver->addPedal();
        d2xx.addDriver(std::move(driver));
    }

    void SetUp() override { ASSERT_EQ(FT_OK, open(VirtualPedal::kDefaultSerial, &handle)); }

    FT_STATUS open(const char* serial, FT_HANDLE* h) {
        return d2xx.FT_OpenEx(const_cast<char*>(serial), FT_OPEN_BY_SERIAL_NUMBER, h);
    }

    void send(Bytes bytes) {
        DWORD written = 0;
        ASSERT_EQ(FT_OK,
                  d2xx.FT_Write(handle, bytes.data(), static_cast<DWORD>(bytes.size()), &written));
        ASSERT_EQ(bytes.size(), written);
    }

    DWORD queued() {
        DWORD n = 0;
        EXPECT_EQ(FT_OK, d2xx.FT_GetQueueStatus(handle, &n));
        return n;
    }

    // Everything the host can read now, in one read.
    std::string readNow() {
        std::string text(queued(), '\0');
        DWORD got = 0;
        EXPECT_EQ(FT_OK, d2xx.FT_Read(handle, text.data(), static_cast<DWORD>(text.size()), &got));
        text.resize(got);
        return text;
    }

    // Reads as the editor does: poll until something comes, then read until
    // nothing more has come `quietMs` after the last piece.
    std::string collectReply(int quietMs = 100, int timeoutMs = 5000) {
        std::string reply;
        const std::int64_t deadline = clock.nowMs() + timeoutMs;
        while (queued() == 0 && clock.nowMs() < deadline)
            clock.sleepUs(std::int64_t{1} * 1000);
        for (;;) {
            const std::string piece = readNow();
            if (piece.empty())
                break;
            reply += piece;
            clock.sleepUs(std::int64_t{quietMs} * 1000);
        }
        return reply;
    }

    // A program of `size` bytes: length, parameter addresses by index, effect
    // number and version where the processor looks for them.
    static Bytes program(int effect, int version, const std::map<int, std::uint16_t>& addresses,
                         std::size_t size = kProgramBytes) {
        Bytes bytes(size);
        for (std::size_t i = 0; i < size; ++i)
            bytes[i] = static_cast<std::uint8_t>(0xA5 ^ i);
        bytes[0] = static_cast<std::uint8_t>(size >> 16);
        bytes[1] = static_cast<std::uint8_t>(size >> 8);
        bytes[2] = static_cast<std::uint8_t>(size);
        for (int i = 0; i < 24; ++i) {
            const std::size_t at = i < 16 ? 3 + 2 * i : 49 + 2 * (i - 16);
            const auto found = addresses.find(i);
            const std::uint16_t address = found == addresses.end() ? 0 : found->second;
            bytes[at] = static_cast<std::uint8_t>(address >> 8);
            bytes[at + 1] = static_cast<std::uint8_t>(address);
        }
        bytes[35] = static_cast<std::uint8_t>(effect);
        bytes[36] = static_cast<std::uint8_t>(version);
        return bytes;
    }

    // Loads a program and checks the pedal's answer.
    void upload(const Bytes& bytes) {
        send(bytes);
        EXPECT_EQ(std::string("Upload Completed\0", 17), collectReply());
    }

    static Bytes setParameter(std::uint16_t address, std::int32_t value) {
        const auto word = static_cast<std::uint32_t>(value) << 13;
        return {0x01,
                static_cast<std::uint8_t>(address >> 8),
                static_cast<std::uint8_t>(address),
                static_cast<std::uint8_t>(word >> 24),
                static_cast<std::uint8_t>(word >> 16),
                static_cast<std::uint8_t>(word >> 8),
                static_cast<std::uint8_t>(word)};
    }

    static Bytes setLimit(std::uint8_t which, std::uint8_t index, std::int32_t value) {
        const auto word = static_cast<std::uint32_t>(value) << 13;
        return {0x06,
                which,
                index,
                static_cast<std::uint8_t>(word >> 24),
                static_cast<std::uint8_t>(word >> 16),
                static_cast<std::uint8_t>(word >> 8),
                static_cast<std::uint8_t>(word)};
    }

    // The status reply's numbers.
    std::vector<int> requestStatus(int paramCount) {
        send({0x02, static_cast<std::uint8_t>(paramCount)});
        const std::string text = collectReply();
        std::vector<int> numbers;
        std::size_t start = 0;
        for (std::size_t end; (end = text.find("\r\n", start)) != std::string::npos;
             start = end + 2)
            numbers.push_back(std::stoi(text.substr(start, end - start)));
        EXPECT_EQ(start, text.size()) << "text after the last line end";
        return numbers;
    }

    VirtualClock clock;
    D2xx d2xx;
    VirtualDriver* virtualDriver = nullptr;
    std::shared_ptr<VirtualPedal> pedal;
    FT_HANDLE handle = nullptr;
};

} // namespace brivo::test
