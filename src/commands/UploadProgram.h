#pragma once

#include <QByteArray>
#include <QString>
#include <cstdint>

namespace brivo {

// The pedal answers an upload in text, shown 17 bytes at a time.
constexpr int kUploadAnswerBytes = 17;
// Time the pedal may take to store a program once it has all of it.
constexpr int kUploadAllowanceMs = 5000;

// The first 17 bytes of the answer as characters, zero bytes included; an
// answer shorter than that is padded with zero characters.
QString upload_answer_text(const QByteArray& answer);

// A program is at most this long (the transmit buffer); its hex text takes
// two characters a byte. A raw program file may carry some blanks and line
// ends besides; anything larger is refused before it is read.
constexpr qint64 kMaxProgramBytes = 65536;
constexpr qint64 kRawFileSlackBytes = 4096;
constexpr qint64 kMaxRawProgramFileBytes = 2 * kMaxProgramBytes + kRawFileSlackBytes;
// A program's first three bytes give its whole length, big-endian; the
// first of them is the upload command, 00, so the longest program the pedal
// reads is one byte short of the transmit buffer.
constexpr int kProgramLengthFieldBytes = 3;
constexpr qint64 kLongestProgramBytes = 0xFFFF;

// Why a raw program file of `fileBytes` bytes is refused unread, or an empty
// text when it may be read.
QString raw_file_size_fault(qint64 fileBytes);

// The console's summary of a raw program file's content: its start and its
// number of characters, not the whole text.
QString raw_file_summary(const QString& content);

// Why program bytes disagree with their own length field, naming both
// lengths, or are longer than the pedal reads; an empty text when they may
// be sent. The pedal reads as many bytes as the field says, so a program
// that disagrees would swallow or leave over bytes of the following
// messages.
QString program_length_fault(const std::uint8_t* bytes, qint64 count);

// Why a program text cannot be sent, or an empty text when it can: it must be
// whole hex digit pairs, and not empty.
QString program_text_fault(const QString& programText);

} // namespace brivo
