#include "params/StatusRecord.h"
#include "base/EditorError.h"
#include "params/ParamMessages.h"

#include <gtest/gtest.h>
#include <limits>

namespace brivo {
namespace {

TEST(StatusRecord, ValueWordIsSignedBigEndianOver8192TruncatedTowardZero) {
    const std::pair<std::array<std::uint8_t, 4>, std::int32_t> cases[] = {
        {{0x00, 0x7F, 0xE0, 0x00}, 1023},   {{0x00, 0x00, 0x1F, 0xFF}, 0},
        {{0xFF, 0xFF, 0xE0, 0x00}, -1},     {{0xFF, 0xFF, 0xE0, 0x01}, 0}, // -8191 truncates to 0
        {{0xFF, 0xFF, 0xC0, 0x00}, -2},     {{0x00, 0x40, 0x00, 0x00}, 512},
        {{0x00, 0x00, 0x20, 0x00}, 1},      {{0x80, 0x00, 0x00, 0x00}, -262144},
        {{0x7F, 0xFF, 0xFF, 0xFF}, 262143},
    };
    for (const auto& [w, value] : cases)
        EXPECT_EQ(status_word_value(w[0], w[1], w[2], w[3]), value) << value;
}

TEST(StatusRecord, MultiSwitchIndexRule) {
    const std::tuple<std::int32_t, std::uint32_t, int> cases[] = {
        {1023, 3, 2}, // 1023 div 341 = 3, reduced once to 2
        {0, 3, 0},
        {681, 3, 1},
        {682, 3, 2},
        {768, 4, 3},
        {1023, 4, 3},
        {935, 12, 11},
        {1023, 12, 11},
        {255, 4, 0},
        {-1, 4, 0},
        {-255, 4, 0},
        {-256, 4, -1},  // negative: nothing
                        // selected
        {0, 0, -1},     // no options
        {5000, 4, 3},   // far past the end: the last option
        {1023, 41, 40}, // one reduction is not enough from 38 options on
        {1023, 1, 0},
        // The extremes, where the reduction by one must not overflow.
        {std::numeric_limits<std::int32_t>::min(), 1024, -1},
        {std::numeric_limits<std::int32_t>::min(), 1, -1},
        {std::numeric_limits<std::int32_t>::max(), 1024, 1023},
        {std::numeric_limits<std::int32_t>::max(), 1, 0},
        {5, 1025, -1}, // more options than steps
        {5, std::numeric_limits<std::uint32_t>::max(), -1},
    };
    for (const auto& [value, options, index] : cases)
        EXPECT_EQ(multi_switch_index(value, options), index) << value << " / " << options;
}

TEST(StatusRecord, LimitBytesAndTheirButtonTexts) {
    struct Case {
        std::uint8_t b;
        std::uint32_t min;
        const char* minText;
        std::uint32_t max;
        const char* maxText;
    };
    const Case cases[] = {
        // A zero byte is the end of the range: a minimum set at 0 reads back
        // as 0, so a low maximum is not refused afterwards.
        {0, 0, "1%", 1023, "100%"},
        // One formula for both buttons, read back as when set: 512 is 51%.
        {63, 512, "51%", 512, "51%"},
        // Held to the value scale: nothing above 1023, however large the byte.
        {127, 1023, "100%", 1023, "100%"},
        {128, 1023, "100%", 1023, "100%"},
        {255, 1023, "100%", 1023, "100%"},
        {1, 16, "2%", 16, "2%"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(min_limit_of_byte(c.b), c.min) << int(c.b);
        EXPECT_EQ(max_limit_of_byte(c.b), c.max) << int(c.b);
        EXPECT_EQ(limit_button_text(static_cast<std::int32_t>(c.min)),
                  QString::fromLatin1(c.minText))
            << int(c.b);
        EXPECT_EQ(limit_button_text(static_cast<std::int32_t>(c.max)),
                  QString::fromLatin1(c.maxText))
            << int(c.b);
    }
}

// A record for T parameters whose every field holds a recognisable pattern.
std::vector<std::uint8_t> patterned_record(std::uint32_t T, int extra = 0) {
    std::vector<std::uint8_t> bytes(4 * T + 288 + extra);
    for (std::size_t k = 0; k < bytes.size(); ++k)
        bytes[k] = static_cast<std::uint8_t>(k % 251);
    return bytes;
}

TEST(StatusRecord, DecodesEveryFieldAtItsOffset) {
    for (std::uint32_t T : {1u, 3u, 24u}) {
        std::vector<std::uint8_t> bytes = patterned_record(T, 5);
        // Parameter 0 is 1023, the last is -1.
        const std::uint8_t top[] = {0x00, 0x7F, 0xE0, 0x00};
        const std::uint8_t minusOne[] = {0xFF, 0xFF, 0xE0, 0x00};
        std::copy_n(top, 4, bytes.begin());
        if (T > 1)
            std::copy_n(minusOne, 4, bytes.begin() + 4 * (T - 1));

        const StatusRecord record = decode_status_record(bytes, T);
        ASSERT_EQ(record.values.size(), T);
        EXPECT_EQ(record.values[0], 1023);
        if (T > 1) {
            EXPECT_EQ(record.values[T - 1], -1);
        }
        const std::size_t base = 4 * T;
        for (int r = 0; r < kControllerCount; ++r)
            for (int c = 0; c < kParamSlots; ++c)
                ASSERT_EQ(record.matrix[r][c], bytes[base + 24 * r + c]) << r << "," << c;
        for (int c = 0; c < kParamSlots; ++c) {
            EXPECT_EQ(record.reverse[c], bytes[base + 168 + c]);
            EXPECT_EQ(record.minLimitBytes[c], bytes[base + 240 + c]);
            EXPECT_EQ(record.maxLimitBytes[c], bytes[base + 264 + c]);
        }
    }
}

TEST(StatusRecord, ShortRecordIsRefused) {
    EXPECT_EQ(status_record_bytes(0), 288u);
    EXPECT_EQ(status_record_bytes(24), 384u);
    std::vector<std::uint8_t> bytes = patterned_record(10);
    EXPECT_NO_THROW(decode_status_record(bytes, 10));
    bytes.pop_back();
    try {
        decode_status_record(bytes, 10);
        ADD_FAILURE() << "a short record was accepted";
    } catch (const EditorError& e) {
        EXPECT_EQ(e.text(), "Status reply refused: 327 bytes received, 328 needed for 10 "
                            "parameters");
    }
    EXPECT_THROW(decode_status_record(QByteArray(), 1), EditorError);
}

TEST(StatusRecord, ByteArrayGivesTheSameRecord) {
    const std::vector<std::uint8_t> bytes = patterned_record(2);
    const QByteArray array(reinterpret_cast<const char*>(bytes.data()),
                           static_cast<qsizetype>(bytes.size()));
    const StatusRecord a = decode_status_record(bytes, 2);
    const StatusRecord b = decode_status_record(array, 2);
    EXPECT_EQ(a.values, b.values);
    EXPECT_EQ(a.matrix, b.matrix);
    EXPECT_EQ(a.maxLimitBytes, b.maxLimitBytes);
}

} // namespace
} // namespace brivo
