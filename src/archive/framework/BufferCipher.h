// The hook through which codec streams encipher their output buffers; the
// formats supply the cipher (traditional ZIP encryption).
#pragma once

#include <cstddef>
#include <cstdint>

namespace tolvane::archive {

class BufferCipher {
public:
    virtual ~BufferCipher() = default;
    // Enciphers `length` bytes in place.
    virtual void EncryptBuffer(uint8_t* data, size_t length) = 0;
};

} // namespace tolvane::archive
