// The ZIP writer of `tolvane-cli zip PATH...`.
#include "cli/TreeZip.h"

#include "archive/writer/PathText.h"
#include "platform/FileSystem.h"

#include <algorithm>
#include <set>

namespace tolvane::cli {

using namespace archive;

namespace {

bool StartsWith(const std::string& text, const std::string& prefix) {
    return text.compare(0, prefix.size(), prefix) == 0;
}

// "." and ".." name no folder of their own: their trees go in relative to
// themselves, as `zip -r z.zip .` stores them. So does the root.
bool NamesItself(const std::string& folder) {
    const std::string_view last = NamePartOf(folder);
    return folder == "/" || last == "." || last == "..";
}

} // namespace

void TreeZip::SetPaths(const std::vector<std::string>& paths) {
    // Every pattern is searched in its own folder; the trees are walked here.
    RecurseDirs = false;
    trees_.clear();
    unreadable_.clear();
    std::vector<std::string> folders;
    for (std::string path : paths) {
        while (path.size() > 1 && path.back() == '/')
            path.pop_back();
        if (platform::DirectoryExists(path))
            folders.push_back(path);
    }
    const auto inGivenTree = [&](const std::string& path) {
        return std::any_of(folders.begin(), folders.end(), [&](const std::string& folder) {
            const std::string tree = WithTrailingSeparator(folder);
            return path.size() > tree.size() && StartsWith(path, tree);
        });
    };
    std::vector<std::string> spec;
    for (const std::string& path : folders) {
        const std::string folder = WithTrailingSeparator(path);
        const bool known = std::any_of(trees_.begin(), trees_.end(),
                                       [&](const Tree& tree) { return tree.folder == folder; });
        if (known || inGivenTree(path))
            continue;
        const bool itself = NamesItself(path);
        trees_.push_back({folder, itself ? folder.size() : FolderPartOf(path).size()});
        if (!itself)
            spec.push_back(path);
        Walk(folder, spec);
    }
    // The same file named twice would be a second entry of one name.
    std::set<std::string> files;
    for (const std::string& path : paths) {
        if (!platform::DirectoryExists(path) && !inGivenTree(path) && files.insert(path).second)
            spec.push_back(path);
    }
    SetFileSpec(spec);
}

void TreeZip::Walk(const std::string& folder, std::vector<std::string>& spec) {
    int error = 0;
    const auto entries = platform::ListDirectory(folder, &error);
    if (!entries) {
        unreadable_.emplace_back(folder, error);
        return;
    }
    spec.push_back(folder + "*");
    for (const platform::DirEntry& entry : *entries) {
        if (entry.kind == platform::EntryKind::Folder)
            Walk(folder + entry.name + "/", spec);
    }
}

std::string TreeZip::StoredNameOf(const std::string& path) const {
    // Trees never nest (SetPaths takes a tree inside another with it).
    for (const Tree& tree : trees_) {
        if (StartsWith(path, tree.folder))
            return path.substr(tree.parentLength);
    }
    return TZip::StoredNameOf(path);
}

void TreeZip::UpdateArchive(TCompHeaderObj& list) {
    for (const auto& [folder, error] : unreadable_)
        ReportError(folder, error ? platform::ErrorText(error) : "the folder cannot be read",
                    runArchive_, kErrOpeningFile, ReportGrade::LeftOut);
    TZip::UpdateArchive(list);
}

} // namespace tolvane::cli
