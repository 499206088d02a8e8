// The listing of the `list` command.
#include "cli/EntryListing.h"

#include "app/Translation.h"
#include "platform/CodePage.h"

#include <cmath>
#include <cstdio>

namespace tolvane::cli {

namespace {

// Size, packed size, ratio, method, date-time, attributes, CRC-32, encrypted mark, name.
constexpr const char* kRowFormat = "%12s  %12s  %5s  %-8s  %-19s  %-5s  %-8s  %-3s  %s";
constexpr const char* kSeparator = "------------  ------------  -----  --------  "
                                   "-------------------  -----  --------  ---  ----";
constexpr const char* kTotalsSeparator = "------------  ------------  -----  %46s----";
constexpr const char* kTotalsFormat = "%12s  %12s  %5s  %46s%s";

template <typename... Args> std::string Format(const char* format, const Args&... args) {
    // Every line of the listing fits; a longer name goes through the second call.
    char line[256];
    const int length = std::snprintf(line, sizeof line, format, args...);
    if (length < 0)
        return "";
    if (static_cast<size_t>(length) < sizeof line)
        return std::string(line, static_cast<size_t>(length));
    std::string text(static_cast<size_t>(length), '\0');
    std::snprintf(text.data(), text.size() + 1, format, args...);
    return text;
}

std::string Row(const std::string& size, const std::string& packed, const std::string& ratio,
                const std::string& method, const std::string& modified,
                const std::string& attributes, const std::string& crc, const std::string& mark,
                const std::string& name) {
    return Format(kRowFormat, size.c_str(), packed.c_str(), ratio.c_str(), method.c_str(),
                  modified.c_str(), attributes.c_str(), crc.c_str(), mark.c_str(), name.c_str());
}

// The length of the UTF-8 sequence that begins `text`, 0 when none does.
size_t Utf8Length(std::string_view text) {
    const auto lead = static_cast<unsigned char>(text[0]);
    const size_t length = lead < 0x80       ? 1
                          : lead >> 5 == 6  ? 2
                          : lead >> 4 == 14 ? 3
                          : lead >> 3 == 30 ? 4
                                            : 0;
    if (length == 0 || length > text.size() || !platform::IsValidUtf8(text.substr(0, length)))
        return 0;
    return length;
}

} // namespace

std::string FormatDosDateTime(uint32_t dosDateTime) {
    const uint32_t date = dosDateTime >> 16;
    const uint32_t time = dosDateTime & 0xFFFF;
    return Format("%04u-%02u-%02u %02u:%02u:%02u", 1980 + (date >> 9), (date >> 5) & 0x0F,
                  date & 0x1F, time >> 11, (time >> 5) & 0x3F, (time & 0x1F) * 2);
}

namespace {

// "YYYY-MM-DDThh:mm:ss", local time as stored.
std::string IsoDateTime(uint32_t dosDateTime) {
    std::string text = FormatDosDateTime(dosDateTime);
    text[10] = 'T';
    return text;
}

} // namespace

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
    return app::EnglishCount("%1 entry", "%1 entries", static_cast<int64_t>(count));
}

std::string FormatRatio(uint64_t size, uint64_t packedSize) {
    if (size == 0)
        return "0%";
    // Rounded to the nearest per cent, as unzip -v shows it.
    const double saved = 100.0 * (static_cast<double>(size) - static_cast<double>(packedSize)) /
                         static_cast<double>(size);
    // A slight growth rounds to 0, which printf would show as "-0".
    return Format("%.0f%%", std::round(saved) == 0.0 ? 0.0 : saved);
}

std::string AttributeLetters(uint32_t attributes) {
    static constexpr struct {
        uint32_t bit;
        char letter;
    } kLetters[] = {{0x01, 'r'}, {0x02, 'h'}, {0x04, 's'}, {0x10, 'd'}, {0x20, 'a'}};
    std::string letters;
    for (const auto& [bit, letter] : kLetters)
        letters += (attributes & bit) != 0 ? letter : '-';
    return letters;
}

std::string JsonString(std::string_view text) {
    std::string json = "\"";
    while (!text.empty()) {
        const auto byte = static_cast<unsigned char>(text[0]);
        if (byte == '"' || byte == '\\') {
            json += '\\';
            json += static_cast<char>(byte);
        } else if (byte < 0x20 || byte == 0x7F) {
            json += Format("\\u%04x", static_cast<unsigned>(byte));
        } else if (byte >= 0x80) {
            const size_t length = Utf8Length(text);
            json += length == 0 ? std::string("\\ufffd") : std::string(text.substr(0, length));
            text.remove_prefix(length == 0 ? 1 : length);
            continue;
        } else {
            json += static_cast<char>(byte);
        }
        text.remove_prefix(1);
    }
    return json + "\"";
}

void EntryListing::Begin() {
    if (form_ == Form::Json) {
        out_ << "[";
        return;
    }
    out_ << Row("Size", "Packed", "Ratio", "Method", "Modified", "Attr", "CRC-32", "Enc", "Name")
         << '\n'
         << kSeparator << '\n';
}

void EntryListing::Add(const ListedEntry& entry) {
    if (form_ == Form::Json) {
        out_ << (count_ == 0 ? "\n" : ",\n") << "  {\"name\": " << JsonString(entry.name)
             << ", \"size\": " << entry.size << ", \"packedSize\": " << entry.packedSize
             << ", \"method\": " << JsonString(entry.method)
             << ", \"modified\": " << JsonString(IsoDateTime(entry.dosDateTime))
             << ", \"attributes\": " << JsonString(AttributeLetters(entry.attributes))
             << ", \"folder\": " << ((entry.attributes & 0x10) != 0 ? "true" : "false")
             << ", \"crc32\": " << JsonString(Format("%08x", entry.crc32))
             << ", \"encrypted\": " << (entry.encrypted ? "true" : "false") << "}";
    } else {
        out_ << Row(std::to_string(entry.size), std::to_string(entry.packedSize),
                    FormatRatio(entry.size, entry.packedSize), entry.method,
                    FormatDosDateTime(entry.dosDateTime), AttributeLetters(entry.attributes),
                    Format("%08x", entry.crc32), entry.encrypted ? "yes" : "",
                    DisplayName(entry.name))
             << '\n';
    }
    ++count_;
    totalSize_ += entry.size;
    totalPacked_ += entry.packedSize;
}

void EntryListing::End() {
    if (form_ == Form::Json) {
        out_ << (count_ == 0 ? "]\n" : "\n]\n");
        return;
    }
    out_ << Format(kTotalsSeparator, "") << '\n'
         << Format(kTotalsFormat, std::to_string(totalSize_).c_str(),
                   std::to_string(totalPacked_).c_str(),
                   FormatRatio(totalSize_, totalPacked_).c_str(), "", CountEntries(count_).c_str())
         << '\n';
}

} // namespace tolvane::cli
