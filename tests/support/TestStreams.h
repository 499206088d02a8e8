// Memory streams that misbehave on purpose, for the stream and codec tests.
#pragma once

#include "archive/framework/MemoryStream32.h"

#include <cerrno>
#include <cstdint>
#include <vector>

namespace tolvane::test {

// Keeps the length of every Write it is given.
class RecordingStream : public archive::TMemoryStream32 {
public:
    int64_t Write(const void* buffer, int64_t count) override {
        writes.push_back(count);
        return TMemoryStream32::Write(buffer, count);
    }
    std::vector<int64_t> writes;
};

// Takes `capacity` bytes, then refuses the way a full disk does.
class FullStream : public archive::TMemoryStream32 {
public:
    explicit FullStream(int64_t capacity) : capacity_(capacity) {}
    int64_t Write(const void* buffer, int64_t count) override {
        const int64_t room = capacity_ - Size();
        return TMemoryStream32::Write(buffer, count < room ? count : room);
    }

protected:
    int LastErrorNumber() const override { return ENOSPC; }

private:
    int64_t capacity_;
};

} // namespace tolvane::test
