#include "support/ScratchMount.h"

#include <filesystem>
#ifdef __linux__
#include <sys/mount.h>
#endif

namespace tolvane::test {

ScratchMount::ScratchMount(const std::string& path, const std::string& size) : path_(path) {
    std::filesystem::create_directories(path);
#ifdef __linux__
    mounted_ = mount("tmpfs", path.c_str(), "tmpfs", 0, ("size=" + size).c_str()) == 0;
#else
    // Nothing to mount elsewhere: the tests that need it skip.
    (void)size;
#endif
}

ScratchMount::~ScratchMount() {
    // Lazy: something still open there after a failed check must not leave the
    // mount in place of the scratch folder it hides.
#ifdef __linux__
    if (mounted_)
        umount2(path_.c_str(), MNT_DETACH);
#endif
}

} // namespace tolvane::test
