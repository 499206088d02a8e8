// The first stage of an entry's coding: the file's bytes from its start, up
// to the size the entry was begun with, in slices. The one place where the
// run's remaining count goes down, progress is told and a stop request is
// read: once stopped it gives no more bytes. A file that ends early, or
// cannot be read, throws StreamReadError.
#pragma once

#include "archive/framework/ByteSink.h"
#include "archive/framework/FileStream32.h"
#include "platform/CancelToken.h"

#include <cstdint>
#include <functional>

namespace tolvane::archive {

class EntrySource : public ByteSource {
public:
    struct Hooks {
        const platform::CancelToken* cancel = nullptr;
        const std::function<void()>* pump = nullptr;            // before each slice
        int64_t* remaining = nullptr;                           // lowered by each slice read
        const std::function<void(int64_t)>* progress = nullptr; // the bytes read so far
    };

    // Reads `file` from position 0.
    EntrySource(TFileStream32& file, int64_t size, const Hooks& hooks);

    size_t Read(uint8_t* buffer, size_t length) override;

    int64_t Done() const { return done_; }
    bool Stopped() const { return hooks_.cancel && hooks_.cancel->Requested(); }

private:
    TFileStream32& file_;
    int64_t size_;
    Hooks hooks_;
    int64_t done_ = 0;
};

} // namespace tolvane::archive
