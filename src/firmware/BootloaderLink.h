#pragma once

#include "base/Task.h"

#include <cstdint>
#include <span>
#include <vector>

namespace brivo {

// What a conversation with the bootloader needs of the link, and no more:
// drop what waits, send a frame in one write, await an exact number of answer
// bytes with a time-out. The steps of the upgrade are written against it, so
// they run over any exchange that can offer these three.
class BootloaderLink {
  public:
    enum class End {
        Whole,    // every byte asked for came
        TimedOut, // the time ran out first
        LinkLost  // the link failed (already reported)
    };
    struct Awaited {
        std::vector<std::uint8_t> bytes;
        End end = End::Whole;
    };

    virtual ~BootloaderLink() = default;
    // Drops whatever waits to be read, on the host and in the bridge.
    virtual void purgeReceive() = 0;
    virtual void write(std::span<const std::uint8_t> frame) = 0;
    // The next bytes that arrive, until `count` have come (never more: what
    // follows stays for the next await), `timeoutMs` passes or the link fails.
    // Waits without blocking: the caller awaits it.
    virtual Task<Awaited> await(int count, int timeoutMs) = 0;
    // What has arrived and not been taken yet, without waiting.
    virtual std::vector<std::uint8_t> takeArrived() = 0;
};

} // namespace brivo
