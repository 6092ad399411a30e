#pragma once

// Types, status codes and flags of the D2XX driver interface, with the
// values FTDI publishes, so the device layer reads like D2XX code.

#include <cstdint>

namespace brivo {

using DWORD = std::uint32_t;
using WORD = std::uint16_t;
using UCHAR = std::uint8_t;
using FT_STATUS = DWORD;
using FT_HANDLE = void*;
using PVOID = void*;

enum : FT_STATUS {
    FT_OK = 0,
    FT_INVALID_HANDLE = 1,
    FT_DEVICE_NOT_FOUND = 2,
    FT_DEVICE_NOT_OPENED = 3,
    FT_IO_ERROR = 4,
    FT_INSUFFICIENT_RESOURCES = 5,
    FT_INVALID_PARAMETER = 6,
    FT_INVALID_BAUD_RATE = 7,
    FT_DEVICE_NOT_OPENED_FOR_ERASE = 8,
    FT_DEVICE_NOT_OPENED_FOR_WRITE = 9,
    FT_FAILED_TO_WRITE_DEVICE = 10,
    FT_EEPROM_READ_FAILED = 11,
    FT_EEPROM_WRITE_FAILED = 12,
    FT_EEPROM_ERASE_FAILED = 13,
    FT_EEPROM_NOT_PRESENT = 14,
    FT_EEPROM_NOT_PROGRAMMED = 15,
    FT_INVALID_ARGS = 16,
    FT_NOT_SUPPORTED = 17,
    FT_OTHER_ERROR = 18,
    FT_DEVICE_LIST_NOT_READY = 19,
};

constexpr DWORD FT_LIST_NUMBER_ONLY = 0x80000000;
constexpr DWORD FT_LIST_BY_INDEX = 0x40000000;
constexpr DWORD FT_LIST_ALL = 0x20000000;
constexpr DWORD FT_OPEN_BY_SERIAL_NUMBER = 1;
constexpr DWORD FT_OPEN_BY_DESCRIPTION = 2;
constexpr DWORD FT_OPEN_BY_LOCATION = 4;

constexpr DWORD FT_PURGE_RX = 1;
constexpr DWORD FT_PURGE_TX = 2;

constexpr UCHAR FT_BITS_8 = 8;
constexpr UCHAR FT_BITS_7 = 7;
constexpr UCHAR FT_STOP_BITS_1 = 0;
constexpr UCHAR FT_STOP_BITS_2 = 2;
constexpr UCHAR FT_PARITY_NONE = 0;
constexpr UCHAR FT_PARITY_ODD = 1;
constexpr UCHAR FT_PARITY_EVEN = 2;
constexpr UCHAR FT_PARITY_MARK = 3;
constexpr UCHAR FT_PARITY_SPACE = 4;

// Size of the listing buffers for serial numbers and descriptions.
constexpr int kFtListStringBytes = 64;

} // namespace brivo
