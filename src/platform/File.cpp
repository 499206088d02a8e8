// The life of a File, the same on every system: each system's Close() gives
// the descriptor back.
#include "platform/File.h"

#include <utility>

namespace tolvane::platform {

File::~File() {
    Close();
}

File::File(File&& other) noexcept
    : fd_(std::exchange(other.fd_, -1)), lastError_(std::exchange(other.lastError_, 0)) {}

File& File::operator=(File&& other) noexcept {
    if (this != &other) {
        Close();
        fd_ = std::exchange(other.fd_, -1);
        lastError_ = std::exchange(other.lastError_, 0);
    }
    return *this;
}

} // namespace tolvane::platform
