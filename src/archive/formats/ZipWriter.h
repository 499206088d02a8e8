// TZipBase writes PKZIP archives: local headers rewritten in place after the
// data (no data descriptors), a central directory and an end record, Zip64
// records only where sizes, offsets or counts need them, and optional
// traditional encryption.
#pragma once

#include "ZipCipher.h"
#include "ZipRecords.h"

#include "archive/writer/CustomCClass.h"

#include <optional>
#include <string>
#include <vector>

namespace tolvane::archive {

class TZipBase : public TCompBase {
public:
    TZipBase();

    TEncryptionMethod EncryptionMethod = emNone;
    bool EncryptHeaders = false;       // not provided; kept for hosts that set it
    int32_t LeaveSpaceOnFirstDisk = 0; // disk spanning is not provided

protected:
    TEncryptionMethod ItemEncryption() const override;
    std::vector<uint8_t> EncodeLocalHeader(const EntryContext& entry) const override;
    void EncodeCentralRecord(const EntryContext& entry, HeaderItem& item) const override;
    void ReadDirectory(TStream32& archive, TCompHeaderObj& list) override;
    uint64_t KeptEntryLength(TStream32& oldArchive, const HeaderItem& item) override;
    void CopyRenamed(TStream32& oldArchive, TStream32& output, HeaderItem& item) override;
    void WriteDirectory(TStream32& output, const TCompHeaderObj& list) override;
    platform::Expected<void> TestOutput(const std::string& path) override;
    std::unique_ptr<EntryCipher> MakeEntryCipher() const override;

private:
    // Whole central directory of an existing archive, found through its end record.
    bool ReadCentralDirectory(TStream32& archive, int64_t size, TCompHeaderObj& list);
    // No end record: entries read from their local headers, as far as they are whole.
    void ReadFromLocalHeaders(TStream32& archive, int64_t size, TCompHeaderObj& list);
    [[noreturn]] void Refuse(const std::string& why);
    // Adds an entry of the old archive (central record in `item.header`).
    void AddKeptEntry(HeaderItem item, const std::string& name, uint16_t flags, int64_t offset,
                      uint64_t uncompressed, uint64_t compressed, std::vector<uint8_t> extra,
                      TCompHeaderObj& list);
    std::string FromStoredName(const std::string& stored, bool utf8) const;
    // Bytes after the data of an entry with a data descriptor.
    uint64_t DescriptorLength(TStream32& archive, int64_t dataEnd, bool zip64);

    std::vector<uint8_t> archiveComment_; // of the old archive, kept in the new one
};

class TZip : public TZipBase {
public:
    using TZipBase::TZipBase;
};

} // namespace tolvane::archive
