#include "catalogue/ResourceLines.h"
#include "base/EditorError.h"
#include "catalogue/Resources.h"

#include <gtest/gtest.h>

using namespace brivo;

namespace {

struct SplitCase {
    const char* what;
    QByteArray bytes;
    QStringList lines;
};

} // namespace

TEST(ResourceLines, SplitsAtEveryKindOfLineBreak) {
    const SplitCase cases[] = {
        {"empty text", "", {}},
        {"one line, no break", "abc", {"abc"}},
        {"CR LF", "a\r\nb", {"a", "b"}},
        {"lone LF", "a\nb", {"a", "b"}},
        {"lone CR", "a\rb", {"a", "b"}},
        {"mixed breaks", "a\r\nb\nc\rd", {"a", "b", "c", "d"}},
        {"final CR LF adds no line", "a\r\nb\r\n", {"a", "b"}},
        {"final LF adds no line", "a\nb\n", {"a", "b"}},
        {"final CR adds no line", "a\r", {"a"}},
        {"blank line before the final break", "a\r\n\r\n", {"a", ""}},
        {"blank line in LF text", "a\n\nb", {"a", "", "b"}},
        {"CR then CR LF is two breaks", "a\r\r\nb", {"a", "", "b"}},
        {"LF then CR is two breaks", "a\n\rb", {"a", "", "b"}},
        {"only a break", "\r\n", {""}},
        {"8-bit bytes read one character each", "caf\xE9\r\n\x80", {"caf\u00E9", "\u0080"}},
        {"spaces kept", " a \r\n", {" a "}},
    };
    for (const SplitCase& c : cases)
        EXPECT_EQ(resources::split_resource_lines(c.bytes), c.lines) << c.what;
}

TEST(ResourceLines, MissingResourceIsAnErrorNamingIt) {
    const struct {
        QString name;
        QString message;
    } cases[] = {
        {"NO_SUCH_EFFECT", "Resource NO_SUCH_EFFECT not found"},
        // A pedal that runs no effect reports "empty", which has no resources.
        {"empty", "Resource empty not found"},
        {"empty_ctrls", "Resource empty_ctrls not found"},
        // No effect chosen yet: the resource name is empty.
        {"", "Resource  not found"},
        // Only names at the top of a resource folder count, not paths.
        {":/catalogue/GAIN", "Resource :/catalogue/GAIN not found"},
        {"catalogue/GAIN", "Resource catalogue/GAIN not found"},
    };
    for (const auto& c : cases) {
        EXPECT_FALSE(resources::find(c.name).has_value()) << c.name.toStdString();
        try {
            resources::load_resource_lines(c.name);
            ADD_FAILURE() << "no error for " << c.name.toStdString();
        } catch (const EditorError& error) {
            EXPECT_EQ(error.text(), c.message);
        }
    }
}

TEST(ResourceLines, NamesAreFoundWithoutRegardToCase) {
    const std::optional<QByteArray> stored = resources::find("CLEAN_BOOST_CTRLS");
    ASSERT_TRUE(stored.has_value());
    EXPECT_FALSE(stored->isEmpty());
    for (const QString name : {"clean_boost_ctrls", "Clean_Boost_ctrls", "cLeAn_BoOsT_CtRlS"}) {
        const std::optional<QByteArray> found = resources::find(name);
        ASSERT_TRUE(found.has_value()) << name.toStdString();
        EXPECT_EQ(*found, *stored) << name.toStdString();
    }
    EXPECT_EQ(resources::load_resource_lines("gain"), resources::load_resource_lines("GAIN"));
}
