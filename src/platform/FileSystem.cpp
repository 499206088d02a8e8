// The parts of the file-system layer that are the same on every system: the
// words for entries that cannot be packed, and the wildcard search over a
// listing.
#include "platform/FileSystem.h"
#include "platform/NameMatch.h"

namespace tolvane::platform {

const char* UnusableReason(EntryKind kind) {
    switch (kind) {
    case EntryKind::File:
    case EntryKind::Folder:
        return "";
    case EntryKind::FolderLink:
        return "a link to a folder";
    case EntryKind::DanglingLink:
        return "a link to nothing";
    case EntryKind::LinkLoop:
        return "a link that loops";
    case EntryKind::NamedPipe:
        return "a named pipe";
    case EntryKind::Socket:
        return "a socket";
    case EntryKind::Device:
        return "a device file";
    }
    return "";
}

std::optional<std::vector<DirEntry>> FindMatching(const std::string& pattern) {
    const size_t split = FolderPartLength(pattern);
    const std::string folder = pattern.substr(0, split);
    const std::string mask = pattern.substr(split);
    auto entries = ListDirectory(folder.empty() ? std::string(".") : folder);
    if (!entries)
        return std::nullopt;

    // A plain name on a case-sensitive file system may exist in several cases;
    // the exact one is what the caller named, as a Windows lookup would return.
    if (!HasWildcards(mask)) {
        for (auto& entry : *entries) {
            if (entry.name == mask)
                return std::vector<DirEntry>{std::move(entry)};
        }
    }
    std::vector<DirEntry> found;
    for (auto& entry : *entries) {
        if (WildcardMatch(mask, entry.name))
            found.push_back(std::move(entry));
    }
    return found;
}

} // namespace tolvane::platform
