// Pieces of the archive readers' messages: offsets, CRC values and raw bytes
// as they are shown to the user.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace tolvane::archive {

// "at offset N".
std::string At(uint64_t offset);
// Eight lower-case hex digits.
std::string Hex32(uint32_t value);
// "42 48 05 07": `count` bytes in hex, separated by blanks.
std::string HexBytes(const uint8_t* p, size_t count);
// A name read from an archive in single quotes, its control characters
// shown as "?" so that it cannot move the cursor or clear a terminal.
std::string ShownName(std::string_view name);

} // namespace tolvane::archive
