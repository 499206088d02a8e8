#include "BhWriter.h"

#include "BhReader.h"

#include "archive/framework/ByteOrder.h"
#include "platform/FileSystem.h"

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

TBhWriter::TBhWriter() : TCompBase(atBh, ".BH") {}

bool TBhWriter::AcceptsCompressMethod(TCompressMethod method) const {
    return method == cmDeflate || method == cmFuse;
}

TEncryptionMethod TBhWriter::ItemEncryption() const {
    return CompressMethod() == cmFuse && !Password.empty() ? emZIP_v2 : emNone;
}

std::unique_ptr<EntryCipher> TBhWriter::MakeEntryCipher() const {
    return std::make_unique<ZipCipher>();
}

bool TBhWriter::KeptEntryEncrypted(const HeaderItem& item) const {
    return item.header.size() >= kHeaderSize && (item.header[kOffFlags] & kFlagEncrypted) != 0;
}

bool TBhWriter::TestOutput(const std::string& path, std::string& problem) {
    BhReader reader(path, CodePage());
    if (!reader.IsOpen()) {
        problem = platform::ErrorText(reader.OpenError());
        return false;
    }
    const std::string* password = Password.empty() ? nullptr : &Password;
    while (auto entry = reader.Next()) {
        PumpMessages();
        if (Cancelled())
            return true; // the run ends as cancelled, not as damaged
        std::string error;
        if (!reader.Extract(*entry, nullptr, password, error)) {
            problem = entry->name + ": " + error;
            return false;
        }
    }
    if (reader.ChainBroken()) {
        problem = reader.BreakReason();
        return false;
    }
    return true;
}

void TBhWriter::InitLocalHeader(HeaderItem&) {
    header_.fill(0);
    uint8_t* h = header_.data();
    StoreLE32(h + kOffSignature, kSignature);
    h[kOffFixedSize] = static_cast<uint8_t>(GetHeadSize());
    h[kOffVersion] = kVersion;
    h[kOffVersion2] = 0;
    StoreLE32(h + kOffDateTime, EntryDateTime());
    StoreLE16(h + kOffAttributes, run_.entry.attributes & 0xFFFFu);
    StoreLE32(h + kOffUncompressed, static_cast<uint32_t>(run_.entry.uncompressedSize));
    StoreLE16(h + kOffExtraLength, 0);
    h[kOffMethod] = kMethodDeflated;
}

void TBhWriter::AddEntry(TStream32& output, size_t index, bool& ok, TCompHeaderObj& list) {
    InitLocalHeader(list[index]);
    TCompBase::AddEntry(output, index, ok, list);
}

void TBhWriter::FinishLocalHeader(uint64_t uncompressed, uint64_t compressed) {
    if (uncompressed == 0 && run_.entryCrc == kCrc32Start)
        run_.entryCrc = 0;
    uint8_t* h = header_.data();
    const auto nameLength = static_cast<uint32_t>(run_.entryStoredBytes.size());
    StoreLE16(h + kOffNameLength, nameLength);
    StoreLE32(h + kOffUncompressed, static_cast<uint32_t>(uncompressed));
    StoreLE16(h + kOffExtraLength, 0);
    StoreLE32(h + kOffCrc, run_.entryCrc);
    if (run_.encrypted)
        h[kOffFlags] |= kFlagEncrypted;
    StoreLE16(h + kOffHeaderLength, static_cast<uint32_t>(kHeaderSize) + nameLength);
    switch (run_.methodUsed) {
    case 0:
        h[kOffMethod] = kMethodStored;
        break;
    case 8:
        h[kOffMethod] = kMethodDeflated;
        h[kOffFlags] |= LevelFlags(DeflateType);
        break;
    case 3:
        h[kOffMethod] = kMethodFuse;
        // The length counts the encryption header, as for every entry.
        if (run_.encrypted)
            h[kOffFlags] |= LevelFlags(DeflateType);
        break;
    default:
        break;
    }
    StoreLE32(h + kOffCompressed, static_cast<uint32_t>(compressed));
}

void TBhWriter::BuildCentralRecord(size_t index, TCompHeaderObj& list) {
    list[index].header.assign(header_.begin(), header_.end());
}

void TBhWriter::StoreEntryInfo(HeaderItem& item, const EntryInfo& info) {
    HeaderRecord& record = item.header;
    record.resize(kHeaderSize);
    StoreLE32(record.data() + kOffDateTime, info.dosDateTime);
    StoreLE32(record.data() + kOffUncompressed, static_cast<uint32_t>(info.uncompressedSize));
    StoreLE32(record.data() + kOffCompressed, static_cast<uint32_t>(info.compressedSize));
    StoreLE16(record.data() + kOffAttributes, info.attributes & 0xFFFFu);
}

