// What the bootloader answers to Get, and firmware images from disk, checked
// before anything is erased.
#include "FuzzInput.h"
#include "firmware/BootloaderFrames.h"
#include "firmware/FirmwareImage.h"

#include <algorithm>
#include <span>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace brivo;
    const std::span<const std::uint8_t> answer(data, size);
    bootloader::parseGetAnswer(answer);
    bootloader::getAnswerBytes(answer);
    bootloader::classifyAnswer(answer, static_cast<int>(size % 300));
    bootloader::bytesText(answer.first(std::min<std::size_t>(size, 64)));
    const QByteArray image = fuzz::bytesOf(data, size);
    if (!check_image(image))
        split_image(image);
    return 0;
}
