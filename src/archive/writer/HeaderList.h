// TCompHeaderObj: the work list of one writer run, one item per entry of the
// old archive or file to add, in archive order.
#pragma once

#include "WriterTypes.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace tolvane::archive {

struct TCompFileInfo {
    EntryStatus status = EntryStatus::Compress;
    int64_t offset = 0; // of the entry in the old archive, or in the output once written
    TEncryptionMethod encryption = emNone;
    std::vector<uint8_t> extraField;
    std::vector<uint8_t> comment;
    // Full sizes, for formats whose header record holds only their low bits.
    uint64_t uncompressedSize = 0;
    uint64_t compressedSize = 0;
    // The name's bytes as they stand in the archive, and whether they are
    // UTF-8 kept because the OEM code page could not hold them.
    std::string storedName;
    bool utf8Name = false;
};

struct HeaderItem {
    // Stored name for an entry of the old archive; full source path for a file to add.
    std::string path;
    // The entry's stored name in list form, by which the list finds it; taken
    // from `path` when it is added empty (entries of the old archive).
    std::string name;
    // A scanned file of this run has claimed this entry of the old archive,
    // so that no second file of the same name is taken for it.
    bool claimed = false;
    size_t rootLength = 0; // length of the scan root at the start of `path`
    TCompFileInfo info;
    std::vector<uint8_t> header; // the format's kept header record
};

class TCompHeaderObj {
public:
    // Appends an item; returns its index.
    size_t Add(HeaderItem item);
    // Index of the first item whose name equals `name` ignoring ASCII case,
    // or -1. Items are found by the name they were added or renamed with.
    std::ptrdiff_t IndexOf(std::string_view name) const;
    // Every item whose name equals `name` ignoring ASCII case, in list order.
    std::vector<size_t> Matches(std::string_view name) const;
    // Gives item `index` a new name (and path); lookups of the old name then
    // find the other items that carry it.
    void Rename(size_t index, std::string newName);

    size_t Count() const { return items_.size(); }
    HeaderItem& operator[](size_t i) { return items_[i]; }
    const HeaderItem& operator[](size_t i) const { return items_[i]; }
    auto begin() { return items_.begin(); }
    auto end() { return items_.end(); }
    auto begin() const { return items_.begin(); }
    auto end() const { return items_.end(); }
    void Clear();

private:
    static std::string Key(std::string_view name);

    std::vector<HeaderItem> items_;
    // The items of each upper-cased name, in list order: lookups stay fast on
    // large folders.
    std::unordered_map<std::string, std::vector<size_t>> index_;
};

} // namespace tolvane::archive
