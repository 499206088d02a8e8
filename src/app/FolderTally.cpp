#include "FolderTally.h"

#include "platform/FileSystem.h"

#include <vector>

namespace tolvane::app {

std::optional<FolderTally> CountFolder(const std::string& folder,
                                       const platform::CancelToken& cancel) {
    FolderTally tally;
    // An explicit stack: a deep tree must not run out of the thread's stack.
    std::vector<std::string> pending{folder};
    bool first = true;
    while (!pending.empty()) {
        const std::string current = std::move(pending.back());
        pending.pop_back();
        const auto entries = platform::ListDirectory(current);
        if (!entries) {
            if (first)
                return std::nullopt;
            continue;
        }
        first = false;
        for (const platform::DirEntry& entry : *entries) {
            if (cancel.Requested())
                return std::nullopt;
            if (entry.kind == platform::EntryKind::Folder) {
                ++tally.folders;
                pending.push_back(current + "/" + entry.name);
            } else if (entry.kind == platform::EntryKind::File) {
                ++tally.files;
                tally.bytes += entry.size;
            }
        }
    }
    return tally;
}

} // namespace tolvane::app
