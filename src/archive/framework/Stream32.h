// TStream32: the base of the writers' streams, with 64-bit positions and a
// cancellable copy loop that lets the host keep its interface alive.
#pragma once

#include "platform/CancelToken.h"

#include <cstdint>
#include <functional>
#include <stdexcept>
#include <string>

namespace tolvane::archive {

enum class SeekOrigin { Begin, Current, End };

// A short read or write on a stream. `ErrorNumber` is the errno value behind
// it when the operating system gave one (ENOSPC for a full disk), else 0.
class StreamError : public std::runtime_error {
public:
    StreamError(const std::string& what, int errorNumber)
        : std::runtime_error(what), errorNumber_(errorNumber) {}
    int ErrorNumber() const { return errorNumber_; }

private:
    int errorNumber_;
};
class StreamReadError : public StreamError {
public:
    using StreamError::StreamError;
};
class StreamWriteError : public StreamError {
public:
    using StreamError::StreamError;
};

class TStream32 {
public:
    // Called by codec streams after each piece of work with their input position.
    using ProgressRoutine = std::function<void(int64_t position)>;

    static constexpr int64_t kCopyBufferSize = 131072;

    TStream32() = default;
    virtual ~TStream32() = default;
    TStream32(const TStream32&) = delete;
    TStream32& operator=(const TStream32&) = delete;

    // Bytes read (0 at the end or on failure).
    virtual int64_t Read(void* buffer, int64_t count) = 0;
    // Bytes written (fewer than `count` only on failure).
    virtual int64_t Write(const void* buffer, int64_t count) = 0;
    // New position, or -1 when the stream cannot seek so.
    virtual int64_t Seek(int64_t offset, SeekOrigin origin) = 0;
    virtual int64_t Size();
    // Throws StreamError on failure.
    virtual void SetSize(int64_t size);

    int64_t Position() { return Seek(0, SeekOrigin::Current); }
    void SetPosition(int64_t position) { Seek(position, SeekOrigin::Begin); }

    // Reads exactly `count` bytes or throws StreamReadError.
    void ReadBuffer(void* buffer, int64_t count);
    // Writes exactly `count` bytes or throws StreamWriteError (with LastErrorNumber()).
    void WriteBuffer(const void* buffer, int64_t count);

    // Copies `count` bytes from `source` (0: the whole source from position 0)
    // in pieces of up to 131072 bytes, pumping messages and checking the cancel
    // flag before each piece. Returns the bytes copied.
    virtual int64_t CopyFrom(TStream32& source, int64_t count);

    // The run's stop request (nullptr: none), read before each piece of a copy.
    void SetCancelToken(const platform::CancelToken* token) { cancel_ = token; }
    bool Cancelled() const { return cancel_ && cancel_->Requested(); }
    void SetMessagePump(std::function<void()> pump) { pump_ = std::move(pump); }
    void SetProgressRoutine(ProgressRoutine routine) { progress_ = std::move(routine); }

    // Read progress: when set, every successful Read reduces *remaining by the
    // requested length and calls the event.
    std::function<void(TStream32&)> OnReadProgress;
    int64_t* ReadRemaining = nullptr;

protected:
    // errno of the last failed operation, for error reports.
    virtual int LastErrorNumber() const { return 0; }
    void PumpMessages() const {
        if (pump_)
            pump_();
    }
    void ReportProgress(int64_t position) const {
        if (progress_)
            progress_(position);
    }
    const std::function<void()>& MessagePump() const { return pump_; }
    const ProgressRoutine& Progress() const { return progress_; }

private:
    const platform::CancelToken* cancel_ = nullptr;
    std::function<void()> pump_;
    ProgressRoutine progress_;
};

} // namespace tolvane::archive
