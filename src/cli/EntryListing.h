// The listing of the `list` command: an aligned table with a header and a
// summary, or a JSON array, for any archive format a reader can describe.
#pragma once

#include <cstddef>
#include <cstdint>
#include <ostream>
#include <string>
#include <string_view>

namespace tolvane::cli {

// One entry, in terms every archive format can fill.
struct ListedEntry {
    std::string name; // as it should be shown, before DisplayName
    uint64_t size = 0;
    uint64_t packedSize = 0;
    std::string method;
    uint32_t dosDateTime = 0;
    uint32_t attributes = 0; // the DOS attribute bits
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

// The space saved as unzip shows it: "45%", "-3%" for an entry that grew,
// "0%" for an empty one.
std::string FormatRatio(uint64_t size, uint64_t packedSize);

// "rhsda" with "-" for each bit not set (read-only, hidden, system, folder,
// archive).
std::string AttributeLetters(uint32_t attributes);

// `text` as a JSON string, quotes included; bytes that are not UTF-8 become U+FFFD.
std::string JsonString(std::string_view text);

// Writes the listing to a stream: Begin once, Add per entry, End once.
class EntryListing {
public:
    enum class Form { Table, Json };

    explicit EntryListing(std::ostream& out, Form form = Form::Table) : out_(out), form_(form) {}

    void Begin();
    void Add(const ListedEntry& entry);
    // The totals of what was added (the table), or the array's end (JSON).
    void End();

private:
    std::ostream& out_;
    Form form_;
    size_t count_ = 0;
    uint64_t totalSize_ = 0;
    uint64_t totalPacked_ = 0;
};

} // namespace tolvane::cli
