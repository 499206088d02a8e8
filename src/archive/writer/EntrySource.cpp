#include "EntrySource.h"

#include <algorithm>

namespace tolvane::archive {

namespace {

// Progress and a request to stop come between slices of this size.
constexpr int64_t kReadSlice = int64_t{256} << 10;

} // namespace

EntrySource::EntrySource(TFileStream32& file, int64_t size, const Hooks& hooks)
    : file_(file), size_(size), hooks_(hooks) {
    file_.SetPosition(0);
}

size_t EntrySource::Read(uint8_t* buffer, size_t length) {
    if (done_ >= size_ || Stopped())
        return 0;
    if (hooks_.pump)
        (*hooks_.pump)();
    if (Stopped())
        return 0;
    // Never past the size the entry was begun with, so a file that grows
    // meanwhile still gets a consistent entry.
    const int64_t want = std::min({static_cast<int64_t>(length), size_ - done_, kReadSlice});
    const int64_t read = file_.Read(buffer, want);
    if (read <= 0) {
        const int error = read < 0 ? file_.LastErrorNumber() : 0;
        throw StreamReadError(error ? "read error" : "the file became shorter while it was read",
                              error);
    }
    done_ += read;
    if (hooks_.remaining)
        *hooks_.remaining -= read;
    if (hooks_.progress && *hooks_.progress)
        (*hooks_.progress)(done_);
    return static_cast<size_t>(read);
}

} // namespace tolvane::archive
