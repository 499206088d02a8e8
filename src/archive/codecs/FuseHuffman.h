// Huffman code lengths limited to 16 bits and the canonical codes for them,
// as the Fuse blocks send them: lengths first, codes assigned in order of
// length, then symbol.
#pragma once

#include <cstdint>

namespace tolvane::archive::fuse {

// Builds the code for the `n` symbols of `freq`. Returns the number of
// symbols that occur. With two or more, `lengths` (1..16, 0 for an absent
// symbol) and `codes` describe a complete prefix code; with fewer, every
// length is 0 and the block format sends the one symbol instead of a tree.
// @pre n <= 512
int MakeHuffmanCode(const uint32_t* freq, int n, uint8_t* lengths, uint16_t* codes);

} // namespace tolvane::archive::fuse
