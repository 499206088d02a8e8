// A sink that appends to a stream at its position.
#pragma once

#include "ByteSink.h"
#include "Stream32.h"

namespace tolvane::archive {

class StreamSink : public ByteSink {
public:
    explicit StreamSink(TStream32& stream) : stream_(stream) {}
    // Throws StreamWriteError when the stream cannot take them all.
    void Write(uint8_t* data, size_t length) override {
        stream_.WriteBuffer(data, static_cast<int64_t>(length));
    }

private:
    TStream32& stream_;
};

} // namespace tolvane::archive
