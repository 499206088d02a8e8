// The header list's name lookups: case-insensitive, first item wins, renames.
#include "archive/writer/HeaderList.h"

#include <gtest/gtest.h>

using namespace tolvane::archive;

namespace {

HeaderItem Item(std::string name) {
    HeaderItem item;
    item.path = std::move(name);
    return item;
}

TEST(HeaderListTest, LooksUpNamesIgnoringAsciiCaseAndFindsTheFirst) {
    TCompHeaderObj list;
    list.Add(Item("Docs/Read.me"));
    list.Add(Item("docs/READ.ME"));
    list.Add(Item("Grüße.txt"));
    EXPECT_EQ(list.IndexOf("DOCS/read.ME"), 0);
    EXPECT_EQ(list.IndexOf("grüße.TXT"), 2);
    EXPECT_EQ(list.IndexOf("GRÜSSE.txt"), -1); // only A-Z fold
    EXPECT_EQ(list.IndexOf("docs"), -1);
}

TEST(HeaderListTest, ARenamedItemGivesUpItsOldName) {
    TCompHeaderObj list;
    list.Add(Item("a.txt"));
    list.Add(Item("b.txt"));
    list.Rename(0, "old-a.txt");
    EXPECT_EQ(list.IndexOf("a.txt"), -1);
    EXPECT_EQ(list.IndexOf("OLD-A.TXT"), 0);
    // The file added under the old name after the rename is the one found.
    list.Add(Item("a.txt"));
    EXPECT_EQ(list.IndexOf("a.txt"), 2);
}

TEST(HeaderListTest, AfterARenameTheNextItemOfTheOldNameIsFound) {
    TCompHeaderObj list;
    list.Add(Item("x"));
    list.Add(Item("y"));
    list.Add(Item("X"));
    list.Rename(0, "z");
    EXPECT_EQ(list.IndexOf("x"), 2);
    list.Rename(1, "Z"); // a later item under a name already taken does not win it
    EXPECT_EQ(list.IndexOf("z"), 0);
    list.Clear();
    EXPECT_EQ(list.IndexOf("z"), -1);
    EXPECT_EQ(list.Count(), 0u);
}

} // namespace
