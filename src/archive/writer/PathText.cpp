#include "PathText.h"

#include "platform/FileSystem.h"

namespace tolvane::archive {

namespace {
char UpperChar(char c) {
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}
char LowerChar(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}
} // namespace

std::string_view FolderPartOf(std::string_view path) {
    size_t pos = path.rfind(platform::kPathSeparator);
    return pos == std::string_view::npos ? std::string_view{} : path.substr(0, pos + 1);
}

std::string_view NamePartOf(std::string_view path) {
    return path.substr(FolderPartOf(path).size());
}

std::string_view ExtensionOf(std::string_view path) {
    std::string_view name = NamePartOf(path);
    size_t dot = name.rfind('.');
    return dot == std::string_view::npos ? std::string_view{} : name.substr(dot);
}

std::string WithTrailingSeparator(std::string_view path) {
    std::string out(path);
    if (out.empty() || out.back() != platform::kPathSeparator)
        out += platform::kPathSeparator;
    return out;
}

std::string UpperAscii(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        c = UpperChar(c);
    return out;
}

std::string LowerAscii(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        c = LowerChar(c);
    return out;
}

bool EqualsIgnoreCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (UpperChar(a[i]) != UpperChar(b[i]))
            return false;
    }
    return true;
}

bool StartsWithIgnoreCase(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() && EqualsIgnoreCase(text.substr(0, prefix.size()), prefix);
}

} // namespace tolvane::archive
