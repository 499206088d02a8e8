// Entry names in the OEM code pages Windows consoles use, through the code
// page calls instead of iconv: the bytes each page gives a name, the way
// back, and the names a page cannot hold.
#include "platform/CodePage.h"

#include "support/EnvironmentGuard.h"

#include <gtest/gtest.h>

#include <windows.h>

namespace tolvane::platform {
namespace {

struct OemCase {
    int codePage;
    const char* utf8;
    const char* oem; // nullptr: the page has no form for the name
};

const OemCase kCases[] = {
    {437, "plain.txt", "plain.txt"},
    {437,
     "Gr\xC3\xBC\xC3\x9F"
     "e.txt",
     "Gr\x81\xE1"
     "e.txt"},                               // ü ß
    {437, "\xC3\x89t\xC3\xA9", "\x90t\x82"}, // É é
    {437, "\xC3\x98resund", nullptr},        // Ø: not in 437
    {850, "\xC3\x98resund", "\x9Dresund"},   // Ø
    {850,
     "Gr\xC3\xBC\xC3\x9F"
     "e.txt",
     "Gr\x81\xE1"
     "e.txt"},
    {850, "\xC3\x80 la carte", "\xB7 la carte"},               // À
    {850, "\xD0\x9C\xD0\xB8\xD1\x80", nullptr},                // Cyrillic: not in 850
    {866, "\xD0\x9C\xD0\xB8\xD1\x80.txt", "\x8C\xA8\xE0.txt"}, // Мир
    {866, "\xD0\x81\xD0\xB6.txt", "\xF0\xA6.txt"},             // Ёж
    {866,
     "Gr\xC3\xBC\xC3\x9F"
     "e.txt",
     nullptr}, // ü: not in 866
};

TEST(OemNameTest, EachPageGivesItsBytesAndTakesThemBack) {
    for (const OemCase& c : kCases) {
        SCOPED_TRACE(std::to_string(c.codePage) + " " + c.utf8);
        const CodePage page(c.codePage, "UTF-8");
        const std::optional<std::string> oem = page.ToOem(c.utf8);
        if (!c.oem) {
            EXPECT_FALSE(oem);
            // A writer then keeps the UTF-8 bytes, which come back unchanged.
            EXPECT_EQ(page.ToAnsi(c.utf8), c.utf8);
            continue;
        }
        ASSERT_TRUE(oem);
        EXPECT_EQ(*oem, c.oem);
        EXPECT_EQ(page.ToAnsi(*oem), c.utf8);
    }
}

TEST(OemNameTest, CutNamesAndUnknownPagesHaveNoOemForm) {
    // 0x81 and 0xE1 read as 437 around a byte cut off from a UTF-8 sequence.
    const CodePage page(437, "UTF-8");
    EXPECT_EQ(page.ToAnsi("\x81\xE1"), "\xC3\xBC\xC3\x9F");
    EXPECT_FALSE(page.ToOem("cut\xC3"));
    EXPECT_FALSE(CodePage(99999, "UTF-8").ToOem("\xC3\xA9"));
}

TEST(OemNameTest, TheSystemsOemPageDecidesUnlessOverridden) {
    {
        const test::EnvironmentGuard unset({{"TOLVANE_OEM_CODEPAGE", nullptr}, {"LANG", "ru_RU"}});
        EXPECT_EQ(CodePage::FromEnvironment().OemCodePage(), static_cast<int>(GetOEMCP()));
        EXPECT_EQ(CodePage::FromEnvironment().AnsiCharset(), "UTF-8");
    }
    const test::EnvironmentGuard forced({{"TOLVANE_OEM_CODEPAGE", "866"}});
    EXPECT_EQ(CodePage::FromEnvironment().OemCodePage(), 866);
}

} // namespace
} // namespace tolvane::platform
