#include "platform/FileMode.h"

#include <fstream>
#include <string>
#include <sys/stat.h>

namespace tolvane::platform {

namespace {
// The umask without changing it: umask() itself would set it process-wide,
// which races with other threads creating files.
uint32_t CurrentUmask() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("Umask:", 0) == 0)
            return static_cast<uint32_t>(std::stoul(line.substr(6), nullptr, 8));
    }
    return 022;
}
} // namespace

uint32_t NewFileMode() {
    return 0666u & ~CurrentUmask();
}

uint32_t FileModeOf(const std::string& path) {
    struct stat st {};
    if (stat(path.c_str(), &st) != 0)
        return NewFileMode();
    return st.st_mode & 07777u;
}

bool ApplyFileMode(const std::string& path, uint32_t mode) {
    return chmod(path.c_str(), static_cast<mode_t>(mode)) == 0;
}

std::optional<uint32_t> ArchiveModeOf(const std::string& path) {
    struct stat st {};
    if (stat(path.c_str(), &st) != 0 || !(S_ISREG(st.st_mode) || S_ISDIR(st.st_mode)))
        return std::nullopt;
    return static_cast<uint32_t>(st.st_mode & (S_IFMT | 0777u));
}

} // namespace tolvane::platform
