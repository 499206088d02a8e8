// The parameter set of the Fuse method: a static-Huffman LZSS coder whose
// blocks have the layout of the LHA family's lh5 method, with a 16 KiB window.
#pragma once

#include <cstddef>
#include <cstdint>

namespace tolvane::archive::fuse {

inline constexpr int kDicBit = 14;
inline constexpr size_t kDicSize = size_t{1} << kDicBit;     // window in bytes
inline constexpr size_t kMaxMatch = 256;                     // longest match
inline constexpr size_t kThreshold = 3;                      // shortest coded match
inline constexpr int kNC = 256 + kMaxMatch - kThreshold + 1; // literals + lengths 3..256
inline constexpr int kNT = 19;                               // code-length alphabet
inline constexpr int kTBit = 5;
inline constexpr int kCBit = 9;
inline constexpr int kNP = kDicBit + 1; // bit length of a distance, 0..14
inline constexpr int kPBit = 5;
inline constexpr int kMaxCodeBits = 16;

inline constexpr size_t kBlockBufferSize = 32768;
inline constexpr size_t kOutputBufferSize = 32768;

// A match of length `length` is coded as this character code.
inline constexpr int MatchCode(size_t length) {
    return static_cast<int>(length + 256 - kThreshold);
}

static_assert(kNC == 510);
static_assert(MatchCode(kMaxMatch) == kNC - 1);

} // namespace tolvane::archive::fuse
