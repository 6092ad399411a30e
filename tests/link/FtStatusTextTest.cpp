#include "link/FtStatusText.h"

#include <gtest/gtest.h>

namespace brivo {
namespace {

TEST(FtStatusText, ClassicStatusesHaveTheirExactSuffix) {
    const char* const expected[] = {
        "",
        " - Invalid handle...",
        " - Device not found...",
        " - Device not opened...",
        " - General IO error...",
        " - Insufficient resources...",
        " - Invalid parameter...",
        " - Invalid baud rate...",
        " Device not opened for erase...",
        " Device not opened for write...",
        " - Failed to write...",
        " - EEPROM read failed...",
        " - EEPROM write failed...",
        " - EEPROM erase failed...",
        " - EEPROM not present...",
        " - EEPROM not programmed...",
        " - Invalid arguments...",
        " - Other error ...",
    };
    for (FT_STATUS status = 0; status <= 17; ++status)
        EXPECT_EQ(ftStatusSuffix(status), QString::fromLatin1(expected[status])) << status;
}

TEST(FtStatusText, LaterStatusesStillGetAText) {
    for (FT_STATUS status : {18u, 19u, 20u, 255u, 0xFFFFFFFFu}) {
        const QString suffix = ftStatusSuffix(status);
        EXPECT_FALSE(suffix.trimmed().isEmpty()) << status;
        EXPECT_TRUE(suffix.startsWith(QStringLiteral(" - "))) << status;
    }
}

} // namespace
} // namespace brivo
