// One zlib raw-deflate engine (window bits -15, memory level 8, default
// strategy) that a writer run keeps for all its entries: a fresh engine per
// entry would cost more than the compression of a small file.
#pragma once

#include <zlib.h>

namespace tolvane::archive {

class DeflateEngine {
public:
    DeflateEngine() = default;
    ~DeflateEngine();
    DeflateEngine(const DeflateEngine&) = delete;
    DeflateEngine& operator=(const DeflateEngine&) = delete;

    // Readies the engine for a new stream at `level`: initialised on first use
    // or when the level changes, otherwise reset (same output bytes).
    void Begin(int level);
    z_stream& Stream() { return stream_; }

private:
    z_stream stream_{};
    bool initialised_ = false;
    int level_ = 0;
};

} // namespace tolvane::archive
