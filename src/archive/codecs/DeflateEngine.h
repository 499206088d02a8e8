// One zlib raw-deflate engine (window bits -15, memory level 8, default
// strategy) that a writer run keeps for all its entries: a fresh engine per
// entry would cost more than the compression of a small file. The engine also
// owns the output buffer of the stream that drives it, for the same reason.
// One engine serves one compress stream at a time.
#pragma once

#include <zlib.h>

#include <cstddef>
#include <cstdint>
#include <memory>

namespace tolvane::archive {

class DeflateEngine {
public:
    static constexpr size_t kOutputBufferSize = 131070;

    DeflateEngine() = default;
    ~DeflateEngine();
    DeflateEngine(const DeflateEngine&) = delete;
    DeflateEngine& operator=(const DeflateEngine&) = delete;

    // Readies the engine for a new stream at `level`: initialised on first use
    // or when the level changes, otherwise reset (same output bytes). Throws
    // std::bad_alloc when the engine cannot get its memory.
    void Begin(int level);
    z_stream& Stream() { return stream_; }
    // kOutputBufferSize bytes, allocated on first use and kept.
    uint8_t* OutputBuffer();

private:
    void Init(int level);
    void End();

    z_stream stream_{};
    bool initialised_ = false;
    int level_ = 0;
    std::unique_ptr<uint8_t[]> outputBuffer_;
};

} // namespace tolvane::archive
