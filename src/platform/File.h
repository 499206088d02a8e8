// A file handle that closes itself; failures are reported through return
// values and the errno value kept in the object, never by exceptions.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace tolvane::platform {

// What fstat() tells of an open file, to notice a file that changes while it
// is read.
struct FileStatus {
    int64_t size = 0;
    int64_t modifiedNs = 0; // last write, nanoseconds since 1970
    bool regular = false;   // a plain file, not a pipe, device or folder
};

class File {
public:
    enum class Mode {
        Read,           // existing file, read only; opening a named pipe never blocks
        ReadWrite,      // existing file, read and write
        CreateTruncate, // created or truncated, read and write
    };
    enum class Origin { Begin, Current, End };

    File() = default;
    File(const std::string& path, Mode mode);
    ~File();
    File(File&& other) noexcept;
    File& operator=(File&& other) noexcept;
    File(const File&) = delete;
    File& operator=(const File&) = delete;

    bool IsOpen() const { return fd_ >= 0; }
    // errno of the last failed call (0 when none failed).
    int LastError() const { return lastError_; }

    // Bytes read, 0 at the end of the file, -1 on failure. Retries on EINTR
    // and reads until `count` bytes or the end of the file.
    int64_t Read(void* buffer, size_t count);
    // Bytes written; fewer than `count` only on failure (LastError tells why).
    int64_t Write(const void* buffer, size_t count);
    // New position, or -1 on failure.
    int64_t Seek(int64_t offset, Origin origin);
    // Size in bytes, or -1 on failure.
    int64_t Size();
    bool Truncate(int64_t size);
    bool Status(FileStatus& status);
    bool Close();
    // The descriptor, for the platform layer's own calls (-1 when closed).
    int Descriptor() const { return fd_; }

private:
    friend class PendingFile;
    explicit File(int fd) : fd_(fd) {}

    int fd_ = -1;
    int lastError_ = 0;
};

} // namespace tolvane::platform
