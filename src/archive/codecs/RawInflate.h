// Expands a raw deflate stream (no zlib header) that arrives in pieces, for
// the archive readers: the expansion stops past the size the entry declares,
// and the stream must end exactly with the entry's data.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

namespace tolvane::archive {

// `readPiece(buffer, length)` fills `length` bytes of the entry's data (false
// with its own message in `error`); `deliver` gets the expanded bytes.
// False with `error` set when the data is damaged, cut short or too long.
bool InflateRaw(uint64_t compressedSize, uint64_t declaredSize,
                const std::function<bool(uint8_t* buffer, size_t length)>& readPiece,
                const std::function<void(const uint8_t* data, size_t length)>& deliver,
                std::string& error);

} // namespace tolvane::archive
