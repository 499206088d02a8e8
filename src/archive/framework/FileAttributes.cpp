// Attribute filters of the scanner: conversion of the member set to platform
// bits and the include and exclude tests applied to every directory entry.
#include "FileAttributes.h"

#include <iterator>

namespace tolvane::archive {

namespace {

// Platform bits that no member of the set stands for but that the tests read.
constexpr uint32_t kAttrNormal = 0x80;
constexpr uint32_t kAttrNotContentIndexed = 0x2000;

// Platform bit of each member, indexed by ordinal; fsZeroAttr has none.
constexpr uint32_t kMemberBits[] = {
    0x0000, // fsZeroAttr
    0x0001, // fsReadOnly
    0x0002, // fsHidden
    0x0004, // fsSysFile
    0x0008, // fsVolumeID
    0x0010, // fsDirectory
    0x0020, // fsArchive
    0x0800, // fsCompressed
    0x4000, // fsEncrypted
};

// The rules shared by both tests. fsVolumeID is never consulted: a volume label
// is no entry a scan can meet.
bool AnyMemberHits(TkroFileAttributes set, uint32_t bits) {
    if (set.Contains(fsEncrypted) && (bits & kMemberBits[fsEncrypted]) != 0)
        return true;
    if (set.Contains(fsArchive) && (bits & kMemberBits[fsArchive]) != 0)
        return true;
    if (set.Contains(fsZeroAttr) && (bits == 0 || bits == kAttrNormal))
        return true;
    if (set.Contains(fsDirectory) && (bits & kMemberBits[fsDirectory]) != 0)
        return true;
    if (set.Contains(fsReadOnly) && (bits & kMemberBits[fsReadOnly]) != 0)
        return true;
    if (set.Contains(fsHidden) && (bits & kMemberBits[fsHidden]) != 0)
        return true;
    if (set.Contains(fsSysFile) && (bits & kMemberBits[fsSysFile]) != 0)
        return true;
    if (set.Contains(fsCompressed) && (bits & kMemberBits[fsCompressed]) != 0)
        return true;
    return false;
}

} // namespace

uint32_t TkroFileAttributes::ToPlatformBits() const {
    uint32_t bits = 0;
    for (unsigned ordinal = 0; ordinal < std::size(kMemberBits); ++ordinal) {
        if (Contains(ordinal))
            bits |= kMemberBits[ordinal];
    }
    return bits;
}

bool PassesIncludeTest(TkroFileAttributes set, uint32_t bits) {
    // A not-content-indexed entry passes whatever the set holds.
    if ((bits & kAttrNotContentIndexed) != 0)
        return true;
    return AnyMemberHits(set, bits);
}

bool HitsExcludeTest(TkroFileAttributes set, uint32_t bits) {
    return AnyMemberHits(set, bits);
}

} // namespace tolvane::archive
