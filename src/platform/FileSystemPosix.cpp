// Linux stand-ins for the Windows find and attribute calls. Entries are
// described the way a Windows find record would describe them, and listings come
// in NTFS order so that the same folder always yields the same sequence.
#include "platform/FileSystem.h"
#include "platform/NameMatch.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <string_view>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

namespace tolvane::platform {

namespace {

// Closes the directory stream on every path out of a listing.
class DirHandle {
public:
    explicit DirHandle(const std::string& path) : dir_(opendir(path.c_str())) {}
    ~DirHandle() {
        if (dir_)
            closedir(dir_);
    }
    DirHandle(const DirHandle&) = delete;
    DirHandle& operator=(const DirHandle&) = delete;

    DIR* Get() const { return dir_; }

private:
    DIR* dir_;
};

enum class LinkPolicy {
    ListFolderLinks, // listings: a link to a folder could loop or leave the tree
    FollowAll,       // a path named explicitly by the caller
};

EntryKind KindOfSpecial(mode_t mode) {
    if (S_ISFIFO(mode))
        return EntryKind::NamedPipe;
    if (S_ISSOCK(mode))
        return EntryKind::Socket;
    return EntryKind::Device;
}

// Builds the find-record view of a name from its lstat() result, following a
// symbolic link when `followed` (the stat() of the target) is given;
// `followError` is stat()'s errno when it could not be followed.
DirEntry Describe(std::string name, const struct stat& own, const struct stat* followed,
                  int followError, LinkPolicy policy) {
    DirEntry entry;
    entry.name = std::move(name);
    // A dot name is what hides a file here: it gets the hidden bit instead of
    // the archive bit, so the attribute filters treat it as Windows treats a
    // hidden file. Entries that are never packed get the same bits as files,
    // so that the scan reaches them and can say why they were left out.
    const bool hidden = !entry.name.empty() && entry.name.front() == '.';
    entry.attributes = hidden ? kAttrHidden : kAttrArchive;
    entry.lastWriteTime = own.st_mtim.tv_sec;
    const struct stat* info = &own;
    if (S_ISLNK(own.st_mode)) {
        if (!followed) {
            entry.kind = followError == ELOOP ? EntryKind::LinkLoop : EntryKind::DanglingLink;
            return entry;
        }
        if (S_ISDIR(followed->st_mode) && policy == LinkPolicy::ListFolderLinks) {
            entry.kind = EntryKind::FolderLink;
            return entry;
        }
        info = followed;
    }
    if (S_ISDIR(info->st_mode)) {
        entry.kind = EntryKind::Folder;
        entry.attributes = kAttrDirectory | (hidden ? kAttrHidden : 0);
    } else if (S_ISREG(info->st_mode)) {
        entry.kind = EntryKind::File;
        entry.size = static_cast<uint64_t>(info->st_size);
    } else {
        entry.kind = KindOfSpecial(info->st_mode);
        return entry;
    }
    entry.identity =
        FileIdentity{static_cast<uint64_t>(info->st_dev), static_cast<uint64_t>(info->st_ino)};
    if ((info->st_mode & S_IWUSR) == 0)
        entry.attributes |= kAttrReadOnly;
    entry.lastWriteTime = info->st_mtim.tv_sec;
    return entry;
}

std::string LastComponent(std::string path) {
    while (path.size() > 1 && path.back() == kPathSeparator)
        path.pop_back();
    const size_t slash = path.rfind(kPathSeparator);
    if (slash == std::string::npos || path.size() == 1)
        return path;
    return path.substr(slash + 1);
}

// The parent folder of `path` for a walk towards the root; empty at the top.
std::string ParentOf(const std::string& path) {
    std::string trimmed = path;
    while (trimmed.size() > 1 && trimmed.back() == kPathSeparator)
        trimmed.pop_back();
    const size_t slash = trimmed.rfind(kPathSeparator);
    if (slash == std::string::npos)
        return trimmed == "." ? std::string() : std::string(".");
    if (slash == 0)
        return trimmed == "/" ? std::string() : std::string("/");
    return trimmed.substr(0, slash);
}

} // namespace

std::optional<std::vector<DirEntry>> ListDirectory(const std::string& folder, int* error) {
    const std::string path = folder.empty() ? std::string(".") : folder;
    DirHandle dir(path);
    if (!dir.Get()) {
        if (error)
            *error = errno;
        return std::nullopt;
    }
    const int dirFd = dirfd(dir.Get());

    std::vector<DirEntry> entries;
    for (;;) {
        errno = 0;
        const dirent* item = readdir(dir.Get());
        if (!item) {
            if (errno != 0) {
                if (error)
                    *error = errno;
                return std::nullopt;
            }
            break;
        }
        const std::string_view name = item->d_name;
        if (name == "." || name == "..")
            continue;
        struct stat own {};
        if (fstatat(dirFd, item->d_name, &own, AT_SYMLINK_NOFOLLOW) != 0)
            continue; // removed while we were listing
        struct stat target {};
        const bool isLink = S_ISLNK(own.st_mode);
        const bool resolved = isLink && fstatat(dirFd, item->d_name, &target, 0) == 0;
        entries.push_back(Describe(std::string(name), own, resolved ? &target : nullptr,
                                   isLink && !resolved ? errno : 0, LinkPolicy::ListFolderLinks));
    }
    std::sort(entries.begin(), entries.end(),
              [](const DirEntry& a, const DirEntry& b) { return NtfsLess(a.name, b.name); });
    return entries;
}

size_t FolderPartLength(const std::string& pattern) {
    const size_t slash = pattern.rfind(kPathSeparator);
    return slash == std::string::npos ? 0 : slash + 1;
}

std::optional<DirEntry> QueryPath(const std::string& path) {
    if (path.empty())
        return std::nullopt;
    struct stat own {};
    if (lstat(path.c_str(), &own) != 0)
        return std::nullopt;
    struct stat target {};
    const bool isLink = S_ISLNK(own.st_mode);
    const bool resolved = isLink && stat(path.c_str(), &target) == 0;
    return Describe(LastComponent(path), own, resolved ? &target : nullptr,
                    isLink && !resolved ? errno : 0, LinkPolicy::FollowAll);
}

bool DirectoryExists(const std::string& path) {
    struct stat info {};
    return !path.empty() && stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool PathExists(const std::string& path) {
    struct stat info {};
    return !path.empty() && lstat(path.c_str(), &info) == 0;
}

bool CreateFolderTree(const std::string& path) {
    if (path.empty())
        return false;
    if (DirectoryExists(path))
        return true;
    // Create each prefix ending before a separator, then the whole path.
    for (size_t pos = path.find(kPathSeparator, 1); pos != std::string::npos;
         pos = path.find(kPathSeparator, pos + 1)) {
        const std::string prefix = path.substr(0, pos);
        if (mkdir(prefix.c_str(), 0777) != 0 && errno != EEXIST)
            return false;
    }
    if (mkdir(path.c_str(), 0777) != 0 && errno != EEXIST)
        return false;
    return DirectoryExists(path);
}

int RemoveFile(const std::string& path) {
    return unlink(path.c_str()) == 0 ? 0 : errno;
}

int RenameFile(const std::string& from, const std::string& to) {
    return rename(from.c_str(), to.c_str()) == 0 ? 0 : errno;
}

int LinkFile(const std::string& from, const std::string& to) {
    return link(from.c_str(), to.c_str()) == 0 ? 0 : errno;
}

int SetLastWriteTime(const std::string& path, int64_t seconds) {
    const struct timespec times[2] = {{0, UTIME_OMIT}, {static_cast<time_t>(seconds), 0}};
    return utimensat(AT_FDCWD, path.c_str(), times, 0) == 0 ? 0 : errno;
}

int SetAttributes(const std::string& path, uint32_t attributes) {
    struct stat info {};
    if (stat(path.c_str(), &info) != 0)
        return errno;
    mode_t mode = info.st_mode & 07777;
    if ((attributes & kAttrReadOnly) != 0)
        mode &= ~static_cast<mode_t>(S_IWUSR);
    else
        mode |= S_IWUSR;
    if (mode == (info.st_mode & 07777))
        return 0;
    return chmod(path.c_str(), mode) == 0 ? 0 : errno;
}

bool QueryVolume(const std::string& path) {
    std::string current = path.empty() ? std::string(".") : path;
    while (!current.empty()) {
        struct statvfs info {};
        if (statvfs(current.c_str(), &info) == 0)
            return true;
        if (errno != ENOENT && errno != ENOTDIR)
            return false;
        current = ParentOf(current);
    }
    return false;
}

std::string CurrentFolder() {
    std::string buffer(256, '\0');
    for (;;) {
        if (getcwd(buffer.data(), buffer.size())) {
            buffer.resize(std::strlen(buffer.c_str()));
            break;
        }
        if (errno != ERANGE)
            return std::string();
        buffer.resize(buffer.size() * 2);
    }
    if (buffer.empty() || buffer.back() != kPathSeparator)
        buffer.push_back(kPathSeparator);
    return buffer;
}

namespace {

// strerror_r comes in two shapes: the GNU one returns the text, the XSI one
// fills the buffer and returns a status. Overloads pick whichever is present.
[[maybe_unused]] std::string StrerrorResult(const char* text, const char*) {
    return text;
}
[[maybe_unused]] std::string StrerrorResult(int status, const char* buffer) {
    return status == 0 ? std::string(buffer) : std::string();
}

} // namespace

std::string ErrorText(int errorNumber) {
    char buffer[256] = {};
    std::string text = StrerrorResult(strerror_r(errorNumber, buffer, sizeof buffer), buffer);
    if (text.empty())
        text = "Unknown error " + std::to_string(errorNumber);
    return text;
}

} // namespace tolvane::platform
