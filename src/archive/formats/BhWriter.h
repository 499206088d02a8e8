// TBhWriter writes BH archives: a plain sequence of entries, each a 37-byte
// header, the stored name and the data, with no directory and no end record.
#pragma once

#include "BhHeader.h"
#include "ZipCipher.h"

#include "archive/writer/CustomCClass.h"

#include <array>
#include <memory>

namespace tolvane::archive {

class TBhWriter : public TCompBase {
public:
    TBhWriter();

protected:
    bool AcceptsCompressMethod(TCompressMethod method) const override;
    void CopyEntryNewName(TStream32& oldArchive, TStream32& output, TCompHeaderObj& list,
                          size_t index) override;
    void BuildCentralRecord(size_t index, TCompHeaderObj& list) override;
    void InitLocalHeader(HeaderItem& item) override;
    void AddEntry(TStream32& output, size_t index, bool& ok, TCompHeaderObj& list) override;
    void FinishLocalHeader(uint64_t uncompressed, uint64_t compressed) override;
    void StoreEntryInfo(HeaderItem& item, const EntryInfo& info) override;
    void EntryDone() override;
    size_t GetHeadSize() const override { return bh::kHeaderSize; }
    size_t LocalHeaderSize() const override { return bh::kHeaderSize; }
    uint8_t* GetHeadPtr() override { return header_.data(); }
    void ReadArchiveDirectory(TStream32& archive, TCompHeaderObj& list) override;
    void AfterUpdate(TCompHeaderObj& list) override;
    bool WriteCentralDirectory(TStream32& output, TCompHeaderObj& list) override;
    void FillEntryInfo(std::span<const uint8_t> record, const HeaderItem& item,
                       EntryInfo& info) override;
    uint64_t MeasureEntry(TStream32& oldArchive, HeaderItem& item) override;
    uint64_t MaxEntrySize() const override { return bh::kMaxEntrySize; }
    // Only the Fuse route enciphers, when Password is set.
    TEncryptionMethod ItemEncryption() const override;
    bool KeptEntryEncrypted(const HeaderItem& item) const override;
    bool TestOutput(const std::string& path, std::string& problem) override;
    std::unique_ptr<EntryCipher> MakeEntryCipher() const override;

    // Reads the header at `position`; on success fills `record` and `name`
    // (back in list form) and returns the position of the next header.
    bool ReadHeaderAt(TStream32& stream, int64_t position, std::vector<uint8_t>& record,
                      std::string& name, int64_t& next);

private:
    static uint64_t EntryLength(std::span<const uint8_t> record);
    std::array<uint8_t, bh::kHeaderSize> header_{};
    std::string storedBytes_; // the name bytes of the header ReadHeaderAt read last
};

} // namespace tolvane::archive
