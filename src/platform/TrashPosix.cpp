// The home trash of the freedesktop.org trash layout: the file is renamed into
// Trash/files and described by Trash/info/NAME.trashinfo. Only a rename is
// used, so a file is either in the trash or untouched where it was.
#include "platform/Trash.h"

#include "platform/XdgFolders.h"

#include "platform/FileSystem.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fcntl.h>
#include <optional>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>
#include <vector>

namespace tolvane::platform {

namespace {

constexpr int kMaxNameAttempts = 10000;

// The .trashinfo record written for a file that is not yet in the trash; it is
// removed again unless the move succeeded, so no record points at nothing.
class PendingInfoRecord {
public:
    explicit PendingInfoRecord(std::string path) : path_(std::move(path)) {}
    ~PendingInfoRecord() {
        if (!committed_)
            unlink(path_.c_str());
    }
    PendingInfoRecord(const PendingInfoRecord&) = delete;
    PendingInfoRecord& operator=(const PendingInfoRecord&) = delete;

    void Commit() { committed_ = true; }

private:
    std::string path_;
    bool committed_ = false;
};

// $XDG_DATA_HOME/Trash, only where a home folder is known.
std::optional<std::string> TrashFolder() {
    const char* dataHome = std::getenv("XDG_DATA_HOME");
    if ((!dataHome || dataHome[0] != kPathSeparator) && !HomeFolder())
        return std::nullopt;
    return XdgDataHome() + "/Trash";
}

// Creates every missing folder of `path` with mode 0700, as the trash and the
// data folders above it are private to the user. 0 or the errno value.
int CreatePrivateFolders(const std::string& path) {
    for (size_t pos = path.find(kPathSeparator, 1);; pos = path.find(kPathSeparator, pos + 1)) {
        const std::string prefix = pos == std::string::npos ? path : path.substr(0, pos);
        if (!prefix.empty() && mkdir(prefix.c_str(), 0700) != 0 && errno != EEXIST)
            return errno;
        if (pos == std::string::npos)
            break;
    }
    return DirectoryExists(path) ? 0 : ENOTDIR;
}

// The absolute path of `path` with its folder resolved but its last component
// kept, so that a symbolic link is trashed as the link it is.
std::optional<std::string> AbsolutePath(const std::string& path, int& error) {
    std::string trimmed = path;
    while (trimmed.size() > 1 && trimmed.back() == kPathSeparator)
        trimmed.pop_back();
    const size_t slash = trimmed.rfind(kPathSeparator);
    const std::string folder = slash == std::string::npos ? "." : trimmed.substr(0, slash + 1);
    const std::string name = slash == std::string::npos ? trimmed : trimmed.substr(slash + 1);
    if (name.empty() || name == "." || name == "..") {
        error = EINVAL;
        return std::nullopt;
    }
    char resolved[PATH_MAX];
    if (!realpath(folder.c_str(), resolved)) {
        error = errno;
        return std::nullopt;
    }
    std::string absolute = resolved;
    if (absolute.back() != kPathSeparator)
        absolute.push_back(kPathSeparator);
    return absolute + name;
}

// Percent-encodes a path as the path of a file: URL: unreserved bytes and
// "/" stay, every other byte becomes %XX.
std::string EncodePath(const std::string& path) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string out;
    for (char c : path) {
        const auto byte = static_cast<unsigned char>(c);
        const bool plain = (byte >= 'A' && byte <= 'Z') || (byte >= 'a' && byte <= 'z') ||
                           (byte >= '0' && byte <= '9') || byte == '-' || byte == '.' ||
                           byte == '_' || byte == '~' || byte == '/';
        if (plain) {
            out.push_back(c);
        } else {
            out.push_back('%');
            out.push_back(kHex[byte >> 4]);
            out.push_back(kHex[byte & 0x0F]);
        }
    }
    return out;
}

std::string LocalTimestamp() {
    const time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%S", &local);
    return text;
}

// Writes all of `data` to `fd`; 0 or the errno value.
int WriteAll(int fd, const std::string& data) {
    size_t done = 0;
    while (done < data.size()) {
        const ssize_t put = write(fd, data.data() + done, data.size() - done);
        if (put < 0) {
            if (errno == EINTR)
                continue;
            return errno;
        }
        done += static_cast<size_t>(put);
    }
    return 0;
}

// Creates NAME.trashinfo exclusively; 0, EEXIST when the name is taken, or
// another errno value.
int CreateInfoRecord(const std::string& infoPath, const std::string& content) {
    const int fd = open(infoPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0)
        return errno;
    int error = WriteAll(fd, content);
    if (close(fd) != 0 && error == 0)
        error = errno;
    if (error != 0)
        unlink(infoPath.c_str());
    return error;
}

// rename() that never replaces an existing target; file systems that cannot
// promise that get a plain rename after the caller's existence check.
int MoveWithoutReplacing(const std::string& from, const std::string& to) {
    if (renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0)
        return 0;
    if (errno != EINVAL && errno != ENOSYS)
        return errno;
    return rename(from.c_str(), to.c_str()) == 0 ? 0 : errno;
}

std::string Failure(const std::string& path, const std::string& cause) {
    return "Cannot move \"" + path + "\" to the trash: " + cause;
}

} // namespace

bool MoveToTrash(const std::string& path, std::string& error) {
    error.clear();
    int errorNumber = 0;
    const auto absolute = AbsolutePath(path, errorNumber);
    if (!absolute) {
        error = Failure(path, ErrorText(errorNumber));
        return false;
    }
    struct stat own {};
    if (lstat(absolute->c_str(), &own) != 0) {
        error = Failure(path, ErrorText(errno));
        return false;
    }
    const auto trash = TrashFolder();
    if (!trash) {
        error = Failure(path, "the home folder is unknown");
        return false;
    }
    const std::string filesFolder = *trash + "/files";
    const std::string infoFolder = *trash + "/info";
    for (const std::string& folder : {filesFolder, infoFolder}) {
        if (const int rc = CreatePrivateFolders(folder); rc != 0) {
            error =
                Failure(path, "cannot create the trash folder " + folder + ": " + ErrorText(rc));
            return false;
        }
    }

    const std::string name = absolute->substr(absolute->rfind(kPathSeparator) + 1);
    const std::string content =
        "[Trash Info]\nPath=" + EncodePath(*absolute) + "\nDeletionDate=" + LocalTimestamp() + "\n";
    for (int attempt = 1; attempt <= kMaxNameAttempts; ++attempt) {
        const std::string trashName = attempt == 1 ? name : name + "." + std::to_string(attempt);
        const std::string target = filesFolder + "/" + trashName;
        // A file left in files/ without its record still owns its name.
        struct stat existing {};
        if (lstat(target.c_str(), &existing) == 0)
            continue;
        const std::string infoPath = infoFolder + "/" + trashName + ".trashinfo";
        const int rc = CreateInfoRecord(infoPath, content);
        if (rc == EEXIST)
            continue;
        if (rc != 0) {
            error = Failure(path, "cannot write " + infoPath + ": " + ErrorText(rc));
            return false;
        }
        PendingInfoRecord record(infoPath);
        if (const int moveError = MoveWithoutReplacing(*absolute, target); moveError != 0) {
            if (moveError == EEXIST)
                continue; // taken since the check above; the record goes with `record`
            if (moveError == EXDEV) {
                error = Failure(path, "it is on another file system than the trash " + *trash);
                return false;
            }
            error = Failure(path, ErrorText(moveError));
            return false;
        }
        record.Commit();
        return true;
    }
    error = Failure(path, "no free name in the trash");
    return false;
}

} // namespace tolvane::platform
