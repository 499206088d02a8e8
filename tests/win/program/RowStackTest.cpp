// The rows of the Win32 windows: every box within the margins, rows one
// under the other with the gap between them, captions in one column beside
// their fields, and the client height the rows need.
#include "RowStack.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

namespace tolvane::win {
namespace {

constexpr int kWidth = 385, kMargin = 11, kGap = 7;

void ExpectWithinMargins(const Box& box, const char* what) {
    EXPECT_GE(box.x, kMargin) << what;
    EXPECT_LE(box.Right(), kWidth - kMargin) << what;
    EXPECT_GE(box.width, 0) << what;
}

TEST(RowStackTest, RowsFollowEachOtherWithTheGapAndEndInAMargin) {
    RowStack rows(kWidth, kMargin, kGap);
    const Box first = rows.Full(20);
    rows.Skip(5);
    const Box second = rows.Full(30);
    EXPECT_EQ((Box{kMargin, kMargin, kWidth - 2 * kMargin, 20}), first);
    EXPECT_EQ(first.Bottom() + kGap + 5, second.y);
    EXPECT_EQ(second.Bottom() + kMargin, rows.Height());
}

TEST(RowStackTest, CaptionsShareAColumnAndAreCentredOnTheirFields) {
    struct Case {
        const char* what;
        int captionWidth, captionHeight, fieldHeight;
        Box caption, field;
        int next; // where the next row starts
    };
    const int inner = kWidth - 2 * kMargin;
    const std::vector<Case> cases = {
        {"a caption lower than its field", 60, 13, 21, Box{kMargin, kMargin + 4, 60, 13},
         Box{kMargin + 60 + kGap, kMargin, inner - 60 - kGap, 21}, kMargin + 21 + kGap},
        {"a caption taller than its field (two lines)", 60, 26, 21, Box{kMargin, kMargin, 60, 26},
         Box{kMargin + 60 + kGap, kMargin + 2, inner - 60 - kGap, 21}, kMargin + 26 + kGap},
        {"a caption wider than half the width keeps to half", 300, 13, 21,
         Box{kMargin, kMargin + 4, inner / 2, 13},
         Box{kMargin + inner / 2 + kGap, kMargin, inner - inner / 2 - kGap, 21},
         kMargin + 21 + kGap},
    };
    for (const Case& c : cases) {
        RowStack rows(kWidth, kMargin, kGap);
        const BoxPair row = rows.Labelled(c.captionWidth, c.captionHeight, c.fieldHeight);
        EXPECT_EQ(c.caption, row.left) << c.what;
        EXPECT_EQ(c.field, row.right) << c.what;
        EXPECT_EQ(c.next, rows.Full(1).y) << c.what;
        ExpectWithinMargins(row.right, c.what);
        EXPECT_LT(row.left.Right(), row.right.x) << c.what;
    }
}

TEST(RowStackTest, BesideLeavesTheRightPartItsWidthAndAlignsAsAsked) {
    struct Case {
        const char* what;
        int leftHeight, rightWidth, rightHeight;
        RowStack::Align align;
        Box left, right;
    };
    const int inner = kWidth - 2 * kMargin;
    const std::vector<Case> cases = {
        {"a link standing on the row's bottom beside its button", 13, 105, 25,
         RowStack::Align::Bottom, Box{kMargin, kMargin + 12, inner - 105 - kGap, 13},
         Box{kWidth - kMargin - 105, kMargin, 105, 25}},
        {"a wrapped caption centred beside a drop list", 39, 113, 21, RowStack::Align::Centre,
         Box{kMargin, kMargin, inner - 113 - kGap, 39},
         Box{kWidth - kMargin - 113, kMargin + 9, 113, 21}},
        {"a right part wider than the row takes it all", 10, 1000, 10, RowStack::Align::Centre,
         Box{kMargin, kMargin, 0, 10}, Box{kMargin, kMargin, inner, 10}},
    };
    for (const Case& c : cases) {
        RowStack rows(kWidth, kMargin, kGap);
        EXPECT_EQ(c.left.width, rows.LeftWidth(c.rightWidth)) << c.what;
        const BoxPair row = rows.Beside(c.leftHeight, c.rightWidth, c.rightHeight, c.align);
        EXPECT_EQ(c.left, row.left) << c.what;
        EXPECT_EQ(c.right, row.right) << c.what;
        ExpectWithinMargins(row.left, c.what);
        ExpectWithinMargins(row.right, c.what);
        EXPECT_EQ(std::max(c.leftHeight, c.rightHeight) + 2 * kMargin, rows.Height()) << c.what;
    }
}

TEST(RowStackTest, CentredAndIndentedRowsStayWithinTheMargins) {
    RowStack rows(kWidth, kMargin, kGap);
    EXPECT_EQ((Box{kMargin + (kWidth - 2 * kMargin - 101) / 2, kMargin, 101, 13}),
              rows.Centred(101, 13));
    const Box tooWide = rows.Centred(1000, 13);
    EXPECT_EQ(kMargin, tooWide.x);
    EXPECT_EQ(kWidth - 2 * kMargin, tooWide.width);
    const Box indented = rows.Indented(80, 26);
    EXPECT_EQ(kMargin + 80, indented.x);
    EXPECT_EQ(kWidth - kMargin, indented.Right());
    ExpectWithinMargins(rows.Indented(1000, 5), "an indent past the width");
}

TEST(RowStackTest, ANarrowWindowGivesNoNegativeWidths) {
    RowStack rows(10, kMargin, kGap);
    EXPECT_EQ(0, rows.Inner());
    const BoxPair labelled = rows.Labelled(50, 13, 21);
    EXPECT_EQ(0, labelled.left.width);
    EXPECT_EQ(0, labelled.right.width);
    EXPECT_EQ(0, rows.LeftWidth(40));
}

TEST(RowStackTest, LoweredMovesOnlyDown) {
    EXPECT_EQ((Box{3, 54, 10, 20}), Lowered(Box{3, 4, 10, 20}, 50));
}

} // namespace
} // namespace tolvane::win
