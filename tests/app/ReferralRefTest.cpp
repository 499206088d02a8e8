// The referral reference, the shortcut's URL, the IDs as stored and the BH
// name rule.
#include "app/ReferralRef.h"
#include "app/MonetizeJob.h"

#include <gtest/gtest.h>

using namespace tolvane::app;

namespace {

TEST(ReferralRefTest, ArchiverBecomesATildeInAnyCase) {
    struct Case {
        const char *partner, *software, *current, *expected;
    };
    const Case cases[] = {
        {"archiver5", "ARCHIVERx", "", "~5_~x"},
        {"p", "s", "", "p_s"},
        {"ArChIvErarchiver", "1", "", "~~_1"},
        {"archive", "r", "", "archive_r"}, // "archive_r" holds no "archiver"
        {"xarchiverr", "archiverarchive", "", "x~r_~archive"},
        {"", "s", "old_ref", "old_ref"}, // an empty ID keeps what was built before
        {"p", "", "", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(BuildReferralRef(c.partner, c.software, c.current), c.expected) << c.partner;
}

TEST(ReferralRefTest, TheUrlCarriesTheReferencePercentEncoded) {
    const std::pair<const char*, const char*> cases[] = {
        {"p_s", "p_s"},
        {"~5_~x", "~5_~x"}, // the unreserved characters stay
        {"AZaz09-._~", "AZaz09-._~"},
        {" P-777 _S/888", "%20P-777%20_S%2F888"},
        {"a&b=c#d?e", "a%26b%3Dc%23d%3Fe"},
        {"100%+x", "100%25%2Bx"},
        {"J\xC3\xBCrgen_\xD0\x96", "J%C3%BCrgen_%D0%96"}, // UTF-8, byte by byte
        {"a\tb\r\n\x7F", "a%09b%0D%0A%7F"},
        {"[x]:@!$'()*,;", "%5Bx%5D%3A%40%21%24%27%28%29%2A%2C%3B"},
    };
    for (const auto& [ref, query] : cases)
        EXPECT_EQ(ShortcutUrl("dl.example.com", ref),
                  std::string("http://dl.example.com/index.php?ref=") + query)
            << ref;
    EXPECT_EQ(ShortcutUrl("dl.example.com", ""), "http://dl.example.com/");
    // Built and encoded, the reference rule comes through unchanged.
    EXPECT_EQ(ShortcutUrl("dl.example.com", BuildReferralRef("archiver5", "ARCHIVERx", "")),
              "http://dl.example.com/index.php?ref=~5_~x");
}

TEST(ReferralRefTest, IdsLoseTheWhiteSpaceAroundThem) {
    const std::pair<const char*, const char*> cases[] = {
        {" P-777 ", "P-777"},
        {"\tS/888\r\n", "S/888"},
        {"P 777", "P 777"},                           // inner blanks stay
        {"\xC2\xA0P1\xE2\x80\xAF\xE3\x80\x80", "P1"}, // no-break and wide spaces
        {"\xC2\xA9P1\xC3\xA0", "\xC2\xA9P1\xC3\xA0"}, // other non-ASCII stays
        {" \v\f ", ""},
        {"", ""},
    };
    for (const auto& [typed, stored] : cases)
        EXPECT_EQ(TrimmedId(typed), stored) << typed;
}

TEST(ReferralRefTest, TheZipGetsItsExtensionAndTheBhArchiveTakesItsName) {
    const std::pair<const char*, std::pair<const char*, const char*>> cases[] = {
        {"/out/Docs.zip", {"/out/Docs.zip", "Docs.bh"}},
        {"/out/Docs.Zip", {"/out/Docs.Zip", "Docs.bh"}},
        {"/out/Docs.txt", {"/out/Docs.txt.zip", "Docs.txt.bh"}},
        {"/out/Docs.7z", {"/out/Docs.7z.zip", "Docs.7z.bh"}},
        {"/out/MyBook", {"/out/MyBook.zip", "MyBook.bh"}},
        {"/out/.zip", {"/out/.zip", ".bh"}},
        {"ab", {"ab.zip", "ab.bh"}},
        {"/my.zip/x", {"/my.zip/x.zip", "x.bh"}},
    };
    for (const auto& [chosen, expected] : cases) {
        EXPECT_EQ(MonetizeJob::ZipPathFor(chosen), expected.first) << chosen;
        EXPECT_EQ(MonetizeJob::BhNameFor(chosen), expected.second) << chosen;
    }
}

} // namespace
