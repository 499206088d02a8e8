// A small tmpfs of its own for a test, for disk-full and cross-device runs.
// Mounting needs root (or a user namespace); a test skips when Mounted() is false.
#pragma once

#include <string>

namespace tolvane::test {

class ScratchMount {
public:
    // Creates `path` if needed and mounts a tmpfs of `size` ("64k", "16m") on it.
    ScratchMount(const std::string& path, const std::string& size);
    ~ScratchMount();
    ScratchMount(const ScratchMount&) = delete;
    ScratchMount& operator=(const ScratchMount&) = delete;

    bool Mounted() const { return mounted_; }

private:
    std::string path_;
    bool mounted_ = false;
};

} // namespace tolvane::test
