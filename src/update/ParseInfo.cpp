#include "ParseInfo.h"

#include <cctype>
#include <utility>

namespace tolvane::update {

namespace {

// Quoted values are searched for their closing quote only this far.
constexpr size_t kQuoteSearch = 255;

// The text from `start` up to the next double quote within kQuoteSearch
// characters; empty when no quote closes it there.
std::string QuotedFrom(const std::string& line, size_t start) {
    if (start >= line.size())
        return {};
    const std::string window = line.substr(start, kQuoteSearch);
    const size_t quote = window.find('"');
    return quote == std::string::npos ? std::string() : window.substr(0, quote);
}

std::string UpperCase(std::string text) {
    for (char& c : text)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return text;
}

} // namespace

TUpdateInfoValues ParseInfo(const std::vector<std::string>& lines, const TUpdateTagInfo& tags) {
    TUpdateInfoValues values;
    const std::pair<const std::string*, std::string*> slots[] = {
        {&tags.ProductName, &values.Product},
        {&tags.ClientFileName, &values.ClientFileName},
        {&tags.Version, &values.Version},
        {&tags.Author, &values.Author},
        {&tags.Email, &values.Email},
        {&tags.Download, &values.Download},
        {&tags.Redirection, &values.Redirection},
        {&tags.RunParameters, &values.RunParameters},
    };
    for (const std::string& line : lines) {
        const size_t meta = line.find("META NAME");
        if (meta == std::string::npos)
            continue;
        const std::string name = QuotedFrom(line, meta + 11);
        for (const auto& [tagName, value] : slots) {
            if (name != *tagName)
                continue;
            const size_t content = UpperCase(line).find("CONTENT=");
            *value = content == std::string::npos ? std::string() : QuotedFrom(line, content + 9);
        }
    }
    return values;
}

std::vector<std::string> SplitLines(const std::string& text) {
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < text.size()) {
        const size_t end = text.find_first_of("\r\n", start);
        if (end == std::string::npos) {
            lines.push_back(text.substr(start));
            break;
        }
        lines.push_back(text.substr(start, end - start));
        start = end + (text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n' ? 2 : 1);
    }
    return lines;
}

} // namespace tolvane::update
