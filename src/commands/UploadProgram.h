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

// Why a program text cannot be sent, or an empty text when it can: it must be
// whole hex digit pairs, and not empty.
QString program_text_fault(const QString& programText);

} // namespace brivo
