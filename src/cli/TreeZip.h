// The ZIP writer of `tolvane-cli zip PATH...`: a file goes in under its bare
// name, a folder with its whole tree under names relative to the folder's
// parent ("Folder/sub/a.txt"), as `7z a` and `zip -r` name them.
#pragma once

#include "archive/formats/ZipWriter.h"

#include <string>
#include <vector>

namespace tolvane::cli {

class TreeZip final : public archive::TZip {
public:
    // The FileSpec for `paths`: a file as it is; a folder as its own entry
    // (stored when it is empty) and one "*" pattern per folder of its tree,
    // hidden ones included and links to folders not followed, so that the
    // writer's pattern search finds every entry and reports the unusable ones.
    // Sets RecurseDirs off. A path that lies in the tree of another given folder is taken with that
    // tree.
    void SetPaths(const std::vector<std::string>& paths);

protected:
    std::string StoredNameOf(const std::string& path) const override;
    // Reports the folders of the trees that could not be read, as the
    // writer's own walk does, before the run goes on.
    void UpdateArchive(archive::TCompHeaderObj& list) override;

private:
    struct Tree {
        std::string folder;  // ends in "/"
        size_t parentLength; // the part of a path that its stored name leaves out
    };
    void Walk(const std::string& folder, std::vector<std::string>& spec);

    std::vector<Tree> trees_;
    std::vector<std::pair<std::string, int>> unreadable_; // folder, errno
};

} // namespace tolvane::cli
