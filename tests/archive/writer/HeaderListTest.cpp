// The header list's name lookups: case-insensitive, first item wins, renames.
#include "archive/writer/HeaderList.h"

#include <gtest/gtest.h>

using namespace tolvane::archive;

namespace {

HeaderItem Item(std::string name) {
    HeaderItem item;
    item.SetPath(std::move(name));
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

TEST(HeaderListTest, ANameIsKeptThroughPathChangesWhetherOrNotThePathEndsWithIt) {
    TCompHeaderObj list;
    HeaderItem added;
    added.SetPath("/home/u/site/docs/a.txt");
    added.SetName("docs/a.txt");
    list.Add(added);
    HeaderItem other;
    other.SetPath("/elsewhere/b.txt");
    other.SetName("docs/B.txt");
    list.Add(other);
    list[0].SetPath("/mnt/copy/docs/a.txt");
    list[1].SetPath("/mnt/copy/b.txt");
    EXPECT_EQ(list[0].Name(), "docs/a.txt");
    EXPECT_EQ(list[1].Name(), "docs/B.txt");
    EXPECT_EQ(list.IndexOf("DOCS/A.TXT"), 0);
    EXPECT_EQ(list.IndexOf("docs/b.txt"), 1);
    const HeaderItem copy = list[1];
    EXPECT_EQ(copy.Name(), "docs/B.txt");
    EXPECT_EQ(copy.Path(), "/mnt/copy/b.txt");
}

TEST(HeaderListTest, ALongListFindsEveryItemOfANameInListOrder) {
    TCompHeaderObj list;
    for (int i = 0; i < 30000; ++i)
        list.Add(Item("f" + std::to_string(i % 10000) + (i < 10000 ? ".txt" : ".TXT")));
    for (int n : {0, 4711, 9999}) {
        const std::string name = "F" + std::to_string(n) + ".txt";
        const std::vector<size_t> want = {size_t(n), size_t(n) + 10000, size_t(n) + 20000};
        EXPECT_EQ(list.Matches(name), want);
    }
    list.Rename(4711, "moved.txt");
    EXPECT_EQ(list.Matches("f4711.txt"), (std::vector<size_t>{14711, 24711}));
    EXPECT_EQ(list.IndexOf("MOVED.TXT"), 4711);
}

TEST(HeaderListTest, AHeaderRecordLongerThanAnyFormatsIsRefused) {
    HeaderRecord record;
    record.assign(5, 0xFF);
    record.resize(HeaderRecord::kCapacity);
    EXPECT_EQ(record[4], 0xFF);
    EXPECT_EQ(record[5], 0);
    EXPECT_THROW(record.resize(HeaderRecord::kCapacity + 1), std::length_error);
    EXPECT_EQ(record.size(), HeaderRecord::kCapacity);
}

} // namespace
