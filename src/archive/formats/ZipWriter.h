// TZipBase writes PKZIP archives: local headers rewritten in place after the
// data (no data descriptors), a central directory and an end record, Zip64
// records only where sizes, offsets or counts need them, and optional
// traditional encryption.
#pragma once

#include "ZipCipher.h"
#include "ZipRecords.h"

#include "archive/writer/CustomCClass.h"

#include <array>
#include <vector>

namespace tolvane::archive {

class TZipBase : public TCompBase {
public:
    TZipBase();

    TEncryptionMethod EncryptionMethod = emNone;
    bool EncryptHeaders = false;       // not provided; kept for hosts that set it
    int32_t LeaveSpaceOnFirstDisk = 0; // disk spanning is not provided

protected:
    bool AcceptsCompressMethod(TCompressMethod method) const override;
    TEncryptionMethod ItemEncryption() const override;
    void CopyEntryNewName(TStream32& oldArchive, TStream32& output, TCompHeaderObj& list,
                          size_t index) override;
    void BuildCentralRecord(size_t index, TCompHeaderObj& list) override;
    void InitLocalHeader(HeaderItem& item) override;
    void AddEntry(TStream32& output, size_t index, bool& ok, TCompHeaderObj& list) override;
    void FinishLocalHeader(uint64_t uncompressed, uint64_t compressed) override;
    void StoreEntryInfo(HeaderItem& item, const EntryInfo& info) override;
    void EntryDone() override;
    size_t GetHeadSize() const override { return zip::kCentralSize; }
    size_t LocalHeaderSize() const override { return zip::kLocalSize; }
    uint8_t* GetHeadPtr() override { return local_.data(); }
    void WriteSizeExtra(TStream32& output, const HeaderItem& item) override;
    void AfterEntryHeader(TStream32& output) override;
    void ReadArchiveDirectory(TStream32& archive, TCompHeaderObj& list) override;
    void AfterUpdate(TCompHeaderObj& list) override;
    bool WriteCentralDirectory(TStream32& output, TCompHeaderObj& list) override;
    void FillEntryInfo(std::span<const uint8_t> record, const HeaderItem& item,
                       EntryInfo& info) override;
    uint64_t MeasureEntry(TStream32& oldArchive, HeaderItem& item) override;
    bool KeptEntryEncrypted(const HeaderItem& item) const override;
    bool TestOutput(const std::string& path, std::string& problem) override;
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
    // In swDelete, entries that FileSpec selects are dropped.
    void MarkForRemoval(HeaderItem& item);
    std::string FromStoredName(const std::string& stored, bool utf8) const;
    // Bytes after the data of an entry with a data descriptor.
    uint64_t DescriptorLength(TStream32& archive, int64_t dataEnd, bool zip64);

    // The current entry's Unicode path field (empty for none), the same in the
    // local header and in the central record.
    const std::vector<uint8_t>& NameField();

    std::array<uint8_t, zip::kLocalSize> local_{};
    bool zip64Local_ = false;
    bool extraDecided_ = false;
    std::vector<uint8_t> nameField_;
    bool nameFieldDecided_ = false;
    uint64_t finalUncompressed_ = 0;
    uint64_t finalCompressed_ = 0;
    std::vector<uint8_t> archiveComment_;
};

class TZip : public TZipBase {
public:
    using TZipBase::TZipBase;
};

} // namespace tolvane::archive
