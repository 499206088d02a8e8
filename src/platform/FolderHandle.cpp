// What an open folder does the same on every system: its making and its
// ownership. Each system's file opens and closes the descriptor.
#include "platform/FolderHandle.h"

#include "platform/FileSystem.h"

#include <cerrno>
#include <utility>

namespace tolvane::platform {

FolderHandle FolderHandle::Failed(int error) {
    FolderHandle handle;
    handle.error_ = error;
    return handle;
}

FolderHandle FolderHandle::OpenOrCreate(const std::string& path) {
    errno = 0;
    if (!CreateFolderTree(path))
        return Failed(errno != 0 ? errno : ENOENT);
    return OpenFolder(path);
}

FolderHandle::~FolderHandle() {
    Close();
}

FolderHandle::FolderHandle(FolderHandle&& other) noexcept
    : fd_(std::exchange(other.fd_, -1)), error_(other.error_) {}

FolderHandle& FolderHandle::operator=(FolderHandle&& other) noexcept {
    if (this != &other) {
        Close();
        fd_ = std::exchange(other.fd_, -1);
        error_ = other.error_;
    }
    return *this;
}

} // namespace tolvane::platform
