// Helpers the fuzz targets share: the input as Qt texts.
#pragma once

#include <QByteArray>
#include <QString>
#include <cstddef>
#include <cstdint>

namespace brivo::fuzz {

// The bytes as they stand (no copy is needed beyond Qt's own).
inline QByteArray bytesOf(const std::uint8_t* data, std::size_t size) {
    return QByteArray(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
}

// The bytes as 8-bit text, as files and resources are read.
inline QString latin1Of(const std::uint8_t* data, std::size_t size) {
    return QString::fromLatin1(bytesOf(data, size));
}

} // namespace brivo::fuzz
