// The writers' ExcludeSpec test for one scanned file.
#include "ExcludeTest.h"

#include "Masks.h"

namespace tolvane::archive {

namespace {

std::string LowerAscii(std::string_view text) {
    std::string out(text);
    for (char& c : out) {
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    }
    return out;
}

bool StartsWith(std::string_view text, std::string_view prefix) {
    return text.substr(0, prefix.size()) == prefix;
}

} // namespace

// Linux has one root, so there is no drive or share to prefix a rooted entry
// with, and `rootFolder` is not needed to complete one.
bool IsExcluded(const std::vector<std::string>& excludeSpec, std::string_view folder,
                std::string_view fileName, [[maybe_unused]] std::string_view rootFolder) {
    const std::string lowerFolder = LowerAscii(folder);
    for (const std::string& entry : excludeSpec) {
        const size_t slash = entry.rfind('/');
        // Entries are used as written: "*.*" keeps its dot here, unlike in FileSpec.
        if (slash == std::string::npos) {
            if (MatchesMask(fileName, entry))
                return true;
            continue;
        }
        std::string prefix = LowerAscii(std::string_view(entry).substr(0, slash + 1));
        if (entry.front() != '/')
            prefix.insert(prefix.begin(), '/');
        if (StartsWith(lowerFolder, prefix) &&
            MatchesMask(fileName, std::string_view(entry).substr(slash + 1)))
            return true;
    }
    return false;
}

} // namespace tolvane::archive
