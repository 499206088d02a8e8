// An open folder that files and folders are made in by name, never by path:
// every call works relative to the folder's descriptor and follows no
// symbolic link, so nothing made through it can land outside the folder, and
// a link already in it is refused instead of followed. For extracting an
// archive whose names are outside input.
#pragma once

#include <cstdint>
#include <string>

namespace tolvane::platform {

class FolderHandle {
public:
    FolderHandle() = default;
    // Opens `path` (created with its parents when missing); links in `path`
    // itself are followed, as the user named it. Test IsOpen(); Error() tells why not.
    static FolderHandle OpenOrCreate(const std::string& path);
    ~FolderHandle();
    FolderHandle(FolderHandle&& other) noexcept;
    FolderHandle& operator=(FolderHandle&& other) noexcept;
    FolderHandle(const FolderHandle&) = delete;
    FolderHandle& operator=(const FolderHandle&) = delete;

    bool IsOpen() const { return fd_ >= 0; }
    int Error() const { return error_; }
    int Descriptor() const { return fd_; }

    // The folder `name` inside this one, created (mode 0777 less the umask)
    // when `create` and missing. `name` is one component: no "/", not "." or
    // "..". A link in its place is refused with ELOOP, a file with ENOTDIR.
    FolderHandle Child(const std::string& name, bool create) const;

    enum class EntryType { None, File, Folder, Link, Other };
    // What `name` is here, the link itself for a link. None when it does not exist.
    EntryType TypeOf(const std::string& name) const;

    // Sets the modification time of the folder `name` (the link itself if one
    // took its place). 0 or the errno value.
    int SetFolderTime(const std::string& name, int64_t unixSeconds) const;

private:
    explicit FolderHandle(int fd) : fd_(fd) {}
    static FolderHandle Failed(int error);
    // Opens the existing folder `path` (each system's own call).
    static FolderHandle OpenFolder(const std::string& path);
    // Gives the descriptor back to the system; a closed handle stays closed.
    void Close();

    int fd_ = -1;
    int error_ = 0;
};

} // namespace tolvane::platform
