// Which file a path or an open file is, whatever name it is reached by: two
// names of one file (hard links, a link followed, another spelling of the
// path) give the same identity, and a copy gives another. A writer uses it to
// pass over its own outputs when they lie inside the folder it packs.
#pragma once

#include <compare>
#include <cstdint>
#include <optional>
#include <set>
#include <string>

namespace tolvane::platform {

class File;

// POSIX: the device and inode numbers (st_dev, st_ino). Windows: the volume
// serial number and the 64-bit file index of GetFileInformationByHandle
// (ReFS's 128-bit ids from FILE_ID_INFO would need a wider `file`); a find
// record does not carry them, so a listing there leaves DirEntry::identity
// empty and callers fall back to QueryFileIdentity on the entry's path.
struct FileIdentity {
    uint64_t volume = 0;
    uint64_t file = 0;

    auto operator<=>(const FileIdentity&) const = default;
};

using FileIdentities = std::set<FileIdentity>;

// The identity of the file or folder `path` names, links followed; nullopt
// when it does not exist or cannot be queried.
std::optional<FileIdentity> QueryFileIdentity(const std::string& path);
// The identity of an open file (also one without a name); nullopt when closed.
std::optional<FileIdentity> QueryFileIdentity(const File& file);

} // namespace tolvane::platform
