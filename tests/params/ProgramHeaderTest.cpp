#include "params/ProgramHeader.h"
#include "ProgramText.h"
#include "base/EditorError.h"

#include <gtest/gtest.h>

namespace brivo {
namespace {

TEST(ProgramHeader, ReadsBothAddressTablesAtTheirCharacterPositions) {
    const QString text = test::program_text(test::numbered_addresses());
    const auto addresses = read_parameter_addresses(text, "Clean_Boost");
    EXPECT_EQ(addresses, test::numbered_addresses());
    // The positions themselves, independent of the helper.
    EXPECT_EQ(text.mid(6, 4), addresses[0]);
    EXPECT_EQ(text.mid(66, 4), addresses[15]);
    EXPECT_EQ(text.mid(98, 4), addresses[16]);
    EXPECT_EQ(text.mid(126, 4), addresses[23]);
}

TEST(ProgramHeader, AddressesAreKeptAsTheyStandIncludingZeros) {
    std::array<QString, 24> addresses;
    addresses.fill("0000");
    addresses[0] = "0002";
    addresses[17] = "00a1"; // digits are not rewritten
    const auto read = read_parameter_addresses(test::program_text(addresses), "FX");
    EXPECT_EQ(read[0], "0002");
    EXPECT_EQ(read[1], "0000");
    EXPECT_EQ(read[17], "00a1");
}

TEST(ProgramHeader, ShortOrBrokenProgramIsRefusedWithoutReadingPastItsEnd) {
    const QString full = test::program_text(test::numbered_addresses(), 0);
    ASSERT_EQ(full.size(), kProgramHeaderChars);
    EXPECT_NO_THROW(read_parameter_addresses(full, "FX"));

    QString notHex = full;
    notHex.replace(100, 1, "G");
    const std::pair<QString, const char*> refused[] = {
        {QString(), "has 0 characters"},
        {full.left(kProgramHeaderChars - 1), "has 129 characters"},
        {full.left(64), "has 64 characters"},
        {notHex, "parameter 16 \"10G0\" is not hexadecimal"},
    };
    for (const auto& [text, fault] : refused) {
        try {
            read_parameter_addresses(text, "Clean_Boost");
            ADD_FAILURE() << "accepted a text of " << text.size() << " characters";
        } catch (const EditorError& e) {
            EXPECT_TRUE(e.text().startsWith("Effect program Clean_Boost refused: "))
                << e.text().toStdString();
            EXPECT_TRUE(e.text().contains(QString::fromLatin1(fault))) << e.text().toStdString();
        }
    }
}

} // namespace
} // namespace brivo
