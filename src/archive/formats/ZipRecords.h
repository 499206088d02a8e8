// Layouts of the ZIP records (PKWARE APPNOTE), for the writer and the reader.
#pragma once

#include <cstddef>
#include <cstdint>

namespace tolvane::archive::zip {

inline constexpr uint32_t kLocalSignature = 0x04034B50;
inline constexpr uint32_t kCentralSignature = 0x02014B50;
inline constexpr uint32_t kEndSignature = 0x06054B50;
inline constexpr uint32_t kZip64EndSignature = 0x06064B50;
inline constexpr uint32_t kZip64LocatorSignature = 0x07064B50;
inline constexpr uint32_t kDescriptorSignature = 0x08074B50;

inline constexpr size_t kLocalSize = 30;
inline constexpr size_t kCentralSize = 46;
inline constexpr size_t kEndSize = 22;
inline constexpr size_t kZip64EndSize = 56;
inline constexpr size_t kZip64LocatorSize = 20;

// Local header offsets.
inline constexpr size_t kLocVersion = 4;
inline constexpr size_t kLocFlags = 6;
inline constexpr size_t kLocMethod = 8;
inline constexpr size_t kLocTime = 10;
inline constexpr size_t kLocDate = 12;
inline constexpr size_t kLocCrc = 14;
inline constexpr size_t kLocCompressed = 18;
inline constexpr size_t kLocUncompressed = 22;
inline constexpr size_t kLocNameLength = 26;
inline constexpr size_t kLocExtraLength = 28;
static_assert(kLocExtraLength + 2 == kLocalSize);

// Central record offsets.
inline constexpr size_t kCenMadeBy = 4;
inline constexpr size_t kCenVersion = 6;
inline constexpr size_t kCenFlags = 8;
inline constexpr size_t kCenMethod = 10;
inline constexpr size_t kCenTime = 12;
inline constexpr size_t kCenDate = 14;
inline constexpr size_t kCenCrc = 16;
inline constexpr size_t kCenCompressed = 20;
inline constexpr size_t kCenUncompressed = 24;
inline constexpr size_t kCenNameLength = 28;
inline constexpr size_t kCenExtraLength = 30;
inline constexpr size_t kCenCommentLength = 32;
inline constexpr size_t kCenDisk = 34;
inline constexpr size_t kCenInternal = 36;
inline constexpr size_t kCenExternal = 38;
inline constexpr size_t kCenOffset = 42;
static_assert(kCenOffset + 4 == kCentralSize);

// End record offsets.
inline constexpr size_t kEndDisk = 4;
inline constexpr size_t kEndCdDisk = 6;
inline constexpr size_t kEndEntriesDisk = 8;
inline constexpr size_t kEndEntries = 10;
inline constexpr size_t kEndCdSize = 12;
inline constexpr size_t kEndCdOffset = 16;
inline constexpr size_t kEndCommentLength = 20;
static_assert(kEndCommentLength + 2 == kEndSize);

// Zip64 end locator offsets.
inline constexpr size_t kLocatorEndDisk = 4;
inline constexpr size_t kLocatorEndOffset = 8;
inline constexpr size_t kLocatorDisks = 16;
static_assert(kLocatorDisks + 4 == kZip64LocatorSize);

// Zip64 end record offsets; its size field counts the bytes after itself.
inline constexpr size_t kZ64RecordSize = 4;
inline constexpr size_t kZ64MadeBy = 12;
inline constexpr size_t kZ64Version = 14;
inline constexpr size_t kZ64Disk = 16;
inline constexpr size_t kZ64CdDisk = 20;
inline constexpr size_t kZ64EntriesDisk = 24;
inline constexpr size_t kZ64Entries = 32;
inline constexpr size_t kZ64CdSize = 40;
inline constexpr size_t kZ64CdOffset = 48;
static_assert(kZ64CdOffset + 8 == kZip64EndSize);

inline constexpr uint16_t kVersion20 = 20;
inline constexpr uint16_t kVersionZip64 = 45;
inline constexpr uint16_t kFlagEncrypted = 0x0001;
inline constexpr uint16_t kFlagDescriptor = 0x0008;
inline constexpr uint16_t kFlagUtf8 = 0x0800;
inline constexpr uint16_t kZip64Tag = 0x0001;
inline constexpr uint32_t kMax32 = 0xFFFFFFFFu;
inline constexpr uint32_t kMax16 = 0xFFFFu;

// Host systems of "version made by" (its high byte): whether the external
// attributes' high half holds a Unix mode.
inline constexpr uint16_t kHostDos = 0;
inline constexpr uint16_t kHostUnix = 3;

// External attribute bits kept from the file system.
inline constexpr uint32_t kExternalMask = 0x01 | 0x02 | 0x04 | 0x08 | 0x10 | 0x20 | 0x80 | 0x4000;

} // namespace tolvane::archive::zip
