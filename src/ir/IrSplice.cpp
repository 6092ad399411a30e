#include "ir/IrSplice.h"

namespace brivo {

namespace {
constexpr int kWordDigits = 8;
constexpr int kSampleShiftBits = 8;
} // namespace

std::optional<IrLayout> ir_layout_of(const QString& effectName) {
    if (effectName == QStringLiteral("Overdrive + Cabinet IR"))
        return IrLayout{703, 724};
    if (effectName == QStringLiteral("Fuzz + Cabinet IR"))
        return IrLayout{703, 740};
    if (effectName == QStringLiteral("Cabinet IR Basic"))
        return IrLayout{912, 460};
    return std::nullopt;
}

QString ir_word_of(std::int32_t leftAligned) {
    const auto word = static_cast<std::uint32_t>(leftAligned >> kSampleShiftBits);
    return QStringLiteral("%1").arg(word, kWordDigits, 16, QLatin1Char('0')).toUpper();
}

QString splice_ir(const QString& program, const IrLayout& layout,
                  const std::vector<std::int32_t>& samples) {
    const int regionDigits = layout.samples * kWordDigits;
    if (program.size() < layout.keptBeforeDigits + regionDigits ||
        static_cast<int>(samples.size()) != layout.samples)
        return {};
    QString words;
    words.reserve(regionDigits);
    for (const std::int32_t sample : samples)
        words += ir_word_of(sample);
    return program.left(layout.keptBeforeDigits) + words +
           program.mid(layout.keptBeforeDigits + regionDigits);
}

} // namespace brivo
