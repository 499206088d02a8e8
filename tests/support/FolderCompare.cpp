// Compares two folder trees as an extraction must restore them.
#include "support/FolderCompare.h"

#include "support/TempFolder.h"

#include <chrono>
#include <filesystem>
#include <map>
#ifndef _WIN32
#include <fcntl.h>
#include <sys/stat.h>
#endif

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
#ifdef _WIN32
        // The read-only attribute shows as the missing write bits.
        const auto status = fs::symlink_status(entry.path());
        const auto modified = std::chrono::file_clock::to_sys(fs::last_write_time(entry.path()));
        items[fs::relative(entry.path(), root).generic_string()] = {
            fs::is_directory(status),
            static_cast<long long>(
                std::chrono::floor<std::chrono::seconds>(modified).time_since_epoch().count()),
            (status.permissions() & fs::perms::owner_write) != fs::perms::none};
        continue;
#else
        struct stat status {};
        lstat(entry.path().c_str(), &status);
        items[fs::relative(entry.path(), root).string()] = {S_ISDIR(status.st_mode),
                                                            static_cast<long long>(status.st_mtime),
                                                            (status.st_mode & S_IWUSR) != 0};
#endif
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
#ifdef _WIN32
    const auto time = std::chrono::file_clock::from_sys(
        std::chrono::system_clock::time_point(std::chrono::seconds(unixSeconds)));
    for (const auto& entry : fs::recursive_directory_iterator(root))
        fs::last_write_time(entry.path(), time);
#else
    const timespec times[2] = {{static_cast<time_t>(unixSeconds), 0},
                               {static_cast<time_t>(unixSeconds), 0}};
    for (const auto& entry : fs::recursive_directory_iterator(root))
        utimensat(AT_FDCWD, entry.path().c_str(), times, AT_SYMLINK_NOFOLLOW);
#endif
}

} // namespace tolvane::test
