// The listing table of the `list` command.
#include "cli/EntryListing.h"

#include <cstdio>

namespace tolvane::cli {

namespace {

// Size, packed size, method, date-time, attributes, CRC-32, encrypted mark, name.
constexpr const char* kRowFormat = "%12s  %12s  %-8s  %-19s  %-6s  %-8s  %-3s  %s";
constexpr const char* kSeparator = "------------  ------------  --------  -------------------  "
                                   "------  --------  ---  ----";
constexpr const char* kTotalsSeparator = "------------  ------------  %54s----";
constexpr const char* kTotalsFormat = "%12s  %12s  %54s%s";

std::string Row(const std::string& size, const std::string& packed, const std::string& method,
                const std::string& modified, const std::string& attributes, const std::string& crc,
                const std::string& mark, const std::string& name) {
    const int length = std::snprintf(nullptr, 0, kRowFormat, size.c_str(), packed.c_str(),
                                     method.c_str(), modified.c_str(), attributes.c_str(),
                                     crc.c_str(), mark.c_str(), name.c_str());
    std::string text(static_cast<size_t>(length) + 1, '\0');
    std::snprintf(text.data(), text.size(), kRowFormat, size.c_str(), packed.c_str(),
                  method.c_str(), modified.c_str(), attributes.c_str(), crc.c_str(), mark.c_str(),
                  name.c_str());
    text.resize(static_cast<size_t>(length));
    return text;
}

std::string Hex(const char* format, uint32_t value) {
    char text[16];
    std::snprintf(text, sizeof text, format, value);
    return text;
}

} // namespace

std::string FormatDosDateTime(uint32_t dosDateTime) {
    const uint32_t date = dosDateTime >> 16;
    const uint32_t time = dosDateTime & 0xFFFF;
    char text[32];
    std::snprintf(text, sizeof text, "%04u-%02u-%02u %02u:%02u:%02u", 1980 + (date >> 9),
                  (date >> 5) & 0x0F, date & 0x1F, time >> 11, (time >> 5) & 0x3F,
                  (time & 0x1F) * 2);
    return text;
}

std::string DisplayName(std::string_view name) {
    std::string shown(name);
    for (char& c : shown) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7F)
            c = '?';
    }
    return shown;
}

std::string CountEntries(size_t count) {
    return std::to_string(count) + (count == 1 ? " entry" : " entries");
}

void EntryListing::Begin() {
    out_ << Row("Size", "Packed", "Method", "Modified", "Attr", "CRC-32", "Enc", "Name") << '\n'
         << kSeparator << '\n';
}

void EntryListing::Add(const ListedEntry& entry) {
    out_ << Row(std::to_string(entry.size), std::to_string(entry.packedSize), entry.method,
                FormatDosDateTime(entry.dosDateTime), Hex("0x%04x", entry.attributes),
                Hex("%08x", entry.crc32), entry.encrypted ? "yes" : "", DisplayName(entry.name))
         << '\n';
    ++count_;
    totalSize_ += entry.size;
    totalPacked_ += entry.packedSize;
}

void EntryListing::End() {
    char line[160];
    std::snprintf(line, sizeof line, kTotalsSeparator, "");
    out_ << line << '\n';
    std::snprintf(line, sizeof line, kTotalsFormat, std::to_string(totalSize_).c_str(),
                  std::to_string(totalPacked_).c_str(), "", CountEntries(count_).c_str());
    out_ << line << '\n';
}

} // namespace tolvane::cli
