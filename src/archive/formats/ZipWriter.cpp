#include "ZipWriter.h"

#include "ZipReader.h"
#include "ZipUnicodePath.h"

#include "archive/framework/ByteOrder.h"
#include "platform/FileMode.h"
#include "platform/FileSystem.h"

#include <algorithm>
#include <string>

namespace tolvane::archive {

using namespace zip;

namespace {

uint16_t LevelFlags(TDeflateType type) {
    switch (type) {
    case dtDeflateX:
        return 0x0002;
    case dtDeflateF:
        return 0x0004;
    case dtDeflateS:
        return 0x0006;
    case dtDeflateN:
        return 0;
    }
    return 0;
}

// Largest compressed length the entry could reach: deflate's worst case over
// stored blocks, plus the encryption header.
uint64_t WorstCompressed(uint64_t size) {
    return size + (size >> 12) + (size >> 14) + (size >> 25) + 13 + ZipCipher::kHeaderSize;
}

struct SplitExtra {
    std::vector<uint8_t> zip64; // the data of the 0x0001 block, if any
    std::vector<uint8_t> others;
    bool hasZip64 = false;
};

// Separates the Zip64 block from the other extra blocks: it is rebuilt from
// the entry's current sizes and offset whenever the directory is written.
SplitExtra Split(const uint8_t* extra, size_t length) {
    SplitExtra out;
    size_t pos = 0;
    while (pos + 4 <= length) {
        const uint16_t tag = LoadLE16(extra + pos);
        const uint16_t size = LoadLE16(extra + pos + 2);
        if (pos + 4 + size > length)
            break;
        if (tag == kZip64Tag && !out.hasZip64) {
            out.hasZip64 = true;
            out.zip64.assign(extra + pos + 4, extra + pos + 4 + size);
        } else {
            out.others.insert(out.others.end(), extra + pos, extra + pos + 4 + size);
        }
        pos += 4 + size;
    }
    // Trailing bytes that form no block are kept as they were.
    out.others.insert(out.others.end(), extra + pos, extra + length);
    return out;
}

// Reads the Zip64 values that the 32-bit fields defer to, in APPNOTE order.
bool TakeZip64(const SplitExtra& extra, uint64_t& uncompressed, uint64_t& compressed,
               uint64_t* offset) {
    size_t pos = 0;
    auto take = [&](uint64_t& value) {
        if (value != kMax32)
            return true;
        if (!extra.hasZip64 || pos + 8 > extra.zip64.size())
            return false;
        value = LoadLE64(extra.zip64.data() + pos);
        pos += 8;
        return true;
    };
    return take(uncompressed) && take(compressed) && (!offset || take(*offset));
}

// The Unicode path field for an entry named `name` (list form) and stored as
// `stored`. Every name that is not plain ASCII gets one, also a UTF-8 name
// that carries flag bit 11: unzip reads such a name as OEM text when the
// entry comes from a DOS host, and 7z and bsdtar read an OEM name as bytes of
// the locale's charset, unless the field tells them the UTF-8 form.
std::vector<uint8_t> NameFieldFor(std::string_view name, std::string_view stored,
                                  const platform::CodePage& codePage) {
    if (std::all_of(stored.begin(), stored.end(),
                    [](char c) { return static_cast<unsigned char>(c) < 0x80; }))
        return {};
    const auto utf8 = codePage.ToUtf8(name);
    if (!utf8)
        return {}; // bytes that are no text of the charset: nothing to tell
    return UnicodePathField(stored, *utf8);
}

} // namespace

TZipBase::TZipBase()
    : TCompBase({atZip, ".ZIP", (1u << cmStore) | (1u << cmDeflate), UINT64_MAX}) {}

TEncryptionMethod TZipBase::ItemEncryption() const {
    // Only the traditional cipher is provided; AES is not.
    return EncryptionMethod == emZIP_v2 ? emZIP_v2 : emNone;
}

namespace {

uint16_t MethodOf(CodingStage stage) {
    return stage == CodingStage::Deflate ? kZipMethodDeflated : kZipMethodStored;
}

// Whether the entry's local header carries Zip64 sizes: decided from the
// source's size before the first byte of data, since the block sits between
// the name and the data and cannot be added afterwards.
bool NeedsZip64(uint64_t size) {
    return size >= kMax32 || WorstCompressed(size) >= kMax32;
}

// The fixed part of the local header; the central record repeats it from
// the flags on.
std::array<uint8_t, kLocalSize> LocalFixed(const EntryContext& entry, bool zip64,
                                           size_t extraLength) {
    std::array<uint8_t, kLocalSize> fixed{};
    uint8_t* h = fixed.data();
    StoreLE32(h, kLocalSignature);
    StoreLE16(h + kLocVersion, kVersion20);
    uint16_t flags = entry.encrypted ? kFlagEncrypted : 0;
    if (entry.stage == CodingStage::Deflate)
        flags |= LevelFlags(entry.level);
    if (entry.utf8Name)
        flags |= kFlagUtf8;
    StoreLE16(h + kLocFlags, flags);
    StoreLE16(h + kLocMethod, MethodOf(entry.stage));
    StoreLE16(h + kLocTime, entry.dosDateTime & 0xFFFFu);
    StoreLE16(h + kLocDate, entry.dosDateTime >> 16);
    StoreLE32(h + kLocCrc, entry.crc);
    StoreLE32(h + kLocCompressed, zip64 ? kMax32 : static_cast<uint32_t>(entry.codedSize));
    StoreLE32(h + kLocUncompressed, zip64 ? kMax32 : static_cast<uint32_t>(entry.size));
    StoreLE16(h + kLocNameLength, static_cast<uint32_t>(entry.storedBytes.size()));
    StoreLE16(h + kLocExtraLength, static_cast<uint32_t>(extraLength));
    return fixed;
}

} // namespace

std::vector<uint8_t> TZipBase::EncodeLocalHeader(const EntryContext& entry) const {
    const bool zip64 = NeedsZip64(entry.size);
    const std::vector<uint8_t> field = NameFieldFor(entry.name, entry.storedBytes, CodePage());
    const size_t sizeBlock = zip64 ? 20 : 0;
    const auto fixed = LocalFixed(entry, zip64, sizeBlock + field.size());
    std::vector<uint8_t> bytes(kLocalSize + entry.storedBytes.size() + sizeBlock + field.size());
    uint8_t* at = std::copy(fixed.begin(), fixed.end(), bytes.data());
    at = std::copy(entry.storedBytes.begin(), entry.storedBytes.end(), at);
    if (zip64) {
        StoreLE16(at, kZip64Tag);
        StoreLE16(at + 2, 16);
        StoreLE64(at + 4, entry.size);
        StoreLE64(at + 12, entry.codedSize);
        at += sizeBlock;
    }
    // After the size block, so that the rewrite of the header after the data
    // leaves these bytes where they are.
    std::copy(field.begin(), field.end(), at);
    return bytes;
}

void TZipBase::EncodeCentralRecord(const EntryContext& entry, HeaderItem& item) const {
    const bool zip64 = NeedsZip64(entry.size);
    const std::vector<uint8_t> field = NameFieldFor(entry.name, entry.storedBytes, CodePage());
    const auto local = LocalFixed(entry, zip64, (zip64 ? 20 : 0) + field.size());
    HeaderRecord& c = item.header;
    c.assign(kCentralSize, 0);
    StoreLE32(c.data(), kCentralSignature);
    // Where the system has Unix modes, the entry records its own (readers on
    // Windows still find the DOS attributes in the low half).
    const std::optional<uint32_t> mode = platform::ArchiveModeOf(item.Path());
    StoreLE16(c.data() + kCenMadeBy, ((mode ? kHostUnix : kHostDos) << 8) | kVersion20);
    StoreLE16(c.data() + kCenVersion, kVersion20);
    std::copy(local.begin() + kLocFlags, local.end(), c.begin() + kCenFlags);
    StoreLE16(c.data() + kCenExtraLength, 0); // rebuilt when the directory is written
    StoreLE16(c.data() + kCenInternal, 1);
    StoreLE32(c.data() + kCenExternal,
              (mode.value_or(0) << 16) | (entry.attributes & kExternalMask));
    item.info.uncompressedSize = entry.size;
    item.info.compressedSize = entry.codedSize;
    if (entry.storedBytes != item.Name())
        item.info.Bytes().storedName = std::string(entry.storedBytes);
    item.info.utf8Name = entry.utf8Name;
    if (!field.empty() || !item.info.ExtraField().empty())
        item.info.Bytes().extraField = field;
}

std::unique_ptr<EntryCipher> TZipBase::MakeEntryCipher() const {
    return std::make_unique<ZipCipher>();
}

platform::Expected<void> TZipBase::TestOutput(const std::string& path) {
    ZipReader reader(path, CodePage());
    if (!reader.IsOpen())
        return platform::Unexpected{platform::Failure("", platform::ErrorText(reader.OpenError()))};
    std::vector<ZipEntry> entries;
    std::string problem;
    if (!reader.ReadDirectory(entries, problem))
        return platform::Unexpected{platform::Failure("", problem)};
    const std::string* password = Password.empty() ? nullptr : &Password;
    for (const ZipEntry& entry : entries) {
        PumpMessages();
        if (Cancelled())
            return {}; // the run ends as cancelled, not as damaged
        std::string error;
        if (!reader.Extract(entry, nullptr, password, error))
            return platform::Unexpected{platform::Failure(entry.name, error)};
    }
    return {};
}

void TZipBase::Refuse(const std::string& why) {
    RaiseError(runArchive_, why + "; the archive is left unchanged", runArchive_,
               kErrUnsupportedOperation);
    throw WriterException(kErrUnsupportedOperation); // not reached: RaiseError throws
}

std::string TZipBase::FromStoredName(const std::string& stored, bool utf8) const {
    if (utf8 || !TranslateOemChar)
        return stored;
    return CodePage().ToAnsi(stored);
}

uint64_t TZipBase::DescriptorLength(TStream32& archive, int64_t dataEnd, bool zip64) {
    uint8_t signature[4] = {};
    const int64_t back = archive.Position();
    archive.SetPosition(dataEnd);
    const bool hasSignature =
        archive.Read(signature, 4) == 4 && LoadLE32(signature) == kDescriptorSignature;
    archive.SetPosition(back);
    return (zip64 ? 20 : 12) + (hasSignature ? 4 : 0);
}

uint64_t TZipBase::KeptEntryLength(TStream32& oldArchive, const HeaderItem& item) {
    const int64_t start = oldArchive.Position();
    uint8_t h[kLocalSize];
    if (oldArchive.Read(h, kLocalSize) != static_cast<int64_t>(kLocalSize) ||
        LoadLE32(h) != kLocalSignature)
        Refuse("no local header for \"" + item.Path() + "\" at offset " + std::to_string(start));
    // What can be checked without expanding the data: the local header must
    // describe the entry that the directory describes, or the copy would
    // carry damage into the new archive.
    const uint8_t* c = item.header.data();
    const uint16_t nameLength = LoadLE16(h + kLocNameLength);
    std::string localName(nameLength, '\0');
    const bool descriptor = (LoadLE16(h + kLocFlags) & kFlagDescriptor) != 0;
    const uint32_t localCompressed = LoadLE32(h + kLocCompressed);
    if (oldArchive.Read(localName.data(), nameLength) != nameLength ||
        localName != item.StoredBytes() || LoadLE16(h + kLocMethod) != LoadLE16(c + kCenMethod) ||
        (!descriptor && (LoadLE32(h + kLocCrc) != LoadLE32(c + kCenCrc) ||
                         (localCompressed != kMax32 &&
                          localCompressed != static_cast<uint32_t>(item.info.compressedSize)))))
        Refuse("the local header of \"" + item.Path() + "\" at offset " + std::to_string(start) +
               " does not match its directory record");
    uint64_t length =
        kLocalSize + nameLength + LoadLE16(h + kLocExtraLength) + item.info.compressedSize;
    if (descriptor) {
        const bool zip64 =
            item.info.compressedSize >= kMax32 || item.info.uncompressedSize >= kMax32;
        length += DescriptorLength(oldArchive, start + static_cast<int64_t>(length), zip64);
    }
    if (start + static_cast<int64_t>(length) > oldArchive.Size())
        Refuse("the entry \"" + item.Path() + "\" runs past the end of the archive");
    oldArchive.SetPosition(start);
    return length;
}

void TZipBase::CopyRenamed(TStream32& oldArchive, TStream32& output, HeaderItem& item) {
    const int64_t start = oldArchive.Position();
    uint8_t h[kLocalSize];
    if (oldArchive.Read(h, kLocalSize) != static_cast<int64_t>(kLocalSize) ||
        LoadLE32(h) != kLocalSignature)
        RaiseError(item.Path(), "", runArchive_, kErrWritingFile);
    const uint16_t oldNameLength = LoadLE16(h + kLocNameLength);
    const uint16_t extraLength = LoadLE16(h + kLocExtraLength);
    oldArchive.SetPosition(start + static_cast<int64_t>(kLocalSize) + oldNameLength);

    std::vector<uint8_t> extra(extraLength);
    if (oldArchive.Read(extra.data(), extraLength) != extraLength)
        RaiseError(item.Path(), "", runArchive_, kErrWritingFile);

    bool utf8 = false;
    const std::string name = EncodeStoredName(item.Path(), utf8);
    // The old name's Unicode path field would no longer match the name.
    const std::vector<uint8_t> field = NameFieldFor(item.Path(), name, CodePage());
    auto renamed = [&field](const std::vector<uint8_t>& old) {
        std::vector<uint8_t> out = WithoutUnicodePath(old);
        out.insert(out.end(), field.begin(), field.end());
        return out;
    };
    extra = renamed(extra);
    uint16_t flags = LoadLE16(h + kLocFlags);
    flags = utf8 ? (flags | kFlagUtf8) : (flags & ~kFlagUtf8);
    StoreLE16(h + kLocFlags, flags);
    StoreLE16(h + kLocNameLength, static_cast<uint32_t>(name.size()));
    StoreLE16(h + kLocExtraLength, static_cast<uint32_t>(extra.size()));
    output.WriteBuffer(h, kLocalSize);
    output.WriteBuffer(name.data(), static_cast<int64_t>(name.size()));
    output.WriteBuffer(extra.data(), static_cast<int64_t>(extra.size()));

    int64_t rest = static_cast<int64_t>(item.info.compressedSize);
    if (flags & kFlagDescriptor) {
        const bool zip64 =
            item.info.compressedSize >= kMax32 || item.info.uncompressedSize >= kMax32;
        rest +=
            static_cast<int64_t>(DescriptorLength(oldArchive, oldArchive.Position() + rest, zip64));
    }
    if (rest > 0 && output.CopyFrom(oldArchive, rest) != rest && !Cancelled())
        RaiseError(item.Path(), "", runArchive_, kErrWritingFile);
    item.info.Bytes().storedName = name;
    item.info.utf8Name = utf8;
    item.info.Bytes().extraField = renamed(item.info.ExtraField());
    StoreLE16(item.header.data() + kCenFlags, flags);
}

void TZipBase::AddKeptEntry(HeaderItem item, const std::string& name, uint16_t flags,
                            int64_t offset, uint64_t uncompressed, uint64_t compressed,
                            std::vector<uint8_t> extra, TCompHeaderObj& list) {
    const bool utf8 = (flags & kFlagUtf8) != 0;
    const uint8_t* c = item.header.data();
    item.SetPath(FromStoredName(name, utf8));
    item.info.status = EntryStatus::Keep;
    item.info.offset = offset;
    item.info.uncompressedSize = uncompressed;
    item.info.compressedSize = compressed;
    item.info.dosDateTime =
        (static_cast<uint32_t>(LoadLE16(c + kCenDate)) << 16) | LoadLE16(c + kCenTime);
    item.info.attributes = LoadLE32(c + kCenExternal) & kExternalMask;
    item.info.encryption = (flags & kFlagEncrypted) ? emZIP_v2 : emNone;
    if (name != item.Name())
        item.info.Bytes().storedName = name;
    item.info.utf8Name = utf8;
    if (!extra.empty())
        item.info.Bytes().extraField = std::move(extra);
    list.Add(std::move(item));
}

void TZipBase::ReadDirectory(TStream32& archive, TCompHeaderObj& list) {
    archiveComment_.clear();
    const int64_t size = archive.Size();
    if (size <= 0)
        return; // an empty file holds no entries yet
    if (!ReadCentralDirectory(archive, size, list))
        ReadFromLocalHeaders(archive, size, list);
}

bool TZipBase::ReadCentralDirectory(TStream32& archive, int64_t size, TCompHeaderObj& list) {
    // The end record lies within the last 22 + 65535 bytes (its comment's
    // greatest length); searched from the end.
    const int64_t tailLength = std::min<int64_t>(size, kEndSize + 0xFFFF);
    std::vector<uint8_t> tail(static_cast<size_t>(tailLength));
    archive.SetPosition(size - tailLength);
    archive.ReadBuffer(tail.data(), tailLength);
    int64_t endPos = -1;
    for (int64_t i = tailLength - static_cast<int64_t>(kEndSize); i >= 0; --i) {
        const uint8_t* p = tail.data() + i;
        if (LoadLE32(p) == kEndSignature &&
            i + static_cast<int64_t>(kEndSize) + LoadLE16(p + kEndCommentLength) <= tailLength) {
            endPos = size - tailLength + i;
            break;
        }
    }
    if (endPos < 0)
        return false;
    const uint8_t* end = tail.data() + (endPos - (size - tailLength));
    uint64_t entries = LoadLE16(end + kEndEntries);
    uint64_t cdSize = LoadLE32(end + kEndCdSize);
    uint64_t cdOffset = LoadLE32(end + kEndCdOffset);
    archiveComment_.assign(end + kEndSize, end + kEndSize + LoadLE16(end + kEndCommentLength));
    int64_t dirEnd = endPos;

    if (endPos >= static_cast<int64_t>(kZip64LocatorSize + kZip64EndSize)) {
        uint8_t locator[kZip64LocatorSize];
        archive.SetPosition(endPos - static_cast<int64_t>(kZip64LocatorSize));
        archive.ReadBuffer(locator, kZip64LocatorSize);
        if (LoadLE32(locator) == kZip64LocatorSignature) {
            const int64_t z64Pos = endPos - static_cast<int64_t>(kZip64LocatorSize + kZip64EndSize);
            uint8_t z64[kZip64EndSize];
            archive.SetPosition(z64Pos);
            archive.ReadBuffer(z64, kZip64EndSize);
            if (LoadLE32(z64) != kZip64EndSignature)
                Refuse("the Zip64 end record is missing");
            entries = LoadLE64(z64 + kZ64Entries);
            cdSize = LoadLE64(z64 + kZ64CdSize);
            cdOffset = LoadLE64(z64 + kZ64CdOffset);
            dirEnd = z64Pos;
        }
    }
    if (cdSize > static_cast<uint64_t>(dirEnd))
        Refuse("the central directory is larger than the archive");
    const int64_t cdStart = dirEnd - static_cast<int64_t>(cdSize);
    if (cdOffset > static_cast<uint64_t>(cdStart))
        Refuse("the central directory offset points past the directory");
    // Bytes in front of the first entry (a stub) shift every stored offset.
    const int64_t bias = cdStart - static_cast<int64_t>(cdOffset);
    if (entries > cdSize / kCentralSize)
        Refuse("the end record counts more entries than the directory can hold");

    int64_t pos = cdStart;
    for (uint64_t n = 0; n < entries; ++n) {
        HeaderItem item;
        item.header.resize(kCentralSize);
        if (pos + static_cast<int64_t>(kCentralSize) > dirEnd)
            Refuse("the central directory ends inside a record");
        archive.SetPosition(pos);
        archive.ReadBuffer(item.header.data(), kCentralSize);
        const uint8_t* c = item.header.data();
        if (LoadLE32(c) != kCentralSignature)
            Refuse("no central record at offset " + std::to_string(pos));
        const uint16_t nameLength = LoadLE16(c + kCenNameLength);
        const uint16_t extraLength = LoadLE16(c + kCenExtraLength);
        const uint16_t commentLength = LoadLE16(c + kCenCommentLength);
        const int64_t recordEnd =
            pos + static_cast<int64_t>(kCentralSize) + nameLength + extraLength + commentLength;
        if (recordEnd > dirEnd)
            Refuse("a central record runs past the directory at offset " + std::to_string(pos));
        std::string name(nameLength, '\0');
        archive.ReadBuffer(name.data(), nameLength);
        std::vector<uint8_t> extra(extraLength);
        archive.ReadBuffer(extra.data(), extraLength);
        if (commentLength > 0) {
            item.info.Bytes().comment.resize(commentLength);
            archive.ReadBuffer(item.info.Bytes().comment.data(), commentLength);
        }

        const SplitExtra split = Split(extra.data(), extra.size());
        uint64_t uncompressed = LoadLE32(c + kCenUncompressed);
        uint64_t compressed = LoadLE32(c + kCenCompressed);
        uint64_t offset = LoadLE32(c + kCenOffset);
        if (!TakeZip64(split, uncompressed, compressed, &offset))
            Refuse("a Zip64 field is missing at offset " + std::to_string(pos));
        const int64_t local = static_cast<int64_t>(offset) + bias;
        if (offset > static_cast<uint64_t>(cdStart) ||
            local + static_cast<int64_t>(kLocalSize) > cdStart ||
            compressed > static_cast<uint64_t>(cdStart - local))
            Refuse("the entry \"" + name + "\" points outside the archive");

        AddKeptEntry(std::move(item), name, LoadLE16(c + kCenFlags), local, uncompressed,
                     compressed, split.others, list);
        pos = recordEnd;
    }
    if (pos != dirEnd)
        Refuse("the central directory does not match its end record");
    return true;
}

void TZipBase::ReadFromLocalHeaders(TStream32& archive, int64_t size, TCompHeaderObj& list) {
    // The first local header within four windows of 32768 bytes.
    constexpr int64_t kWindow = 32768;
    const int64_t searchEnd = std::min<int64_t>(size, 4 * kWindow);
    std::vector<uint8_t> head(static_cast<size_t>(searchEnd));
    archive.SetPosition(0);
    archive.ReadBuffer(head.data(), searchEnd);
    int64_t pos = -1;
    for (int64_t i = 0; i + 4 <= searchEnd; ++i) {
        if (LoadLE32(head.data() + i) == kLocalSignature) {
            pos = i;
            break;
        }
    }
    // Only whole entries are kept: the walk stops at the first that is not.
    while (pos >= 0 && pos + static_cast<int64_t>(kLocalSize) <= size) {
        uint8_t h[kLocalSize];
        archive.SetPosition(pos);
        archive.ReadBuffer(h, kLocalSize);
        if (LoadLE32(h) != kLocalSignature || (LoadLE16(h + kLocFlags) & kFlagDescriptor))
            break;
        const uint16_t nameLength = LoadLE16(h + kLocNameLength);
        const uint16_t extraLength = LoadLE16(h + kLocExtraLength);
        if (pos + static_cast<int64_t>(kLocalSize) + nameLength + extraLength > size)
            break;
        std::string name(nameLength, '\0');
        archive.ReadBuffer(name.data(), nameLength);
        std::vector<uint8_t> extra(extraLength);
        archive.ReadBuffer(extra.data(), extraLength);
        const SplitExtra split = Split(extra.data(), extra.size());
        uint64_t uncompressed = LoadLE32(h + kLocUncompressed);
        uint64_t compressed = LoadLE32(h + kLocCompressed);
        if (!TakeZip64(split, uncompressed, compressed, nullptr))
            break;
        const int64_t dataStart = pos + static_cast<int64_t>(kLocalSize) + nameLength + extraLength;
        if (compressed > static_cast<uint64_t>(size - dataStart))
            break;

        HeaderItem item;
        item.header.assign(kCentralSize, 0);
        uint8_t* c = item.header.data();
        StoreLE32(c, kCentralSignature);
        StoreLE16(c + kCenMadeBy, kVersion20);
        std::copy(h + kLocVersion, h + kLocalSize, c + kCenVersion);
        StoreLE16(c + kCenExtraLength, 0);
        AddKeptEntry(std::move(item), name, LoadLE16(h + kLocFlags), pos, uncompressed, compressed,
                     split.others, list);
        pos = dataStart + static_cast<int64_t>(compressed);
    }
    // Nothing recognisable: writing a new archive over it would destroy the file.
    if (list.Count() == 0)
        Refuse("the file is not a ZIP archive");
}

void TZipBase::WriteDirectory(TStream32& output, const TCompHeaderObj& list) {
    output.Seek(0, SeekOrigin::End);
    const uint64_t cdOffset = static_cast<uint64_t>(output.Position());
    uint64_t count = 0;
    for (const auto& item : list) {
        if (item.info.status == EntryStatus::Drop)
            continue;
        HeaderRecord c = item.header;
        c.resize(kCentralSize);
        const std::string name(item.StoredBytes());
        uint16_t flags = LoadLE16(c.data() + kCenFlags);
        flags = item.info.utf8Name ? (flags | kFlagUtf8) : (flags & ~kFlagUtf8);
        StoreLE16(c.data() + kCenFlags, flags);

        // Zip64 values only for the fields that need them, in APPNOTE order.
        std::vector<uint8_t> zip64;
        auto field = [&zip64](uint8_t* at, uint64_t value) {
            if (value < kMax32) {
                StoreLE32(at, static_cast<uint32_t>(value));
                return;
            }
            StoreLE32(at, kMax32);
            uint8_t v[8];
            StoreLE64(v, value);
            zip64.insert(zip64.end(), v, v + 8);
        };
        field(c.data() + kCenUncompressed, item.info.uncompressedSize);
        field(c.data() + kCenCompressed, item.info.compressedSize);
        field(c.data() + kCenOffset, static_cast<uint64_t>(item.info.offset));
        std::vector<uint8_t> extra;
        if (!zip64.empty()) {
            uint8_t head[4];
            StoreLE16(head, kZip64Tag);
            StoreLE16(head + 2, static_cast<uint32_t>(zip64.size()));
            extra.assign(head, head + 4);
            extra.insert(extra.end(), zip64.begin(), zip64.end());
            // The host byte stays: it tells how to read the external attributes.
            StoreLE16(c.data() + kCenMadeBy,
                      (LoadLE16(c.data() + kCenMadeBy) & 0xFF00u) | kVersionZip64);
            StoreLE16(c.data() + kCenVersion, kVersionZip64);
        }
        extra.insert(extra.end(), item.info.ExtraField().begin(), item.info.ExtraField().end());
        StoreLE16(c.data() + kCenNameLength, static_cast<uint32_t>(name.size()));
        StoreLE16(c.data() + kCenExtraLength, static_cast<uint32_t>(extra.size()));
        StoreLE16(c.data() + kCenCommentLength, static_cast<uint32_t>(item.info.Comment().size()));
        output.WriteBuffer(c.data(), kCentralSize);
        output.WriteBuffer(name.data(), static_cast<int64_t>(name.size()));
        output.WriteBuffer(extra.data(), static_cast<int64_t>(extra.size()));
        output.WriteBuffer(item.info.Comment().data(),
                           static_cast<int64_t>(item.info.Comment().size()));
        ++count;
    }
    const uint64_t cdEnd = static_cast<uint64_t>(output.Position());
    const uint64_t cdSize = cdEnd - cdOffset;
    const bool zip64 = count >= kMax16 || cdSize >= kMax32 || cdOffset >= kMax32;
    if (zip64) {
        uint8_t z64[kZip64EndSize] = {};
        StoreLE32(z64, kZip64EndSignature);
        StoreLE64(z64 + kZ64RecordSize, kZip64EndSize - 12);
        StoreLE16(z64 + kZ64MadeBy, kVersionZip64);
        StoreLE16(z64 + kZ64Version, kVersionZip64);
        StoreLE64(z64 + kZ64EntriesDisk, count);
        StoreLE64(z64 + kZ64Entries, count);
        StoreLE64(z64 + kZ64CdSize, cdSize);
        StoreLE64(z64 + kZ64CdOffset, cdOffset);
        output.WriteBuffer(z64, kZip64EndSize);
        uint8_t locator[kZip64LocatorSize] = {};
        StoreLE32(locator, kZip64LocatorSignature);
        StoreLE64(locator + kLocatorEndOffset, cdEnd);
        StoreLE32(locator + kLocatorDisks, 1);
        output.WriteBuffer(locator, kZip64LocatorSize);
    }
    uint8_t end[kEndSize] = {};
    StoreLE32(end, kEndSignature);
    const uint32_t shortCount = static_cast<uint32_t>(std::min<uint64_t>(count, kMax16));
    StoreLE16(end + kEndEntriesDisk, shortCount);
    StoreLE16(end + kEndEntries, shortCount);
    StoreLE32(end + kEndCdSize, static_cast<uint32_t>(std::min<uint64_t>(cdSize, kMax32)));
    StoreLE32(end + kEndCdOffset, static_cast<uint32_t>(std::min<uint64_t>(cdOffset, kMax32)));
    StoreLE16(end + kEndCommentLength, static_cast<uint32_t>(archiveComment_.size()));
    output.WriteBuffer(end, kEndSize);
    output.WriteBuffer(archiveComment_.data(), static_cast<int64_t>(archiveComment_.size()));
}

} // namespace tolvane::archive
