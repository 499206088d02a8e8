// TBhWriter writes BH archives: a plain sequence of entries, each a 37-byte
// header, the stored name and the data, with no directory and no end record.
#pragma once

#include "BhHeader.h"
#include "ZipCipher.h"

#include "archive/writer/CustomCClass.h"

#include <array>
#include <memory>
#include <optional>
#include <span>
#include <string>

namespace tolvane::archive {

class TBhWriter : public TCompBase {
public:
    TBhWriter();

protected:
    // Only the Fuse route enciphers, when Password is set.
    TEncryptionMethod ItemEncryption() const override;
    std::vector<uint8_t> EncodeLocalHeader(const EntryContext& entry) const override;
    void EncodeCentralRecord(const EntryContext& entry, HeaderItem& item) const override;
    void ReadDirectory(TStream32& archive, TCompHeaderObj& list) override;
    uint64_t KeptEntryLength(TStream32& oldArchive, const HeaderItem& item) override;
    void CopyRenamed(TStream32& oldArchive, TStream32& output, HeaderItem& item) override;
    // A BH archive ends with its last entry.
    void WriteDirectory(TStream32&, const TCompHeaderObj&) override {}
    platform::Expected<void> TestOutput(const std::string& path) override;
    std::unique_ptr<EntryCipher> MakeEntryCipher() const override;

private:
    struct StoredHeader {
        std::array<uint8_t, bh::kHeaderSize> record{};
        std::string storedBytes;
        int64_t next = 0; // where the next header begins
    };
    // The header at `position`, if a whole one stands there.
    std::optional<StoredHeader> ReadHeaderAt(TStream32& stream, int64_t position);
    static uint64_t EntryLength(std::span<const uint8_t> record);
};

} // namespace tolvane::archive
