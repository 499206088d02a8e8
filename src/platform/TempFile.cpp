// Temporary folder lookup and unique file creation, in place of GetTempPath
// and GetTempFileName.
#include "platform/TempFile.h"

#include "platform/FileSystem.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <unistd.h>

namespace tolvane::platform {

namespace {

std::string WithSeparator(std::string folder) {
    if (!folder.empty() && folder.back() != kPathSeparator)
        folder.push_back(kPathSeparator);
    return folder;
}

} // namespace

std::string SystemTempFolder() {
    const char* fromEnvironment = std::getenv("TMPDIR");
    if (fromEnvironment && *fromEnvironment && DirectoryExists(fromEnvironment))
        return WithSeparator(fromEnvironment);
    return "/tmp/";
}

std::string CreateUniqueFile(const std::string& folder, const std::string& prefix, int& error) {
    static constexpr char kUniquePart[] = "XXXXXX";
    static constexpr char kExtension[] = ".tmp";
    std::string path = WithSeparator(folder) + prefix + kUniquePart + kExtension;
    // mkostemps creates the file exclusively with mode 0600, so two processes
    // can never be handed the same name.
    const int fd = mkostemps(path.data(), static_cast<int>(sizeof kExtension - 1), O_CLOEXEC);
    if (fd < 0) {
        error = errno;
        return std::string();
    }
    close(fd);
    error = 0;
    return path;
}

} // namespace tolvane::platform
