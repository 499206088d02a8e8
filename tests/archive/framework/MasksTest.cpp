// Wildcard masks: compiler rules, the matcher with backtracking, mask lists.
#include "archive/framework/Masks.h"

#include <gtest/gtest.h>

#include <chrono>
#include <random>
#include <string>

namespace tolvane::archive {
namespace {

struct MaskCase {
    const char* mask;
    std::string name;
    bool matches;
};

const MaskCase kMaskCases[] = {
    // "*" covers any run, also none.
    {"*", "", true},
    {"*", "readme.txt", true},
    {"**", "", true},
    {"**a", "a", true},
    // An empty mask matches only the empty name.
    {"", "", true},
    {"", "a", false},
    // The whole name must be covered.
    {"abc", "abc", true},
    {"abc", "abcd", false},
    {"abc", "ab", false},
    {"a*", "a", true},
    {"a*", "ba", false},
    {"*a", "ba", true},
    {"*a", "ab", false},
    // A trailing "." selects names without an extension.
    {"*.", "readme", true},
    {"*.", "readme.txt", false},
    {"*.", "", true},
    {"readme.", "readme", true},
    {"readme.", "readme.txt", false},
    {"readme.", "readme.", true},
    {"a.b.", "a.b", false},
    // "*.*" itself needs a dot in the name.
    {"*.*", "readme", false},
    {"*.*", "a.b", true},
    {"*.*", ".", true},
    // "?" is exactly one character...
    {"?", "", false},
    {"?", "a", true},
    {"??", "a", false},
    {"??", "ab", true},
    {"a?", "a", false},
    {"a?", "ab", true},
    {"a?", "abc", false},
    {"?*", "", false},
    {"?*", "x", true},
    // ...but dropped right after a star.
    {"*?", "", true},
    {"a*?", "a", true},
    {"a*?", "ab", true},
    {"a*?c", "ac", true},
    {"a*?c", "abc", true},
    {"a*?c", "ab", false},
    {"a*??c", "ac", true},
    // Only a-z fold to A-Z.
    {"*.TXT", "notes.txt", true},
    {"*.txt", "NOTES.TXT", true},
    {"ReadMe", "rEADmE", true},
    {"@", "`", false},
    {"[", "{", false},
    {"^", "~", false},
    {"\xC3\xA4*", "\xC3\x84", false}, // UTF-8 a-umlaut vs A-umlaut
    {"\xC3\xA4*", "\xC3\xA4x", true},
    {"\xE9", "\xC9", false}, // Latin-1 e-acute vs E-acute
    {"*\xE9", "caf\xE9", true},
    // No character classes: brackets are literals.
    {"[x]", "[x]", true},
    {"[x]", "x", false},
    {"[a-z]*", "b.txt", false},
    {"[a-z]*", "[a-z].txt", true},
    // ";" separates nothing.
    {"*;*", "a;b", true},
    {"*;*", "ab", false},
    {"*.txt;*.doc", "a.txt", false},
    {"*.txt;*.doc", "a.txt;b.doc", true},
    {"a b", "a b", true},
    // Backtracking to a later occurrence of a starred literal.
    {"*a*b", "aXbYb", true},
    {"*a*b", "aXbYc", false},
    {"*ab", "aab", true},
    {"*aab", "aaab", true},
    {"a*b*c", "abbbc", true},
    {"a*b*c", "acb", false},
    {"*.txt", "a.txt.bak", false},
    {"*.bak", "a.txt.bak", true},
    {"*x?z", "xxyz", true},
    {"*x?z", "xyzxz", false},
    {"*a?", "aa", true},
    {"*a?", "aXa", false},
};

class MaskTable : public testing::TestWithParam<MaskCase> {};

TEST_P(MaskTable, MatchesMaskGivesExpectedResult) {
    const MaskCase& c = GetParam();
    EXPECT_EQ(MatchesMask(c.name, c.mask), c.matches)
        << "mask \"" << c.mask << "\" name \"" << c.name << "\"";
    // The compiled mask gives the same answer when reused.
    const TInternalMask compiled(c.mask);
    EXPECT_EQ(compiled.Matches(c.name), c.matches);
    EXPECT_EQ(compiled.Matches(c.name), c.matches);
}

INSTANTIATE_TEST_SUITE_P(Masks, MaskTable, testing::ValuesIn(kMaskCases));

TEST(Masks, ManyStarsDoNotBacktrackExponentially) {
    const std::string mask = "*a*a*a*a*a*a*a*a*a*a*a*b";
    const std::string noMatch(250, 'a');
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(MatchesMask(noMatch, mask));
    EXPECT_TRUE(MatchesMask(noMatch + "b", mask));
    EXPECT_FALSE(MatchesMask(std::string(10, 'a') + "b", mask));
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
}

// Slow, obviously correct reference: drop every "?" met while a star is pending,
// then match recursively, folding a-z only.
bool ReferenceGlob(std::string_view mask, std::string_view name) {
    if (mask.empty())
        return name.empty();
    if (mask[0] == '*') {
        for (size_t skip = 0; skip <= name.size(); ++skip) {
            if (ReferenceGlob(mask.substr(1), name.substr(skip)))
                return true;
        }
        return false;
    }
    if (name.empty())
        return false;
    auto fold = [](char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c; };
    if (mask[0] != '?' && fold(mask[0]) != fold(name[0]))
        return false;
    return ReferenceGlob(mask.substr(1), name.substr(1));
}

bool ReferenceMatch(const std::string& mask, std::string name) {
    std::string cleaned;
    bool starPending = false;
    for (char c : mask) {
        if (c == '*') {
            starPending = true;
            cleaned.push_back(c);
        } else if (c == '?' && starPending) {
            continue;
        } else {
            starPending = starPending && c == '?';
            cleaned.push_back(c);
        }
    }
    if (!mask.empty() && mask.back() == '.' && name.find('.') == std::string::npos)
        name.push_back('.');
    return ReferenceGlob(cleaned, name);
}

TEST(Masks, AgreesWithReferenceOnRandomInputs) {
    std::mt19937 gen(1234);
    const std::string maskChars = "ab.*?A";
    const std::string nameChars = "abB.";
    for (int i = 0; i < 50000; ++i) {
        std::string mask;
        std::string name;
        for (unsigned n = gen() % 8; n > 0; --n)
            mask.push_back(maskChars[gen() % maskChars.size()]);
        for (unsigned n = gen() % 9; n > 0; --n)
            name.push_back(nameChars[gen() % nameChars.size()]);
        ASSERT_EQ(MatchesMask(name, mask), ReferenceMatch(mask, name))
            << "mask \"" << mask << "\" name \"" << name << "\"";
    }
}

TEST(MaskList, EmptyListMatchesNothing) {
    const TMaskList masks;
    EXPECT_FALSE(masks.Matches(""));
    EXPECT_FALSE(masks.Matches("a.txt"));
}

TEST(MaskList, AnyMaskInTheListSelectsTheName) {
    TMaskList masks;
    masks.Add("*.txt");
    masks.Add("readme.");
    masks.Add("a?");
    ASSERT_EQ(masks.Size(), 3u);
    EXPECT_EQ(masks[1].Text(), "readme.");
    EXPECT_TRUE(masks.Matches("x.TXT"));
    EXPECT_TRUE(masks.Matches("readme"));
    EXPECT_TRUE(masks.Matches("ab"));
    EXPECT_FALSE(masks.Matches("a"));
    EXPECT_FALSE(masks.Matches("readme.md"));
}

} // namespace
} // namespace tolvane::archive
