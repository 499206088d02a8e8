// An exclusive lock on a file, held for the object's life: how a running
// job's folder is told from the leftovers of a job that was killed (the
// system drops the lock with the process).
#pragma once

#include "platform/Expected.h"

#include <cstdint>
#include <optional>
#include <string>

namespace tolvane::platform {

class FileLock {
public:
    // Creates `path` when missing (not through a link) and waits for its lock.
    static Expected<FileLock> Acquire(const std::string& path);
    // Takes the lock of an existing `path` without waiting; nullopt while
    // another holds it. A file that is missing or cannot be opened has no
    // lock to respect: a FileLock that holds nothing is given then.
    static std::optional<FileLock> TryExisting(const std::string& path);

    FileLock(FileLock&& other) noexcept;
    FileLock& operator=(FileLock&& other) noexcept;
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;
    ~FileLock();

    bool Holds() const { return handle_ != kNone; }

private:
    static constexpr intptr_t kNone = -1;
    explicit FileLock(intptr_t handle) : handle_(handle) {}
    void Release();

    intptr_t handle_ = kNone; // a descriptor, or a HANDLE on Windows
};

} // namespace tolvane::platform