void TBhWriter::FillEntryInfo(std::span<const uint8_t> record, const HeaderItem&, EntryInfo& info) {
    info.uncompressedSize = LoadLE32(record.data() + kOffUncompressed);
    info.compressedSize = LoadLE32(record.data() + kOffCompressed);
    info.dosDateTime = LoadLE32(record.data() + kOffDateTime);
    info.attributes = LoadLE16(record.data() + kOffAttributes);
}

uint64_t TBhWriter::MeasureEntry(TStream32&, HeaderItem& item) {
    return EntryLength(item.header);
}

uint64_t TBhWriter::EntryLength(std::span<const uint8_t> record) {
    // The same length the directory reading steps over, so a kept entry is
    // copied exactly up to the next header even if it carries extra bytes.
    return kHeaderSize + LoadLE16(record.data() + kOffNameLength) +
           LoadLE16(record.data() + kOffExtraLength) + LoadLE32(record.data() + kOffCompressed);
}

void TBhWriter::EntryDone() {
    if (OnEnd)
        OnEnd(*this, run_.entryName, run_.entryCrc == LoadLE32(header_.data() + kOffCrc));
}

bool TBhWriter::WriteCentralDirectory(TStream32&, TCompHeaderObj&) {
    return false;
}

bool TBhWriter::ReadHeaderAt(TStream32& stream, int64_t position, std::vector<uint8_t>& record,
                             std::string& name, int64_t& next) {
    record.assign(kHeaderSize, 0);
    if (stream.Seek(position, SeekOrigin::Begin) != position)
        return false;
    if (stream.Read(record.data(), kHeaderSize) != static_cast<int64_t>(kHeaderSize))
        return false;
    if (LoadLE32(record.data() + kOffSignature) != kSignature)
        return false;
    const uint16_t nameLength = LoadLE16(record.data() + kOffNameLength);
    if (nameLength < 1)
        return false;
    std::string stored(nameLength, '\0');
    if (stream.Read(stored.data(), nameLength) != nameLength)
        return false;
    name = TranslateOemChar ? CodePage().ToAnsi(stored) : stored;
    storedBytes_ = std::move(stored);
    // Extra bytes sit between the name and the data and are not counted in the
    // compressed length, as the reader takes them.
    next = position + static_cast<int64_t>(EntryLength(record));
    return true;
}

void TBhWriter::ReadArchiveDirectory(TStream32& archive, TCompHeaderObj& list) {
    const int64_t size = archive.Size();
    int64_t position = archive.Position();
    std::vector<uint8_t> record;
    std::string name;
    int64_t next = 0;
    while (position < size && ReadHeaderAt(archive, position, record, name, next)) {
        HeaderItem item;
        item.SetPath(name);
        item.info.offset = position;
        if (storedBytes_ != name)
            item.info.Bytes().storedName = storedBytes_;
        item.header.assign(record.begin(), record.end());
        if (Switch == swDelete && SelectedForRemoval(name)) {
            item.info.status = EntryStatus::Drop;
            ++run_.removeMarked;
        } else {
            item.info.status = EntryStatus::Keep;
            run_.total += static_cast<int64_t>(EntryLength(record));
        }
        list.Add(std::move(item));
        position = next;
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

void TBhWriter::CopyEntryNewName(TStream32& oldArchive, TStream32& output, TCompHeaderObj& list,
                                 size_t index) {
    HeaderItem& item = list[index];
    std::array<uint8_t, kHeaderSize> old{};
    const int64_t start = oldArchive.Position();
    if (oldArchive.Read(old.data(), kHeaderSize) != static_cast<int64_t>(kHeaderSize))
        RaiseError(item.Path(), "", runArchive_, kErrWritingFile);
    const uint16_t oldNameLength = LoadLE16(old.data() + kOffNameLength);
    oldArchive.SetPosition(start + static_cast<int64_t>(kHeaderSize) + oldNameLength);

    bool utf8 = false;
    const std::string name = EncodeStoredName(run_.entryName, utf8);
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

void TBhWriter::AfterUpdate(TCompHeaderObj& list) {
    if (!OnRead)
        return;
    for (size_t i = 0; i < list.Count(); ++i) {
        const HeaderItem& item = list[i];
        if (item.info.status != EntryStatus::Compress)
            continue;
        FillEntryInfo(item.header, item, run_.entry);
        run_.entryName = item.Path();
        OnRead(*this, item.info.offset, static_cast<int32_t>(i));
    }
}

} // namespace tolvane::archive
