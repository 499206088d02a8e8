// The referral reference, the shortcut's URL and the BH name rule.
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

TEST(ReferralRefTest, UrlWithAndWithoutReference) {
    EXPECT_EQ(ShortcutUrl("dl.example.com", "p_s"), "http://dl.example.com/index.php?ref=p_s");
    EXPECT_EQ(ShortcutUrl("dl.example.com", ""), "http://dl.example.com/");
}

TEST(ReferralRefTest, TheBhNameDropsTheLastThreeCharacters) {
    EXPECT_EQ(MonetizeJob::BhNameFor("/out/Docs.zip"), "Docs.bh");
    EXPECT_EQ(MonetizeJob::BhNameFor("/out/Docs.txt"), "Docs.bh");
    EXPECT_EQ(MonetizeJob::BhNameFor("/out/Docs.7z"), "Docsbh"); // whatever the three are
    EXPECT_EQ(MonetizeJob::BhNameFor("Docs.zip"), "Docs.bh");
    EXPECT_EQ(MonetizeJob::BhNameFor("/out/ab"), "bh");
}

} // namespace
