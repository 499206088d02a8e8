// The ownership of a lock, the same on every system: each system's Release()
// gives the handle back, and the lock with it.
#include "platform/FileLock.h"

#include <utility>

namespace tolvane::platform {

FileLock::FileLock(FileLock&& other) noexcept : handle_(std::exchange(other.handle_, kNone)) {}

FileLock& FileLock::operator=(FileLock&& other) noexcept {
    if (this != &other) {
        Release();
        handle_ = std::exchange(other.handle_, kNone);
    }
    return *this;
}

FileLock::~FileLock() {
    Release();
}

} // namespace tolvane::platform
