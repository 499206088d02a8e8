// The names of files being written, and the removal of those a killed process left.
#include "platform/PartFiles.h"

#include "platform/ProcessExists.h"
#include "platform/Random.h"

#include <algorithm>
#include <cstdio>
#include <dirent.h>
#include <fcntl.h>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace tolvane::platform {

namespace {

constexpr std::string_view kPrefix = ".tolvane-";
constexpr std::string_view kSuffix = ".part";
constexpr size_t kRandomDigits = 16;
// More digits than any process ID has.
constexpr size_t kMaxPidDigits = 10;

bool IsLowerHex(char c) {
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f');
}

struct DirCloser {
    void operator()(DIR* dir) const { closedir(dir); }
};

} // namespace

std::string NewPartFileName() {
    uint8_t bytes[kRandomDigits / 2];
    RandomBytes(bytes, sizeof bytes);
    std::string name(kPrefix);
    name += std::to_string(CurrentProcessId()) + "-";
    for (const uint8_t byte : bytes) {
        char hex[3];
        std::snprintf(hex, sizeof hex, "%02x", byte);
        name += hex;
    }
    return name + std::string(kSuffix);
}

std::optional<int64_t> PartFileWriter(std::string_view name) {
    if (name.size() < kPrefix.size() + kSuffix.size() ||
        name.substr(0, kPrefix.size()) != kPrefix ||
        name.substr(name.size() - kSuffix.size()) != kSuffix)
        return std::nullopt;
    name = name.substr(kPrefix.size(), name.size() - kPrefix.size() - kSuffix.size());
    const size_t dash = name.find('-');
    if (dash == 0 || dash == name.npos || dash > kMaxPidDigits || name[0] == '0')
        return std::nullopt;
    const std::string_view random = name.substr(dash + 1);
    if (random.size() != kRandomDigits || !std::all_of(random.begin(), random.end(), IsLowerHex))
        return std::nullopt;
    int64_t pid = 0;
    for (const char c : name.substr(0, dash)) {
        if (c < '0' || c > '9')
            return std::nullopt;
        pid = pid * 10 + (c - '0');
    }
    return pid;
}

int RemoveStalePartFiles(const FolderHandle& folder) {
    // The listing reads through a descriptor of its own, so that the
    // folder's stays as it was.
    const int listed = openat(folder.Descriptor(), ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (listed < 0)
        return 0;
    const std::unique_ptr<DIR, DirCloser> dir(fdopendir(listed));
    if (!dir) {
        close(listed);
        return 0;
    }
    std::vector<std::string> stale;
    while (const dirent* entry = readdir(dir.get())) {
        const auto writer = PartFileWriter(entry->d_name);
        if (!writer || ProcessExists(*writer))
            continue;
        struct stat status {};
        if (fstatat(folder.Descriptor(), entry->d_name, &status, AT_SYMLINK_NOFOLLOW) != 0 ||
            !S_ISREG(status.st_mode) || status.st_uid != geteuid())
            continue;
        stale.emplace_back(entry->d_name);
    }
    int removed = 0;
    for (const std::string& name : stale)
        removed += unlinkat(folder.Descriptor(), name.c_str(), 0) == 0 ? 1 : 0;
    return removed;
}

} // namespace tolvane::platform
