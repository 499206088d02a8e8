// The two ends an entry's bytes pass between on their way into an archive: a
// source that a codec pulls from and a sink that it pushes to. The stages in
// between (the CRC on the source side, the cipher on the sink side) are one
// or the other, so that each concern is done in one place for every codec.
#pragma once

#include <cstddef>
#include <cstdint>

namespace tolvane::archive {

class ByteSource {
public:
    virtual ~ByteSource() = default;
    // Up to `length` bytes into `buffer`; 0 at the end, or once stopped.
    virtual size_t Read(uint8_t* buffer, size_t length) = 0;
};

class ByteSink {
public:
    virtual ~ByteSink() = default;
    // Takes `length` bytes; may change them in place (a cipher does).
    virtual void Write(uint8_t* data, size_t length) = 0;
};

// Reads until `length` bytes are in or the source ends; the count read.
inline size_t ReadFull(ByteSource& source, uint8_t* buffer, size_t length) {
    size_t got = 0;
    while (got < length) {
        const size_t read = source.Read(buffer + got, length - got);
        if (read == 0)
            break;
        got += read;
    }
    return got;
}

} // namespace tolvane::archive
