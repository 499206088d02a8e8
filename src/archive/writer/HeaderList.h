// TCompHeaderObj: the work list of one writer run, one item per entry of the
// old archive or file to add, in archive order. A run may list hundreds of
// thousands of files, so an item is kept small: its name is held as the tail
// of its path where it is one, and the name lookup is a table of indices.
#pragma once

#include "HeaderRecord.h"
#include "WriterTypes.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace tolvane::archive {

// The bytes of an entry that a format copies from an old archive or keeps
// once written: held apart, as most entries of a run never need them.
struct TCompFileBytes {
    std::vector<uint8_t> extraField;
    std::vector<uint8_t> comment;
    // The name's bytes as they stand in the archive.
    std::string storedName;
};

struct TCompFileInfo {
    TCompFileInfo() = default;
    TCompFileInfo(const TCompFileInfo& other);
    TCompFileInfo& operator=(const TCompFileInfo& other);
    TCompFileInfo(TCompFileInfo&&) noexcept = default;
    TCompFileInfo& operator=(TCompFileInfo&&) noexcept = default;

    const std::vector<uint8_t>& ExtraField() const;
    const std::vector<uint8_t>& Comment() const;
    const std::string& StoredName() const;
    // The entry's own bytes, made empty when it has none yet.
    TCompFileBytes& Bytes();

    int64_t offset = 0; // of the entry in the old archive, or in the output once written
    // Full sizes, for formats whose header record holds only their low bits.
    uint64_t uncompressedSize = 0;
    uint64_t compressedSize = 0;
    uint32_t dosDateTime = 0;
    uint32_t attributes = 0; // DOS attributes, with the system's own where it has them
    EntryStatus status = EntryStatus::Compress;
    TEncryptionMethod encryption = emNone;
    // The stored name is UTF-8 kept because the OEM code page could not hold it.
    bool utf8Name = false;

private:
    std::unique_ptr<TCompFileBytes> bytes_;
};

class HeaderItem {
public:
    HeaderItem() = default;
    HeaderItem(const HeaderItem& other);
    HeaderItem& operator=(const HeaderItem& other);
    HeaderItem(HeaderItem&&) noexcept = default;
    HeaderItem& operator=(HeaderItem&&) noexcept = default;

    // Stored name for an entry of the old archive; full source path for a file to add.
    const std::string& Path() const { return path_; }
    // The entry's stored name in list form, by which the list finds it: the
    // path itself unless it was given one of its own.
    std::string_view Name() const;
    // Gives the item a new path; its name stays what it was (the path, for
    // an item that had none).
    void SetPath(std::string path);
    // Gives the item a name of its own. An item in a list is renamed through
    // the list, which finds it by its name.
    void SetName(std::string_view name);
    // The name's bytes as they stand in the archive. A format keeps them apart
    // only where they differ from the list name, which saves a copy of every
    // name in a run of a large archive.
    std::string_view StoredBytes() const {
        return info.StoredName().empty() ? Name() : std::string_view(info.StoredName());
    }

    // A scanned file of this run has claimed this entry of the old archive,
    // so that no second file of the same name is taken for it.
    bool claimed = false;
    uint32_t rootLength = 0; // length of the scan root at the start of the path
    TCompFileInfo info;
    HeaderRecord header; // the format's kept header record

private:
    void PlaceName(std::string_view name);

    std::string path_;
    // The name starts here in the path, unless it is no tail of the path.
    uint32_t nameAt_ = 0;
    std::unique_ptr<std::string> ownName_;
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

    size_t Count() const { return count_; }
    HeaderItem& operator[](size_t i) { return chunks_[i / kChunk][i % kChunk]; }
    const HeaderItem& operator[](size_t i) const { return chunks_[i / kChunk][i % kChunk]; }
    auto begin() { return Cursor<TCompHeaderObj, HeaderItem>{this, 0}; }
    auto end() { return Cursor<TCompHeaderObj, HeaderItem>{this, count_}; }
    auto begin() const { return Cursor<const TCompHeaderObj, const HeaderItem>{this, 0}; }
    auto end() const { return Cursor<const TCompHeaderObj, const HeaderItem>{this, count_}; }
    void Clear();

private:
    template <typename List, typename Item> struct Cursor {
        List* list;
        size_t at;
        Item& operator*() const { return (*list)[at]; }
        Cursor& operator++() {
            ++at;
            return *this;
        }
        bool operator==(const Cursor& other) const { return at == other.at; }
    };

    // Items live in chunks that never move: a long list grows without
    // copying what it holds or needing twice its size meanwhile.
    static constexpr size_t kChunk = 1024;

    static uint64_t Hash(std::string_view name);
    void Insert(uint32_t index);
    void Grow();

    std::vector<std::unique_ptr<HeaderItem[]>> chunks_;
    size_t count_ = 0;
    // Open addressing over item indices, hashed by the upper-cased name.
    std::vector<uint32_t> slots_;
    size_t used_ = 0; // slots holding an index or a tombstone
};

} // namespace tolvane::archive
