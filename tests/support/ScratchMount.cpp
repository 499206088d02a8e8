#include "support/ScratchMount.h"

#include <filesystem>
#include <sys/mount.h>

namespace tolvane::test {

ScratchMount::ScratchMount(const std::string& path, const std::string& size) : path_(path) {
    std::filesystem::create_directories(path);
    mounted_ = mount("tmpfs", path.c_str(), "tmpfs", 0, ("size=" + size).c_str()) == 0;
}

ScratchMount::~ScratchMount() {
    // Lazy: something still open there after a failed check must not leave the
    // mount in place of the scratch folder it hides.
    if (mounted_)
        umount2(path_.c_str(), MNT_DETACH);
}

} // namespace tolvane::test
