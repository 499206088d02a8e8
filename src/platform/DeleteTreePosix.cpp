#include "DeleteTree.h"

#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <memory>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>

namespace tolvane::platform {

namespace {

// Every step works relative to an open folder handle and opens subfolders
// with O_NOFOLLOW, so a folder swapped for a link while the tree is emptied
// is never entered: the emptying cannot reach outside the tree it was given.

class FdCloser {
public:
    explicit FdCloser(int fd) : fd_(fd) {}
    ~FdCloser() {
        if (fd_ >= 0)
            close(fd_);
    }
    FdCloser(const FdCloser&) = delete;
    FdCloser& operator=(const FdCloser&) = delete;
    int Get() const { return fd_; }
    int Release() {
        const int fd = fd_;
        fd_ = -1;
        return fd;
    }

private:
    int fd_;
};

struct DirCloser {
    void operator()(DIR* dir) const { closedir(dir); }
};

constexpr int kOpenFolder = O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;

// Owner write access to a regular file, through a handle so that a link put
// in its place meanwhile is not followed. Unlinking needs no access to the
// file itself, so a file that cannot be opened is left as it is.
void GiveFileWriteAccess(int parentFd, const char* name) {
    FdCloser file(openat(parentFd, name, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
    struct stat st {};
    if (file.Get() >= 0 && fstat(file.Get(), &st) == 0 && S_ISREG(st.st_mode))
        fchmod(file.Get(), (st.st_mode & 07777) | S_IWUSR);
}

// Opens a subfolder, never through a link. With `resetAttributes` the owner
// gets full access, set through the handle once open; a folder the owner may
// not even list is opened after its mode was set by name.
int OpenSubfolder(int parentFd, const char* name, bool resetAttributes) {
    int fd = openat(parentFd, name, kOpenFolder);
    if (fd < 0 && errno == EACCES && resetAttributes) {
        struct stat st {};
        if (fstatat(parentFd, name, &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISDIR(st.st_mode) &&
            fchmodat(parentFd, name, (st.st_mode & 07777) | S_IRWXU, 0) == 0)
            fd = openat(parentFd, name, kOpenFolder);
        return fd;
    }
    struct stat st {};
    if (fd >= 0 && resetAttributes && fstat(fd, &st) == 0)
        fchmod(fd, (st.st_mode & 07777) | S_IRWXU);
    return fd;
}

// The entries of the open folder `folderFd`, each removed in listing order;
// false when the last entry failed, or at once on a failure with `stopOnFailure`.
bool EmptyFolder(int folderFd, bool resetAttributes, bool stopOnFailure) {
    FdCloser listFd(dup(folderFd));
    if (listFd.Get() < 0)
        return false;
    std::unique_ptr<DIR, DirCloser> dir(fdopendir(listFd.Get()));
    if (!dir)
        return false;
    listFd.Release(); // now owned by `dir`
    bool result = true;
    while (const dirent* entry = readdir(dir.get())) {
        const char* name = entry->d_name;
        const std::string_view view(name);
        if (view.empty() || view == "." || view == "..")
            continue;
        struct stat st {};
        if (fstatat(folderFd, name, &st, AT_SYMLINK_NOFOLLOW) != 0)
            continue; // removed meanwhile
        if (S_ISDIR(st.st_mode)) {
            FdCloser child(OpenSubfolder(folderFd, name, resetAttributes));
            result = child.Get() >= 0 && EmptyFolder(child.Get(), resetAttributes, stopOnFailure) &&
                     unlinkat(folderFd, name, AT_REMOVEDIR) == 0;
        } else {
            if (resetAttributes && S_ISREG(st.st_mode))
                GiveFileWriteAccess(folderFd, name);
            result = unlinkat(folderFd, name, 0) == 0;
        }
        if (!result && stopOnFailure)
            return false;
    }
    return result;
}

} // namespace

bool DeleteTree(const std::string& folder, bool resetAttributes, bool stopOnFailure,
                bool removeFolder) {
    if (folder.empty())
        return false;
    // A link named as the folder itself is not followed either.
    FdCloser top(open(folder.c_str(), kOpenFolder));
    if (top.Get() < 0)
        return false;
    if (!EmptyFolder(top.Get(), resetAttributes, stopOnFailure))
        return false;
    return !removeFolder || rmdir(folder.c_str()) == 0;
}

} // namespace tolvane::platform
