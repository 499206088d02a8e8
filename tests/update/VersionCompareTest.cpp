// Version comparison in the three formats, one comparison per row.
#include "update/VersionCompare.h"

#include <gtest/gtest.h>

using namespace tolvane::update;

namespace {

struct Row {
    TVersionFormat format;
    const char* installed;
    const char* offered;
    bool newer;
};

class VersionCompareTable : public ::testing::TestWithParam<Row> {};

INSTANTIATE_TEST_SUITE_P(
    Versions, VersionCompareTable,
    ::testing::Values(
        // Ordinal string comparison, as this program uses it against "1.0".
        Row{vfString, "1.0", "1.1", true}, Row{vfString, "1.0", "10", true},
        Row{vfString, "1.0", "1.0a", true}, Row{vfString, "1.0", "1.0", false},
        Row{vfString, "1.0", "0.9", false}, Row{vfString, "a", "B", false},
        Row{vfString, "1.0z", "1.0\xE9", true},
        // Dot-separated integers, compared as far as the installed version goes.
        Row{vfStandard, "1.10", "1.2", false}, Row{vfStandard, "1.9", "2", true},
        Row{vfStandard, "1.0", "1.1", true}, Row{vfStandard, "2.0", "1.9", false},
        Row{vfStandard, "1.0", "1.0.1", false}, Row{vfStandard, "1.0.9", "1.0.10", true},
        Row{vfStandard, "1.0", "1", false}, Row{vfStandard, "1", "1.5", false},
        Row{vfStandard, "1.x", "1.1", true}, Row{vfStandard, "1.0", "1.beta", false},
        // Floating-point numbers; anything else is never newer.
        Row{vfNumber, "1.0", "1.05", true}, Row{vfNumber, "1.5", "1.25", false},
        Row{vfNumber, "1.0", "1.0", false}, Row{vfNumber, "1.0", "abc", false},
        Row{vfNumber, "abc", "2", false}, Row{vfNumber, " 1.0", "2 ", true},
        Row{vfNumber, "1.0", "2x", false}));

TEST_P(VersionCompareTable, DecidesWhetherTheOfferIsNewer) {
    const Row& row = GetParam();
    EXPECT_EQ(OfferedIsNewer(row.format, row.installed, row.offered), row.newer)
        << "installed " << row.installed << ", offered " << row.offered;
}

} // namespace
