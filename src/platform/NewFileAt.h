// A file made inside a FolderHandle that only takes its name once it is
// complete: it is written under a part-file name of its own (PartFiles.h;
// created with O_EXCL, following no link), then renamed in one step, so a
// reader never sees half a file and a file that fails its check never
// appears at all.
#pragma once

#include "platform/FolderHandle.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace tolvane::platform {

class NewFileAt {
public:
    // Creates the temporary file in `folder`, which must outlive this object.
    // Test IsOpen(); Error() tells why not.
    explicit NewFileAt(const FolderHandle& folder);
    // Removes the temporary file unless it was committed.
    ~NewFileAt();
    NewFileAt(const NewFileAt&) = delete;
    NewFileAt& operator=(const NewFileAt&) = delete;

    bool IsOpen() const { return fd_ >= 0; }
    // errno of the last failure.
    int Error() const { return error_; }

    // All of `data`, retrying on EINTR; false with Error() set (ENOSPC when
    // the disk is full).
    bool Write(const void* data, size_t length);

    // Gives the file its modification time and the permission bits `mode` &
    // 0777 (never set-user-ID, set-group-ID or sticky), then its name:
    // replacing what is there when `replace` (a link in the name's place is
    // replaced, not followed), else failing with EEXIST. 0 or the errno value.
    int Commit(const std::string& name, int64_t modifiedUnixSeconds, uint32_t mode, bool replace);

private:
    const FolderHandle& folder_;
    std::string tempName_;
    int fd_ = -1;
    int error_ = 0;
    bool created_ = false;
    bool committed_ = false;
};

} // namespace tolvane::platform
