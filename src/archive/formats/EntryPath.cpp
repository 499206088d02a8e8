// Turns an entry's stored name into the names it may be extracted under.
#include "archive/formats/EntryPath.h"

#include "platform/IconvConverter.h"

#include <cctype>
#include <cstdint>

namespace tolvane::archive {

namespace {

// The longest name a Linux file system takes for one component.
constexpr size_t kMaxComponent = 255;

EntryPath Refuse(std::string reason) {
    EntryPath path;
    path.refusal = std::move(reason);
    return path;
}

bool IsSeparator(char c) {
    return c == '/' || c == '\\';
}

// True when the valid UTF-8 `text` holds U+00A0 or a character of
// U+2500..U+25FF (box drawing, block elements, geometric shapes): the
// characters of the OEM pages that stand where another page has letters.
bool HoldsDrawing(std::string_view text) {
    for (size_t i = 0; i < text.size(); ++i) {
        const auto lead = static_cast<unsigned char>(text[i]);
        if (lead == 0xC2 && i + 1 < text.size() && static_cast<unsigned char>(text[i + 1]) == 0xA0)
            return true;
        // U+2500..U+25FF are E2 94 80 .. E2 97 BF.
        if (lead == 0xE2 && i + 1 < text.size()) {
            const auto second = static_cast<unsigned char>(text[i + 1]);
            if (second >= 0x94 && second <= 0x97)
                return true;
        }
    }
    return false;
}

} // namespace

EntryPath ParseEntryPath(std::string_view storedName) {
    if (!storedName.empty() && IsSeparator(storedName.front()))
        return Refuse("an absolute name");
    if (storedName.size() >= 2 && std::isalpha(static_cast<unsigned char>(storedName[0])) &&
        storedName[1] == ':')
        return Refuse("a name with a drive letter");
    EntryPath path;
    path.isFolder = !storedName.empty() && IsSeparator(storedName.back());
    std::string part;
    auto finishPart = [&]() -> bool {
        if (part == "..")
            return false;
        if (!part.empty() && part != ".")
            path.parts.push_back(part);
        part.clear();
        return true;
    };
    for (const char c : storedName) {
        if (IsSeparator(c)) {
            if (!finishPart())
                return Refuse("a name that holds \"..\"");
            continue;
        }
        const auto byte = static_cast<unsigned char>(c);
        part += byte < 0x20 || byte == 0x7F ? '_' : c;
        if (part.size() > kMaxComponent)
            return Refuse("a name part longer than 255 bytes");
    }
    if (!finishPart())
        return Refuse("a name that holds \"..\"");
    if (path.parts.empty())
        return Refuse("an empty name");
    return path;
}

std::string NameFromOem(std::string_view storedName, const platform::CodePage& codePage) {
    if (platform::IsValidUtf8(storedName))
        return codePage.ToAnsi(storedName);
    const platform::IconvConverter toUtf8("UTF-8", "CP" + std::to_string(codePage.OemCodePage()));
    if (!toUtf8.IsOpen())
        return codePage.ToAnsi(storedName);
    const auto read = toUtf8.ConvertExact(storedName);
    if (!read || HoldsDrawing(*read))
        return std::string(storedName);
    return codePage.ToAnsi(storedName);
}

} // namespace tolvane::archive
