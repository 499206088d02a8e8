// The Info-ZIP Unicode path extra field (0x7075): the UTF-8 form of a name
// stored in the OEM code page by a tool that sets no flag bit 11, read and written.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tolvane::archive {

inline constexpr uint16_t kZipUnicodePathTag = 0x7075;

// The UTF-8 name the extra field carries, when it has one of version 1 whose
// CRC-32 matches `storedName` (a stale field, left by a tool that renamed
// the entry without updating it, is ignored as APPNOTE says) and whose name
// is valid UTF-8.
std::optional<std::string> UnicodePathFromExtra(const std::vector<uint8_t>& extra,
                                                std::string_view storedName);

// The whole extra block (tag, length, version 1, CRC-32 of `storedName`,
// `utf8Name`) that tells readers the UTF-8 form of `storedName`. Empty when
// the block could not hold the name.
std::vector<uint8_t> UnicodePathField(std::string_view storedName, std::string_view utf8Name);

// `extra` less its Unicode path blocks: a renamed entry's old block would no
// longer match its name.
std::vector<uint8_t> WithoutUnicodePath(const std::vector<uint8_t>& extra);

} // namespace tolvane::archive
