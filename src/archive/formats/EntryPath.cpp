// Turns an entry's stored name into the names it may be extracted under.
#include "archive/formats/EntryPath.h"

#include <cctype>

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

} // namespace tolvane::archive
