// The output of a run: a file that replaces the archive at the end, or is
// discarded (never left behind) when the run does not commit it.
#pragma once

#include "archive/framework/FileStream32.h"

#include "platform/FileIdentity.h"
#include "platform/PendingFile.h"

#include <optional>
#include <string>

namespace tolvane::archive {

class TTempFileStream : public THandleStream32 {
public:
    // Creates the output in `folder`; test IsValid(), LastErrorNumber() tells why not.
    TTempFileStream(const std::string& folder, const std::string& prefix);

    // A path that opens the output while the stream lives.
    std::string Path() const { return pending_.Path(); }
    std::optional<platform::FileIdentity> Identity() const {
        return platform::QueryFileIdentity(pending_.Handle());
    }
    // Puts the output in place of `archive` (see platform::PendingFile::CommitTo).
    int CommitTo(const std::string& archive, uint32_t mode) {
        return pending_.CommitTo(archive, mode);
    }
    int LastErrorNumber() const override {
        return pending_.IsOpen() ? pending_.Handle().LastError() : pending_.Error();
    }

protected:
    platform::File& Handle() override { return pending_.Handle(); }
    const platform::File& Handle() const override { return pending_.Handle(); }

private:
    platform::PendingFile pending_;
};

// Deletes a file when it goes out of scope unless released.
class ScopedFileRemoval {
public:
    explicit ScopedFileRemoval(std::string path) : path_(std::move(path)) {}
    ~ScopedFileRemoval();
    ScopedFileRemoval(const ScopedFileRemoval&) = delete;
    ScopedFileRemoval& operator=(const ScopedFileRemoval&) = delete;
    void Release() { path_.clear(); }

private:
    std::string path_;
};

} // namespace tolvane::archive
