// The listing table of the `list` command: one aligned row per entry, a header
// and a summary, for any archive format a reader can describe.
#pragma once

#include <cstddef>
#include <cstdint>
#include <ostream>
#include <string>
#include <string_view>

namespace tolvane::cli {

// One row of the table, in terms every archive format can fill.
struct ListedEntry {
    std::string name; // as it should be shown, before DisplayName
    uint64_t size = 0;
    uint64_t packedSize = 0;
    std::string method;
    uint32_t dosDateTime = 0;
    uint32_t attributes = 0;
    uint32_t crc32 = 0;
    bool encrypted = false;
};

// "YYYY-MM-DD hh:mm:ss" from the packed fields as they are, without checking them.
std::string FormatDosDateTime(uint32_t dosDateTime);

// The name with control characters shown as "?", so that a hostile name
// cannot move the cursor or clear the terminal.
std::string DisplayName(std::string_view name);

// "1 entry", "2 entries".
std::string CountEntries(size_t count);

// Writes the table to a stream: Begin once, Add per entry, End once.
class EntryListing {
public:
    explicit EntryListing(std::ostream& out) : out_(out) {}

    void Begin();
    void Add(const ListedEntry& entry);
    // The separator and the totals of what was added.
    void End();

private:
    std::ostream& out_;
    size_t count_ = 0;
    uint64_t totalSize_ = 0;
    uint64_t totalPacked_ = 0;
};

} // namespace tolvane::cli
