// The rule that finds an effect's resources from its display name.

#include "catalogue/ResourceName.h"

#include <gtest/gtest.h>

using namespace brivo;

namespace {

struct NameCase {
    const char* displayName;
    const char* resourceName;
};

TEST(ResourceName, ReplacesSpaceDashPlusAndUpperCaseX) {
    const NameCase cases[] = {
        {"Clean Boost", "Clean_Boost"},
        {"Tape-Echo", "Tape_Echo"},
        {"Drive + Delay", "Drive_plus_Delay"},
        {"Fuzz+Octave", "FuzzplusOctave"},
        {"Octave X Fuzz", "Octave_mult_Fuzz"},
        {"XTRA Drive", "multTRA_Drive"},
        {"Flux Delay", "Flux_Delay"},
        // Only the upper-case letter is a multiplication sign.
        {"Flux x Delay", "Flux_x_Delay"},
        {"Max Xpand x2", "Max_multpand_x2"},
        // ... and also inside a word, every occurrence.
        {"MaXiMuX", "MamultiMumult"},
        // Every occurrence of each, nothing else touched.
        {"Hi-Gain  Metal-X", "Hi_Gain__Metal_mult"},
        {"A++B", "AplusplusB"},
        {"", ""},
    };
    for (const NameCase& c : cases)
        EXPECT_EQ(resource_name_of(QString::fromLatin1(c.displayName)),
                  QString::fromLatin1(c.resourceName))
            << c.displayName;
}

} // namespace
