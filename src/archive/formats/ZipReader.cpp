// Reads a ZIP archive's central directory and checks each entry's data.
#include "archive/formats/ZipReader.h"

#include "archive/codecs/RawInflate.h"
#include "archive/formats/EntryPath.h"
#include "archive/formats/ReaderText.h"
#include "archive/formats/TraditionalDecipher.h"
#include "archive/formats/ZipRecords.h"
#include "archive/formats/ZipUnicodePath.h"

#include "archive/framework/ByteOrder.h"
#include "platform/FileSystem.h"

#include <zlib.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <optional>
#include <string_view>
#include <utility>

namespace tolvane::archive {

namespace {

using namespace zip;

constexpr uint64_t kMaxCommentLength = 0xFFFF;
constexpr uint64_t kZ64MinRecordSize = kZip64EndSize - 12;

constexpr size_t kEncryptionHeaderSize = 12;
constexpr size_t kPieceSize = 64 * 1024;

// True when [offset, offset + length) lies inside [0, limit), without overflow.
bool Fits(uint64_t offset, uint64_t length, uint64_t limit) {
    return offset <= limit && length <= limit - offset;
}

// Takes the Zip64 values of the fields that hold the escape value from the
// 0x0001 extra block, in APPNOTE's order: uncompressed size, compressed size,
// local header offset (the disk number that may follow is not needed).
bool ApplyZip64Extra(const std::vector<uint8_t>& extra, ZipEntry& entry, std::string& error) {
    uint64_t* const fields[] = {&entry.uncompressedSize, &entry.compressedSize,
                                &entry.localHeaderOffset};
    if (std::none_of(std::begin(fields), std::end(fields),
                     [](const uint64_t* field) { return *field == kMax32; }))
        return true;
    size_t pos = 0;
    while (extra.size() - pos >= 4) {
        const uint16_t tag = LoadLE16(extra.data() + pos);
        const size_t length = LoadLE16(extra.data() + pos + 2);
        pos += 4;
        if (length > extra.size() - pos)
            break;
        if (tag != kZip64Tag) {
            pos += length;
            continue;
        }
        size_t at = pos;
        for (uint64_t* field : fields) {
            if (*field != kMax32)
                continue;
            if (pos + length - at < 8) {
                error = "its Zip64 extra field is too short (" + std::to_string(length) + " bytes)";
                return false;
            }
            *field = LoadLE64(extra.data() + at);
            at += 8;
        }
        return true;
    }
    error = "a size or offset is 0xffffffff but there is no Zip64 extra field";
    return false;
}

// The UTF-8 name one header gives: its stored bytes, or the Unicode path
// field's name when it has a matching one (`unicode` then true).
std::string Utf8Side(const std::string& stored, const std::vector<uint8_t>& extra, bool& unicode) {
    auto fromField = UnicodePathFromExtra(extra, stored);
    unicode = fromField.has_value();
    return fromField ? std::move(*fromField) : stored;
}

} // namespace

bool ZipEntry::MadeOnUnix() const {
    constexpr uint8_t kUnix = 3;
    return (versionMadeBy >> 8) == kUnix;
}

std::optional<uint32_t> ZipEntry::UnixMode() const {
    const uint32_t mode = externalAttributes >> 16;
    if (!MadeOnUnix() || mode == 0)
        return std::nullopt;
    return mode;
}

bool LooksLikeZip(const std::string& path) {
    platform::File file(path, platform::File::Mode::Read);
    uint8_t magic[4] = {};
    if (!file.IsOpen() || file.Read(magic, sizeof magic) != static_cast<int64_t>(sizeof magic))
        return false;
    const uint32_t signature = LoadLE32(magic);
    return signature == kLocalSignature || signature == kEndSignature;
}

ZipReader::ZipReader(const std::string& path, const platform::CodePage& codePage)
    : file_(path, platform::File::Mode::Read), codePage_(codePage) {
    if (!file_.IsOpen()) {
        openError_ = file_.LastError();
        return;
    }
    const int64_t size = file_.Size();
    // Opening a folder succeeds on Linux; only a read shows that it is not a file.
    uint8_t probe = 0;
    if (size < 0 || file_.Read(&probe, 1) < 0) {
        openError_ = file_.LastError();
        file_.Close();
        return;
    }
    fileSize_ = static_cast<uint64_t>(size);
    dataLimit_ = fileSize_;
}

bool ZipReader::ReadAt(uint64_t offset, void* buffer, size_t count) {
    if (!Fits(offset, count, fileSize_))
        return false;
    if (file_.Seek(static_cast<int64_t>(offset), platform::File::Origin::Begin) < 0)
        return false;
    return file_.Read(buffer, count) == static_cast<int64_t>(count);
}

bool ZipReader::ReadError(const std::string& what, uint64_t offset, std::string& error) {
    const int cause = file_.LastError();
    error = "cannot read " + what + " " + At(offset) + ": " +
            (cause != 0 ? platform::ErrorText(cause) : "the file ended early");
    return false;
}

bool ZipReader::FindEndRecord(uint64_t& endOffset, DirectoryPlace& place, std::string& error) {
    // The end record is the last thing in the file but for its comment of at
    // most 65535 bytes, so the search never needs more than this tail.
    const uint64_t tailLength = std::min<uint64_t>(fileSize_, kEndSize + kMaxCommentLength);
    if (tailLength < kEndSize) {
        error = "no end record: the file is too short for a ZIP archive (" +
                std::to_string(fileSize_) + " bytes)";
        return false;
    }
    const uint64_t tailStart = fileSize_ - tailLength;
    std::vector<uint8_t> tail(static_cast<size_t>(tailLength));
    if (!ReadAt(tailStart, tail.data(), tail.size()))
        return ReadError("the end of the archive", tailStart, error);

    // From the end backwards. A signature without room for the record and its
    // comment is taken for bytes of a comment or of entry data, and only
    // reported when no proper end record turns up.
    std::optional<size_t> misfit;
    for (size_t i = tail.size() - 4 + 1; i-- > 0;) {
        const uint8_t* end = tail.data() + i;
        if (LoadLE32(end) != kEndSignature)
            continue;
        if (i + kEndSize > tail.size() ||
            i + kEndSize + LoadLE16(end + kEndCommentLength) > tail.size()) {
            if (!misfit)
                misfit = i;
            continue;
        }
        endOffset = tailStart + i;
        place.disk = LoadLE16(end + kEndDisk);
        place.directoryDisk = LoadLE16(end + kEndCdDisk);
        place.countOnDisk = LoadLE16(end + kEndEntriesDisk);
        place.count = LoadLE16(end + kEndEntries);
        place.size = LoadLE32(end + kEndCdSize);
        place.offset = LoadLE32(end + kEndCdOffset);
        return true;
    }
    if (misfit) {
        error = "the end record " + At(tailStart + *misfit) +
                " or its comment runs past the end of the file: the archive is cut short";
        return false;
    }
    error = "no end record: not a ZIP archive, or cut short";
    return false;
}

bool ZipReader::ApplyZip64End(uint64_t endOffset, DirectoryPlace& place, uint64_t& directoryLimit,
                              std::string& error) {
    directoryLimit = endOffset;
    if (endOffset < kZip64LocatorSize)
        return true;
    const uint64_t locatorOffset = endOffset - kZip64LocatorSize;
    uint8_t locator[kZip64LocatorSize];
    if (!ReadAt(locatorOffset, locator, sizeof locator))
        return ReadError("the Zip64 end locator", locatorOffset, error);
    if (LoadLE32(locator) != kZip64LocatorSignature)
        return true;

    const uint64_t recordOffset = LoadLE64(locator + kLocatorEndOffset);
    if (LoadLE32(locator + kLocatorEndDisk) != 0 || LoadLE32(locator + kLocatorDisks) > 1) {
        error = "the archive is split over several disks, which is not supported";
        return false;
    }
    if (!Fits(recordOffset, kZip64EndSize, locatorOffset)) {
        error = "the Zip64 end locator " + At(locatorOffset) +
                " points outside the archive (to offset " + std::to_string(recordOffset) + ")";
        return false;
    }
    uint8_t record[kZip64EndSize];
    if (!ReadAt(recordOffset, record, sizeof record))
        return ReadError("the Zip64 end record", recordOffset, error);
    if (LoadLE32(record) != kZip64EndSignature) {
        error = "no Zip64 end record " + At(recordOffset) + " where the locator " +
                At(locatorOffset) + " points (found bytes " + HexBytes(record, 4) + ")";
        return false;
    }
    const uint64_t recordSize = LoadLE64(record + kZ64RecordSize);
    if (recordSize < kZ64MinRecordSize || !Fits(recordOffset + 12, recordSize, locatorOffset)) {
        error = "the Zip64 end record " + At(recordOffset) + " gives a wrong length (" +
                std::to_string(recordSize) + ")";
        return false;
    }
    place.disk = LoadLE32(record + kZ64Disk);
    place.directoryDisk = LoadLE32(record + kZ64CdDisk);
    place.countOnDisk = LoadLE64(record + kZ64EntriesDisk);
    place.count = LoadLE64(record + kZ64Entries);
    place.size = LoadLE64(record + kZ64CdSize);
    place.offset = LoadLE64(record + kZ64CdOffset);
    directoryLimit = recordOffset;
    return true;
}

bool ZipReader::ReadDirectory(std::vector<ZipEntry>& entries, std::string& error) {
    error.clear();
    if (!file_.IsOpen()) {
        error = "the archive is not open";
        return false;
    }
    uint64_t endOffset = 0;
    DirectoryPlace place;
    if (!FindEndRecord(endOffset, place, error))
        return false;
    uint64_t directoryLimit = 0;
    if (!ApplyZip64End(endOffset, place, directoryLimit, error))
        return false;
    if (place.disk != 0 || place.directoryDisk != 0) {
        error = "the archive is split over several disks, which is not supported";
        return false;
    }
    if (!Fits(place.offset, place.size, directoryLimit)) {
        error = "the central directory (" + std::to_string(place.size) + " bytes " +
                At(place.offset) + ") lies outside the archive, which ends its entries " +
                At(directoryLimit);
        return false;
    }
    if (place.count > place.size / kCentralSize) {
        error = "the central directory of " + std::to_string(place.size) +
                " bytes is too small for the " + std::to_string(place.count) +
                " entries the end record counts";
        return false;
    }
    // The end record must describe the directory exactly: a count or size
    // that falls short would hide entries from the test.
    if (place.countOnDisk != place.count) {
        error = "the end record counts " + std::to_string(place.countOnDisk) +
                " entries on this disk but " + std::to_string(place.count) + " in all";
        return false;
    }
    if (place.offset + place.size != directoryLimit) {
        error = "the central directory (" + std::to_string(place.size) + " bytes " +
                At(place.offset) + ") does not end where the end record begins " +
                At(directoryLimit);
        return false;
    }
    dataLimit_ = place.offset;

    const uint64_t directoryEnd = place.offset + place.size;
    uint64_t offset = place.offset;
    for (uint64_t i = 0; i < place.count; ++i) {
        ZipEntry entry;
        if (!ReadCentralRecord(offset, directoryEnd, entry, offset, error))
            return false;
        entries.push_back(std::move(entry));
    }
    if (offset != directoryEnd) {
        error = "the end record counts " + std::to_string(place.count) +
                " entries, but the central directory holds more (" +
                std::to_string(directoryEnd - offset) + " bytes after the last one counted)";
        return false;
    }
    return true;
}

bool ZipReader::ReadCentralRecord(uint64_t offset, uint64_t limit, ZipEntry& entry, uint64_t& next,
                                  std::string& error) {
    if (!Fits(offset, kCentralSize, limit)) {
        error = "the central record " + At(offset) + " runs past the end of the central directory";
        return false;
    }
    uint8_t record[kCentralSize];
    if (!ReadAt(offset, record, sizeof record))
        return ReadError("the central record", offset, error);
    if (LoadLE32(record) != kCentralSignature) {
        error = "no central record " + At(offset) + " (found bytes " + HexBytes(record, 4) + ")";
        return false;
    }
    const size_t nameLength = LoadLE16(record + kCenNameLength);
    const size_t extraLength = LoadLE16(record + kCenExtraLength);
    const size_t commentLength = LoadLE16(record + kCenCommentLength);
    const uint64_t nameOffset = offset + kCentralSize;
    if (!Fits(nameOffset, nameLength + extraLength + commentLength, limit)) {
        error = "the name, extra field and comment of the central record " + At(offset) + " (" +
                std::to_string(nameLength) + " + " + std::to_string(extraLength) + " + " +
                std::to_string(commentLength) + " bytes) run past the end of the central directory";
        return false;
    }
    entry.storedName.resize(nameLength);
    std::vector<uint8_t> extra(extraLength);
    if (!ReadAt(nameOffset, entry.storedName.data(), nameLength) ||
        !ReadAt(nameOffset + nameLength, extra.data(), extraLength))
        return ReadError("the central record", offset, error);

    entry.versionMadeBy = LoadLE16(record + kCenMadeBy);
    entry.flags = LoadLE16(record + kCenFlags);
    entry.method = LoadLE16(record + kCenMethod);
    entry.dosDateTime =
        (static_cast<uint32_t>(LoadLE16(record + kCenDate)) << 16) | LoadLE16(record + kCenTime);
    entry.crc32 = LoadLE32(record + kCenCrc);
    entry.compressedSize = LoadLE32(record + kCenCompressed);
    entry.uncompressedSize = LoadLE32(record + kCenUncompressed);
    entry.localHeaderOffset = LoadLE32(record + kCenOffset);
    entry.externalAttributes = LoadLE32(record + kCenExternal);
    std::string zip64Problem;
    if (!ApplyZip64Extra(extra, entry, zip64Problem)) {
        error = "the central record " + At(offset) + " is damaged: " + zip64Problem;
        return false;
    }
    // Flag bit 11 says the name is UTF-8; else an Info-ZIP Unicode path field
    // gives its UTF-8 form; else a Unix writer stored it in its own character
    // set, as Info-ZIP's zip does, and its bytes go back as they are; else it
    // is in the OEM code page.
    if ((entry.flags & kZipFlagUtf8Name) != 0) {
        entry.name = entry.storedName;
    } else if (auto unicode = UnicodePathFromExtra(extra, entry.storedName)) {
        entry.name = std::move(*unicode);
        entry.unicodePath = true;
    } else if (entry.MadeOnUnix()) {
        entry.name = entry.storedName;
    } else {
        entry.name = NameFromOem(entry.storedName, codePage_);
    }
    next = nameOffset + nameLength + extraLength + commentLength;
    return true;
}

bool ZipReader::Extract(const ZipEntry& entry, const Sink& sink, const std::string* password,
                        std::string& error) {
    error.clear();
    if (!file_.IsOpen()) {
        error = "the archive is not open";
        return false;
    }
    if ((entry.flags & kZipFlagStrongEncryption) != 0) {
        error = "strong encryption is not supported";
        return false;
    }
    if (entry.method != kZipMethodStored && entry.method != kZipMethodDeflated) {
        error = "unsupported method " + std::to_string(entry.method);
        return false;
    }
    uint64_t dataOffset = 0;
    if (!ReadLocalHeader(entry, dataOffset, error))
        return false;
    if (!Fits(dataOffset, entry.compressedSize, dataLimit_)) {
        error = "the data (" + std::to_string(entry.compressedSize) + " bytes from offset " +
                std::to_string(dataOffset) + ") runs into the central directory " + At(dataLimit_);
        return false;
    }
    return ExpandData(entry, dataOffset, password, sink, error);
}

bool ZipReader::ReadLocalHeader(const ZipEntry& entry, uint64_t& dataOffset, std::string& error) {
    const uint64_t headerOffset = entry.localHeaderOffset;
    if (!Fits(headerOffset, kLocalSize, dataLimit_)) {
        error = "no local header " + At(headerOffset) + ": that lies past the entries";
        return false;
    }
    uint8_t header[kLocalSize];
    if (!ReadAt(headerOffset, header, sizeof header))
        return ReadError("the local header", headerOffset, error);
    if (LoadLE32(header) != kLocalSignature) {
        error =
            "no local header " + At(headerOffset) + " (found bytes " + HexBytes(header, 4) + ")";
        return false;
    }
    // The local name and extra field may differ in length from the central ones.
    const size_t nameLength = LoadLE16(header + kLocNameLength);
    const size_t extraLength = LoadLE16(header + kLocExtraLength);
    const uint64_t nameOffset = headerOffset + kLocalSize;
    if (!Fits(nameOffset, nameLength + extraLength, dataLimit_)) {
        error = "the name and extra field of the local header " + At(headerOffset) +
                " run into the central directory " + At(dataLimit_);
        return false;
    }
    std::string localName(nameLength, '\0');
    std::vector<uint8_t> localExtra(extraLength);
    if (!ReadAt(nameOffset, localName.data(), nameLength) ||
        !ReadAt(nameOffset + nameLength, localExtra.data(), extraLength))
        return ReadError("the local header", headerOffset, error);
    if (localName != entry.storedName) {
        // Only a Unicode path field lets the bytes differ, and then both sides
        // must still name the same UTF-8 name.
        bool localUnicode = false;
        const std::string localUtf8 = Utf8Side(localName, localExtra, localUnicode);
        const std::string centralUtf8 = entry.unicodePath ? entry.name : entry.storedName;
        if (!(localUnicode || entry.unicodePath) || localUtf8 != centralUtf8) {
            error = "the local header " + At(headerOffset) + " names it " + ShownName(localName) +
                    ", the central directory " + ShownName(entry.storedName) +
                    ": a damaged or crafted archive";
            return false;
        }
    }
    dataOffset = nameOffset + nameLength + extraLength;
    return true;
}

bool ZipReader::ExpandData(const ZipEntry& entry, uint64_t dataOffset, const std::string* password,
                           const Sink& sink, std::string& error) {
    uint64_t offset = dataOffset;
    uint64_t remaining = entry.compressedSize;
    std::optional<TraditionalDecipher> decipher;
    if (entry.Encrypted()) {
        if (password == nullptr) {
            error = "encrypted: give --password-file";
            return false;
        }
        if (remaining < kEncryptionHeaderSize) {
            error = "the encryption header is cut short (" + std::to_string(remaining) +
                    " of 12 bytes)";
            return false;
        }
        uint8_t cipherHeader[kEncryptionHeaderSize];
        if (!ReadAt(offset, cipherHeader, sizeof cipherHeader))
            return ReadError("the encryption header", offset, error);
        decipher.emplace(*password);
        decipher->Decrypt(cipherHeader, sizeof cipherHeader);
        // A writer that sets bit 3 did not know the CRC before the data and
        // checks with the high byte of the DOS time instead.
        const uint8_t check = (entry.flags & kZipFlagDataDescriptor) != 0
                                  ? static_cast<uint8_t>(entry.dosDateTime >> 8)
                                  : static_cast<uint8_t>(entry.crc32 >> 24);
        if (cipherHeader[kEncryptionHeaderSize - 1] != check) {
            error = "wrong password";
            return false;
        }
        offset += kEncryptionHeaderSize;
        remaining -= kEncryptionHeaderSize;
    }
    if (entry.method == kZipMethodStored && remaining != entry.uncompressedSize) {
        error = "size mismatch: " + std::to_string(remaining) + " stored bytes, header says " +
                std::to_string(entry.uncompressedSize);
        return false;
    }

    uint64_t size = 0;
    uint32_t crc = crc32(0L, Z_NULL, 0);
    auto deliver = [&](const uint8_t* data, size_t length) {
        if (length == 0)
            return;
        crc = crc32(crc, data, static_cast<uInt>(length));
        size += length;
        if (sink)
            sink(data, length);
    };
    // Reads and deciphers the next piece of the entry's data.
    auto readPiece = [&](uint8_t* buffer, size_t length) {
        if (!ReadAt(offset, buffer, length))
            return ReadError("the entry data", offset, error);
        if (decipher)
            decipher->Decrypt(buffer, length);
        offset += length;
        remaining -= length;
        return true;
    };

    if (entry.method == kZipMethodStored) {
        std::vector<uint8_t> input(kPieceSize);
        while (remaining > 0) {
            const size_t length = static_cast<size_t>(std::min<uint64_t>(remaining, kPieceSize));
            if (!readPiece(input.data(), length))
                return false;
            deliver(input.data(), length);
        }
    } else if (!InflateRaw(remaining, entry.uncompressedSize, readPiece, deliver, error)) {
        return false;
    }

    if (size != entry.uncompressedSize) {
        error = "size mismatch: expanded to " + std::to_string(size) + " bytes, header says " +
                std::to_string(entry.uncompressedSize);
        return false;
    }
    if (crc != entry.crc32) {
        error = "CRC-32 mismatch: computed " + Hex32(crc) + ", header says " + Hex32(entry.crc32);
        return false;
    }
    return true;
}

} // namespace tolvane::archive
