#pragma once

#include <QByteArray>
#include <QStringList>

namespace brivo::resources {

// A resource's bytes as text lines: CR LF, a lone LF and a lone CR each end a
// line, and a break after the last line adds no empty line. The bytes are
// 8-bit text (the catalogue is ASCII; other bytes are read as Latin-1).
QStringList split_resource_lines(const QByteArray& bytes);

} // namespace brivo::resources
