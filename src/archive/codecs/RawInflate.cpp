#include "RawInflate.h"

#include <zlib.h>

#include <algorithm>
#include <vector>

namespace tolvane::archive {

namespace {

constexpr size_t kPieceSize = 64 * 1024;

class Inflater {
public:
    Inflater() { status_ = inflateInit2(&stream_, -MAX_WBITS); }
    ~Inflater() {
        if (status_ == Z_OK)
            inflateEnd(&stream_);
    }
    Inflater(const Inflater&) = delete;
    Inflater& operator=(const Inflater&) = delete;

    bool Ready() const { return status_ == Z_OK; }
    z_stream& Get() { return stream_; }

private:
    z_stream stream_{};
    int status_ = Z_STREAM_ERROR;
};

} // namespace

bool InflateRaw(uint64_t compressedSize, uint64_t declaredSize,
                const std::function<bool(uint8_t* buffer, size_t length)>& readPiece,
                const std::function<void(const uint8_t* data, size_t length)>& deliver,
                std::string& error) {
    Inflater inflater;
    if (!inflater.Ready()) {
        error = "cannot start inflate";
        return false;
    }
    z_stream& stream = inflater.Get();
    std::vector<uint8_t> input(kPieceSize);
    std::vector<uint8_t> output(kPieceSize);
    uint64_t remaining = compressedSize;
    uint64_t size = 0;
    for (;;) {
        if (stream.avail_in == 0 && remaining > 0) {
            const size_t length = static_cast<size_t>(std::min<uint64_t>(remaining, kPieceSize));
            if (!readPiece(input.data(), length))
                return false;
            stream.next_in = input.data();
            stream.avail_in = static_cast<uInt>(length);
            remaining -= length;
        }
        stream.next_out = output.data();
        stream.avail_out = static_cast<uInt>(output.size());
        const int status = inflate(&stream, Z_NO_FLUSH);
        const size_t produced = output.size() - stream.avail_out;
        if (produced > 0) {
            deliver(output.data(), produced);
            size += produced;
        }
        // Stop early rather than expand a damaged or hostile stream without bound.
        if (size > declaredSize) {
            error = "size mismatch: expands to more than the " + std::to_string(declaredSize) +
                    " bytes the header says";
            return false;
        }
        if (status == Z_STREAM_END)
            break;
        if (status == Z_DATA_ERROR || status == Z_NEED_DICT) {
            error = std::string("invalid deflate data: ") +
                    (stream.msg != nullptr ? stream.msg : "unknown");
            return false;
        }
        if (status == Z_MEM_ERROR) {
            error = "out of memory while inflating";
            return false;
        }
        // Input is refilled before every call, so no progress means none is left.
        if (status == Z_BUF_ERROR) {
            error = "deflate stream is cut short: the entry data ends before the stream does";
            return false;
        }
    }
    const uint64_t unused = stream.avail_in + remaining;
    if (unused > 0) {
        error = "deflate stream ends " + std::to_string(unused) +
                " bytes before the end of the entry data";
        return false;
    }
    return true;
}

} // namespace tolvane::archive
