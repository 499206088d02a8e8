// File identities from stat(): device and inode numbers.
#include "platform/FileIdentity.h"

#include "platform/File.h"

#include <sys/stat.h>

namespace tolvane::platform {

namespace {

FileIdentity IdentityOf(const struct stat& info) {
    return {static_cast<uint64_t>(info.st_dev), static_cast<uint64_t>(info.st_ino)};
}

} // namespace

std::optional<FileIdentity> QueryFileIdentity(const std::string& path) {
    struct stat info {};
    if (path.empty() || stat(path.c_str(), &info) != 0)
        return std::nullopt;
    return IdentityOf(info);
}

std::optional<FileIdentity> QueryFileIdentity(const File& file) {
    struct stat info {};
    if (!file.IsOpen() || fstat(file.Descriptor(), &info) != 0)
        return std::nullopt;
    return IdentityOf(info);
}

} // namespace tolvane::platform
