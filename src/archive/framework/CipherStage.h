// Enciphers the bytes on their way to a sink, in place (without a cipher the
// bytes pass as they are).
#pragma once

#include "BufferCipher.h"
#include "ByteSink.h"

namespace tolvane::archive {

class CipherStage : public ByteSink {
public:
    CipherStage(BufferCipher* cipher, ByteSink& to) : cipher_(cipher), to_(to) {}

    void Write(uint8_t* data, size_t length) override {
        if (cipher_)
            cipher_->EncryptBuffer(data, length);
        to_.Write(data, length);
    }

private:
    BufferCipher* cipher_;
    ByteSink& to_;
};

} // namespace tolvane::archive
