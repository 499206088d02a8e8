// The scanner's result list: sort orders, insertion before equal items, re-sorting.
#include "archive/framework/FileObject.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

namespace tolvane::archive {
namespace {

// Items carry a unique tag in Attributes so that equal items can be told apart.
std::unique_ptr<TFileObject> Item(std::string name, std::string path, uint64_t size,
                                  uint32_t dosTime, uint32_t tag) {
    auto item = std::make_unique<TFileObject>();
    item->FileName = std::move(name);
    item->FilePath = std::move(path);
    item->SizeLow = static_cast<uint32_t>(size);
    item->SizeHigh = static_cast<uint32_t>(size >> 32);
    item->DosDateTime = dosTime;
    item->Attributes = tag;
    return item;
}

std::vector<uint32_t> Tags(const TFilesList& list) {
    std::vector<uint32_t> tags;
    for (size_t i = 0; i < list.Count(); ++i)
        tags.push_back(list[i].Attributes);
    return tags;
}

std::vector<std::string> Names(const TFilesList& list) {
    std::vector<std::string> names;
    for (size_t i = 0; i < list.Count(); ++i)
        names.push_back(list[i].FileName);
    return names;
}

void AddSample(TFilesList& list) {
    list.Insert(Item("b.TXT", "/z/", 30, 0x50000000, 1));
    list.Insert(Item("_x", "/A/", 5ull << 32, 0x00210000, 2));
    list.Insert(Item("A.doc", "/b/", 7, 0x80000000, 3));
    list.Insert(Item("c", "/a/sub/", 1, 0x00210001, 4));
    list.Insert(Item("a.txt", "/_/", (5ull << 32) - 1, 0xFFFF0000, 5));
}

struct OrderCase {
    TkroSortOptions order;
    std::vector<uint32_t> inserted; // built by insertion in this order
    std::vector<uint32_t> resorted; // built unsorted, then re-sorted
};

const OrderCase kOrderCases[] = {
    {soUnsort, {1, 2, 3, 4, 5}, {1, 2, 3, 4, 5}},
    // "_" sorts before letters; case is ignored.
    {soByName, {2, 3, 5, 1, 4}, {2, 3, 5, 1, 4}},
    // Extensions from the last dot; none sorts first; ".TXT" equals ".txt". Insertion
    // puts a later item before the equal ones; the middle-pivot quicksort swaps the
    // equal pair "_x"/"c" back and leaves ".txt" before ".TXT".
    {soByType, {4, 2, 3, 5, 1}, {2, 4, 3, 5, 1}},
    // 64-bit sizes: 5 GiB - 1 comes before 5 GiB.
    {soBySize, {4, 3, 1, 5, 2}, {4, 3, 1, 5, 2}},
    // Signed DOS date-times: values with the top bit set come first.
    {soByTime, {3, 5, 2, 4, 1}, {3, 5, 2, 4, 1}},
    // "/a/" is a prefix of "/a/sub/".
    {soByPath, {5, 2, 4, 3, 1}, {5, 2, 4, 3, 1}},
};

class OrderTable : public testing::TestWithParam<OrderCase> {};

TEST_P(OrderTable, InsertionKeepsTheOrder) {
    TFilesList list;
    list.SetSortOrder(GetParam().order);
    AddSample(list);
    EXPECT_EQ(Tags(list), GetParam().inserted);
}

TEST_P(OrderTable, ReSortingGivesTheSameOrder) {
    TFilesList list;
    AddSample(list);
    list.SetSortOrder(GetParam().order);
    EXPECT_EQ(list.SortOrder(), GetParam().order);
    EXPECT_EQ(Tags(list), GetParam().resorted);
}

INSTANTIATE_TEST_SUITE_P(FilesList, OrderTable, testing::ValuesIn(kOrderCases));

TEST(FilesList, NewItemGoesBeforeEqualItems) {
    TFilesList list;
    list.SetSortOrder(soByName);
    list.Insert(Item("m", "", 0, 0, 1));
    list.Insert(Item("M", "", 0, 0, 2));
    list.Insert(Item("a", "", 0, 0, 3));
    list.Insert(Item("m", "", 0, 0, 4));
    list.Insert(Item("z", "", 0, 0, 5));
    list.Insert(Item("m", "", 0, 0, 6));
    EXPECT_EQ(Tags(list), (std::vector<uint32_t>{3, 6, 4, 2, 1, 5}));
}

TEST(FilesList, BackToUnsortedKeepsTheCurrentOrder) {
    TFilesList list;
    list.SetSortOrder(soBySize);
    AddSample(list);
    list.SetSortOrder(soUnsort);
    EXPECT_EQ(Tags(list), (std::vector<uint32_t>{4, 3, 1, 5, 2}));
    list.Insert(Item("new", "", 0, 0, 9));
    EXPECT_EQ(list[list.Count() - 1].Attributes, 9u);
}

TEST(FilesList, SettingTheSameOrderDoesNotReSort) {
    TFilesList list;
    AddSample(list);
    list.SetSortOrder(soUnsort);
    EXPECT_EQ(Tags(list), (std::vector<uint32_t>{1, 2, 3, 4, 5}));
}

TEST(FilesList, QuickSortHandlesLargeListsWithDuplicates) {
    std::mt19937 gen(7);
    for (TkroSortOptions order : {soByName, soBySize, soByTime}) {
        TFilesList list;
        for (uint32_t i = 0; i < 500; ++i) {
            const uint32_t key = gen() % 40;
            list.Insert(Item("n" + std::to_string(key % 10) + std::to_string(key), "", key,
                             key * 0x1000001u, i));
        }
        list.SetSortOrder(order);
        ASSERT_EQ(list.Count(), 500u);
        for (size_t i = 1; i < list.Count(); ++i) {
            const TFileObject& a = list[i - 1];
            const TFileObject& b = list[i];
            switch (order) {
            case soByName:
                EXPECT_LE(a.FileName, b.FileName) << i;
                break;
            case soBySize:
                EXPECT_LE(a.Size(), b.Size()) << i;
                break;
            default:
                EXPECT_LE(static_cast<int32_t>(a.DosDateTime), static_cast<int32_t>(b.DosDateTime))
                    << i;
                break;
            }
        }
        std::vector<uint32_t> tags = Tags(list);
        std::sort(tags.begin(), tags.end());
        for (uint32_t i = 0; i < 500; ++i)
            ASSERT_EQ(tags[i], i) << "item lost or duplicated";
    }
}

TEST(FilesList, ClearEmptiesTheList) {
    TFilesList list;
    AddSample(list);
    list.Clear();
    EXPECT_EQ(list.Count(), 0u);
    list.SetSortOrder(soByName);
    list.Insert(Item("b", "", 0, 0, 1));
    list.Insert(Item("a", "", 0, 0, 2));
    EXPECT_EQ(Names(list), (std::vector<std::string>{"a", "b"}));
}

} // namespace
} // namespace tolvane::archive
