// Compares two folder trees as an extraction must restore them.
#include "support/FolderCompare.h"

#include "support/TempFolder.h"

#include <fcntl.h>
#include <filesystem>
#include <map>
#include <sys/stat.h>

namespace fs = std::filesystem;

namespace tolvane::test {

namespace {

struct Item {
    bool folder = false;
    long long modified = 0;
    bool writable = false;
};

std::map<std::string, Item> Walk(const std::string& root) {
    std::map<std::string, Item> items;
    for (const auto& entry : fs::recursive_directory_iterator(root)) {
        struct stat status {};
        lstat(entry.path().c_str(), &status);
        items[fs::relative(entry.path(), root).string()] = {S_ISDIR(status.st_mode),
                                                            static_cast<long long>(status.st_mtime),
                                                            (status.st_mode & S_IWUSR) != 0};
    }
    return items;
}

} // namespace

std::string CompareTrees(const std::string& expected, const std::string& actual) {
    const auto want = Walk(expected);
    const auto got = Walk(actual);
    for (const auto& [name, item] : want) {
        const auto it = got.find(name);
        if (it == got.end())
            return name + ": missing";
        if (it->second.folder != item.folder)
            return name + ": a file where a folder belongs, or the reverse";
        if (!item.folder &&
            ReadFileBytes(expected + "/" + name) != ReadFileBytes(actual + "/" + name))
            return name + ": other content";
        // Archives made from a folder hold no folder entries, so only files keep times.
        if (!item.folder && it->second.modified != item.modified)
            return name + ": modified " + std::to_string(it->second.modified) + ", not " +
                   std::to_string(item.modified);
        if (!item.folder && it->second.writable != item.writable)
            return name + ": the read-only bit differs";
    }
    for (const auto& [name, item] : got) {
        if (!want.count(name))
            return name + ": not in the source";
    }
    return "";
}

void SetTreeTimes(const std::string& root, long long unixSeconds) {
    const timespec times[2] = {{static_cast<time_t>(unixSeconds), 0},
                               {static_cast<time_t>(unixSeconds), 0}};
    for (const auto& entry : fs::recursive_directory_iterator(root))
        utimensat(AT_FDCWD, entry.path().c_str(), times, AT_SYMLINK_NOFOLLOW);
}

} // namespace tolvane::test
