// A file that is written in full before it takes the place of another. While
// it is written it has no name where the file system allows that (O_TMPFILE),
// so that a process killed meanwhile leaves nothing behind; elsewhere its name
// tells which process made it, so that a later run can remove it
// (RemoveStaleTempFiles).
#pragma once

#include "platform/File.h"

#include <cstdint>
#include <string>

namespace tolvane::platform {

class PendingFile {
public:
    // Creates the file in `folder`; a named one is called
    // `prefix`-PID-START-XXXXXX.tmp. Test IsOpen(); Error() tells why not.
    PendingFile(const std::string& folder, const std::string& prefix);
    // Discards the content unless it was committed.
    ~PendingFile();
    PendingFile(const PendingFile&) = delete;
    PendingFile& operator=(const PendingFile&) = delete;

    bool IsOpen() const { return file_.IsOpen(); }
    int Error() const { return error_; }
    File& Handle() { return file_; }
    const File& Handle() const { return file_; }
    bool Named() const { return !name_.empty(); }
    // A path that opens the content while this object lives: the file's name,
    // or /proc/self/fd/N for an unnamed one.
    std::string Path() const;

    // Gives the content the permission bits `mode` and puts it in place of
    // `target` in one step (an existing `target` is replaced, never left half
    // written), then closes it. 0, or the errno value: EXDEV when `target` is
    // on another file system, in which case nothing changed and the caller
    // copies the content from Path(). `durable` waits until the content and
    // the new name are on the disk (for small files that must survive a crash
    // of the machine).
    int CommitTo(const std::string& target, uint32_t mode, bool durable = false);

private:
    // Creates the process-stamped file in `folder` and opens it.
    void CreateNamed(const std::string& folder);
    int Commit(const std::string& target, uint32_t mode);

    File file_;
    std::string prefix_;
    std::string name_; // empty while unnamed
    int error_ = 0;
    bool committed_ = false;
};

} // namespace tolvane::platform
