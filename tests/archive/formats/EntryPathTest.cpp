// Stored names and the names they may be extracted under.
#include "archive/formats/EntryPath.h"

#include <gtest/gtest.h>

namespace tolvane::archive {
namespace {

TEST(EntryPathTest, NamesAreSplitSanitisedOrRefused) {
    struct Case {
        std::string stored;
        std::string parts; // joined with "|"; empty when refused
        std::string refusal;
    };
    const Case cases[] = {
        {"a.txt", "a.txt", ""},
        {"dir/sub/a.txt", "dir|sub|a.txt", ""},
        {"dir\\sub\\a.txt", "dir|sub|a.txt", ""},
        {"./dir//a.txt", "dir|a.txt", ""},
        {"dir/", "dir", ""},
        {std::string("nul\0byte", 8), "nul_byte", ""},
        {"tab\there\x7f", "tab_here_", ""},
        {"..a/b..", "..a|b..", ""},
        {"C", "C", ""},
        {"/etc/passwd", "", "an absolute name"},
        {"\\windows", "", "an absolute name"},
        {"C:boot.ini", "", "a name with a drive letter"},
        {"c:\\x", "", "a name with a drive letter"},
        {"..", "", "a name that holds \"..\""},
        {"a/../b", "", "a name that holds \"..\""},
        {"a\\..\\..\\b", "", "a name that holds \"..\""},
        {"./", "", "an empty name"},
        {"", "", "an empty name"},
        {std::string(256, 'x'), "", "a name part longer than 255 bytes"},
    };
    for (const Case& c : cases) {
        const EntryPath path = ParseEntryPath(c.stored);
        std::string joined;
        for (const std::string& part : path.parts)
            joined += (joined.empty() ? "" : "|") + part;
        EXPECT_EQ(joined, c.parts) << c.stored;
        EXPECT_EQ(path.refusal, c.refusal) << c.stored;
    }
    EXPECT_TRUE(ParseEntryPath("dir/").isFolder);
    EXPECT_FALSE(ParseEntryPath("dir/a").isFolder);
}

} // namespace
} // namespace tolvane::archive
