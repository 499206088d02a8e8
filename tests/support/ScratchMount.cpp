#include "support/ScratchMount.h"

#include <filesystem>
#include <sys/mount.h>

namespace tolvane::test {

ScratchMount::ScratchMount(const std::string& path, const std::string& size) : path_(path) {
    std::filesystem::create_directories(path);
    mounted_ = mount("tmpfs", path.c_str(), "tmpfs", 0, ("size=" + size).c_str()) == 0;
}

ScratchMount::~ScratchMount() {
    // A lazy unmount: a child killed a moment ago may still hold a file open there.
    if (mounted_)
        umount2(path_.c_str(), MNT_DETACH);
}

} // namespace tolvane::test
