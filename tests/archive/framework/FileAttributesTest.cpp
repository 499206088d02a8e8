// Attribute filters: member-to-bit mapping and the include and exclude tests.
#include "archive/framework/FileAttributes.h"

#include <gtest/gtest.h>

namespace tolvane::archive {
namespace {

TEST(FileAttributes, MembersMapToPlatformBits) {
    struct Case {
        TkroFileAttributes set;
        uint32_t bits;
    };
    const Case cases[] = {
        {{}, 0},
        {{fsZeroAttr}, 0},
        {{fsReadOnly}, 0x1},
        {{fsHidden}, 0x2},
        {{fsSysFile}, 0x4},
        {{fsVolumeID}, 0x8},
        {{fsDirectory}, 0x10},
        {{fsArchive}, 0x20},
        {{fsCompressed}, 0x800},
        {{fsEncrypted}, 0x4000},
        {kDefaultAttributes, 0x4821},
        {{fsZeroAttr, fsReadOnly, fsHidden, fsSysFile, fsVolumeID, fsDirectory, fsArchive,
          fsCompressed, fsEncrypted},
         0x483F},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.set.ToPlatformBits(), c.bits) << "set bits " << c.set.Bits();
}

TEST(FileAttributes, SetIsSixteenBitsWithOrdinalBits) {
    EXPECT_EQ(kDefaultAttributes.Bits(), 0x01C3); // ordinals 0, 1, 6, 7, 8
}

struct AttrCase {
    TkroFileAttributes set;
    uint32_t bits;
    bool include; // PassesIncludeTest
    bool exclude; // HitsExcludeTest
};

const AttrCase kAttrCases[] = {
    // fsZeroAttr: bits exactly 0 or exactly 0x80.
    {{fsZeroAttr}, 0x0, true, true},
    {{fsZeroAttr}, 0x80, true, true},
    {{fsZeroAttr}, 0x81, false, false},
    {{fsZeroAttr}, 0x100, false, false},
    // 0x2000 passes the include test whatever the set; the exclude test ignores it.
    {{}, 0x2000, true, false},
    {{}, 0x2002, true, false},
    {{fsZeroAttr}, 0x2000, true, false},
    {{fsHidden}, 0x2002, true, true},
    {{}, 0x0, false, false},
    {{}, 0x3F, false, false},
    // One member, its own bit.
    {{fsReadOnly}, 0x1, true, true},
    {{fsReadOnly}, 0x20, false, false},
    {{fsHidden}, 0x2, true, true},
    {{fsSysFile}, 0x4, true, true},
    {{fsDirectory}, 0x10, true, true},
    {{fsDirectory}, 0x12, true, true},
    {{fsArchive}, 0x20, true, true},
    {{fsCompressed}, 0x800, true, true},
    {{fsCompressed}, 0x8, false, false},
    {{fsEncrypted}, 0x4000, true, true},
    // fsVolumeID is never tested.
    {{fsVolumeID}, 0x8, false, false},
    // The default include filter.
    {kDefaultAttributes, 0x0, true, true},
    {kDefaultAttributes, 0x80, true, true},
    {kDefaultAttributes, 0x20, true, true},
    {kDefaultAttributes, 0x2, false, false},  // hidden alone
    {kDefaultAttributes, 0x4, false, false},  // system alone
    {kDefaultAttributes, 0x82, false, false}, // hidden, normal set too
    {kDefaultAttributes, 0x22, true, true},   // hidden with archive
    {kDefaultAttributes, 0x3, true, true},    // hidden with read-only
    {kDefaultAttributes, 0x806, true, true},  // hidden, system, compressed
    {kDefaultAttributes, 0x4002, true, true}, // hidden with encrypted
    {kDefaultAttributes, 0x2006, true, false},
    {kDefaultAttributes, 0x10, false, false}, // a plain folder
    {kDefaultAttributes, 0x30, true, true},   // a folder with the archive bit
};

class AttrTable : public testing::TestWithParam<AttrCase> {};

TEST_P(AttrTable, IncludeAndExcludeTests) {
    const AttrCase& c = GetParam();
    EXPECT_EQ(PassesIncludeTest(c.set, c.bits), c.include)
        << "set " << c.set.Bits() << " bits 0x" << std::hex << c.bits;
    EXPECT_EQ(HitsExcludeTest(c.set, c.bits), c.exclude)
        << "set " << c.set.Bits() << " bits 0x" << std::hex << c.bits;
}

INSTANTIATE_TEST_SUITE_P(FileAttributes, AttrTable, testing::ValuesIn(kAttrCases));

} // namespace
} // namespace tolvane::archive
