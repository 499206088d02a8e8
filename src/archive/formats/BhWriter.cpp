#include "BhWriter.h"

#include "BhReader.h"

#include "archive/framework/ByteOrder.h"
#include "platform/FileSystem.h"

#include <algorithm>
#include <string>

namespace tolvane::archive {

using namespace bh;

namespace {

// Level bits of a deflated entry's flags.
uint8_t LevelFlags(TDeflateType type) {
    switch (type) {
    case dtDeflateF:
        return 4;
    case dtDeflateX:
        return 2;
    case dtDeflateS:
    case dtDeflateN:
        return 0;
    }
    return 0;
}

} // namespace

TBhWriter::TBhWriter()
    : TCompBase({atBh, ".BH", (1u << cmDeflate) | (1u << cmFuse), kMaxEntrySize}) {}

TEncryptionMethod TBhWriter::ItemEncryption() const {
    return CompressMethod() == cmFuse && !Password.empty() ? emZIP_v2 : emNone;
}

std::unique_ptr<EntryCipher> TBhWriter::MakeEntryCipher() const {
    return std::make_unique<ZipCipher>();
}

platform::Expected<void> TBhWriter::TestOutput(const std::string& path) {
    BhReader reader(path, CodePage());
    if (!reader.IsOpen())
        return platform::Unexpected{platform::Failure("", platform::ErrorText(reader.OpenError()))};
    const std::string* password = Password.empty() ? nullptr : &Password;
    while (auto entry = reader.Next()) {
        PumpMessages();
        if (Cancelled())
            return {}; // the run ends as cancelled, not as damaged
        std::string error;
        if (!reader.Extract(*entry, nullptr, password, error))
            return platform::Unexpected{platform::Failure(entry->name, error)};
    }
    if (reader.ChainBroken())
        return platform::Unexpected{platform::Failure("", reader.BreakReason())};
    return {};
}

std::vector<uint8_t> TBhWriter::EncodeLocalHeader(const EntryContext& entry) const {
    const auto nameLength = static_cast<uint32_t>(entry.storedBytes.size());
    std::vector<uint8_t> bytes(kHeaderSize + nameLength);
    uint8_t* h = bytes.data();
    StoreLE32(h + kOffSignature, kSignature);
    h[kOffFixedSize] = static_cast<uint8_t>(kHeaderSize);
    h[kOffVersion] = kVersion;
    h[kOffVersion2] = 0;
    StoreLE32(h + kOffDateTime, entry.dosDateTime);
    StoreLE16(h + kOffAttributes, entry.attributes & 0xFFFFu);
    StoreLE32(h + kOffUncompressed, static_cast<uint32_t>(entry.size));
    StoreLE16(h + kOffExtraLength, 0);
    StoreLE16(h + kOffNameLength, nameLength);
    StoreLE32(h + kOffCrc, entry.crc);
    if (entry.encrypted)
        h[kOffFlags] |= kFlagEncrypted;
    StoreLE16(h + kOffHeaderLength, static_cast<uint32_t>(kHeaderSize) + nameLength);
    switch (entry.stage) {
    case CodingStage::Store:
        h[kOffMethod] = kMethodStored;
        break;
    case CodingStage::Deflate:
        h[kOffMethod] = kMethodDeflated;
        h[kOffFlags] |= LevelFlags(entry.level);
        break;
    case CodingStage::Fuse:
        h[kOffMethod] = kMethodFuse;
        if (entry.encrypted)
            h[kOffFlags] |= LevelFlags(entry.level);
        break;
    }
    StoreLE32(h + kOffCompressed, static_cast<uint32_t>(entry.codedSize));
    std::copy(entry.storedBytes.begin(), entry.storedBytes.end(), h + kHeaderSize);
    return bytes;
}

void TBhWriter::EncodeCentralRecord(const EntryContext& entry, HeaderItem& item) const {
    // The header is the only record of an entry.
    const std::vector<uint8_t> header = EncodeLocalHeader(entry);
    item.header.assign(header.begin(), header.begin() + kHeaderSize);
}

uint64_t TBhWriter::KeptEntryLength(TStream32&, const HeaderItem& item) {
    return EntryLength(item.header);
}

uint64_t TBhWriter::EntryLength(std::span<const uint8_t> record) {
    // The same length the directory reading steps over, so a kept entry is
    // copied exactly up to the next header even if it carries extra bytes.
    return kHeaderSize + LoadLE16(record.data() + kOffNameLength) +
           LoadLE16(record.data() + kOffExtraLength) + LoadLE32(record.data() + kOffCompressed);
}

std::optional<TBhWriter::StoredHeader> TBhWriter::ReadHeaderAt(TStream32& stream,
                                                               int64_t position) {
    StoredHeader header;
    uint8_t* record = header.record.data();
    if (stream.Seek(position, SeekOrigin::Begin) != position ||
        stream.Read(record, kHeaderSize) != static_cast<int64_t>(kHeaderSize) ||
        LoadLE32(record + kOffSignature) != kSignature)
        return std::nullopt;
    const uint16_t nameLength = LoadLE16(record + kOffNameLength);
    if (nameLength < 1)
        return std::nullopt;
    header.storedBytes.assign(nameLength, '\0');
    if (stream.Read(header.storedBytes.data(), nameLength) != nameLength)
        return std::nullopt;
    // Extra bytes sit between the name and the data and are not counted in the
    // compressed length, as the reader takes them.
    header.next = position + static_cast<int64_t>(EntryLength(header.record));
    return header;
}

void TBhWriter::ReadDirectory(TStream32& archive, TCompHeaderObj& list) {
    const int64_t size = archive.Size();
    int64_t position = archive.Position();
    while (position < size) {
        const std::optional<StoredHeader> header = ReadHeaderAt(archive, position);
        if (!header)
            break;
        const uint8_t* record = header->record.data();
        const std::string name =
            TranslateOemChar ? CodePage().ToAnsi(header->storedBytes) : header->storedBytes;
        HeaderItem item;
        item.SetPath(name);
        item.info.status = EntryStatus::Keep;
        item.info.offset = position;
        if (header->storedBytes != name)
            item.info.Bytes().storedName = header->storedBytes;
        item.info.uncompressedSize = LoadLE32(record + kOffUncompressed);
        item.info.compressedSize = LoadLE32(record + kOffCompressed);
        item.info.dosDateTime = LoadLE32(record + kOffDateTime);
        item.info.attributes = LoadLE16(record + kOffAttributes);
        item.info.encryption = (record[kOffFlags] & kFlagEncrypted) ? emZIP_v2 : emNone;
        item.header.assign(header->record.begin(), header->record.end());
        list.Add(std::move(item));
        position = header->next;
    }
    if (position != size) {
        // Writing the new archive from the entries before the break would lose
        // the ones after it: leave the archive as it is.
        RaiseError(runArchive_,
                   "the chain of entries breaks at offset " + std::to_string(position) + " of " +
                       std::to_string(size) + " bytes; the archive is left unchanged",
                   runArchive_, kErrUnsupportedOperation);
    }
}

void TBhWriter::CopyRenamed(TStream32& oldArchive, TStream32& output, HeaderItem& item) {
    std::array<uint8_t, kHeaderSize> old{};
    const int64_t start = oldArchive.Position();
    if (oldArchive.Read(old.data(), kHeaderSize) != static_cast<int64_t>(kHeaderSize))
        RaiseError(item.Path(), "", runArchive_, kErrWritingFile);
    const uint16_t oldNameLength = LoadLE16(old.data() + kOffNameLength);
    oldArchive.SetPosition(start + static_cast<int64_t>(kHeaderSize) + oldNameLength);

    bool utf8 = false;
    const std::string name = EncodeStoredName(item.Path(), utf8);
    StoreLE16(old.data() + kOffNameLength, static_cast<uint32_t>(name.size()));
    StoreLE16(
        old.data() + kOffHeaderLength,
        static_cast<uint32_t>(kHeaderSize + name.size() + LoadLE16(old.data() + kOffExtraLength)));
    output.WriteBuffer(old.data(), kHeaderSize);
    output.WriteBuffer(name.data(), static_cast<int64_t>(name.size()));
    const int64_t length =
        LoadLE16(old.data() + kOffExtraLength) + int64_t{LoadLE32(old.data() + kOffCompressed)};
    if (length > 0 && output.CopyFrom(oldArchive, length) != length && !Cancelled())
        RaiseError(item.Path(), "", runArchive_, kErrWritingFile);
    item.header.assign(old.begin(), old.end());
}

} // namespace tolvane::archive
