// The reusable zlib deflate engine.
#include "DeflateEngine.h"

#include <cstdlib>
#include <new>
#include <stdexcept>

namespace tolvane::archive {
namespace {

constexpr int kRawWindowBits = -15;
constexpr int kMemoryLevel = 8;

// The engine's tables are handed out zero-filled, so no byte of its state is
// ever undefined, whatever zlib reads before it writes.
voidpf ZeroAlloc(voidpf, uInt items, uInt size) {
    return std::calloc(items, size);
}
void ZeroFree(voidpf, voidpf address) {
    std::free(address);
}

} // namespace

DeflateEngine::~DeflateEngine() {
    End();
}

void DeflateEngine::Begin(int level) {
    if (initialised_ && level == level_ && deflateReset(&stream_) == Z_OK)
        return;
    End();
    Init(level);
}

uint8_t* DeflateEngine::OutputBuffer() {
    if (!outputBuffer_)
        outputBuffer_ = std::make_unique_for_overwrite<uint8_t[]>(kOutputBufferSize);
    return outputBuffer_.get();
}

void DeflateEngine::Init(int level) {
    stream_ = z_stream{};
    stream_.zalloc = ZeroAlloc;
    stream_.zfree = ZeroFree;
    const int result =
        deflateInit2(&stream_, level, Z_DEFLATED, kRawWindowBits, kMemoryLevel, Z_DEFAULT_STRATEGY);
    if (result == Z_MEM_ERROR)
        throw std::bad_alloc();
    if (result != Z_OK)
        throw std::invalid_argument("Deflate engine refused its parameters");
    initialised_ = true;
    level_ = level;
}

void DeflateEngine::End() {
    if (!initialised_)
        return;
    deflateEnd(&stream_);
    initialised_ = false;
}

} // namespace tolvane::archive
