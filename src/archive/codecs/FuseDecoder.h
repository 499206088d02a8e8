// Expands Fuse data (method 3 of BH archives) that arrives in pieces, for the
// archive readers. Written from the block format, not from the encoder, so
// that each checks the other.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

namespace tolvane::archive {

// `readPiece(buffer, length)` fills `length` bytes of the entry's coded data
// (false with its own message in `error`); `deliver` gets the expanded bytes.
// Expands exactly `declaredSize` bytes; false with `error` set when the data
// is damaged, cut short, or does not end with the last code.
bool FuseDecode(uint64_t compressedSize, uint64_t declaredSize,
                const std::function<bool(uint8_t* buffer, size_t length)>& readPiece,
                const std::function<void(const uint8_t* data, size_t length)>& deliver,
                std::string& error);

} // namespace tolvane::archive
