// The Info-ZIP Unicode path field: taken only when it matches the stored name.
#include "archive/formats/ZipUnicodePath.h"

#include "support/BhArchiveBuilder.h"

#include <gtest/gtest.h>

namespace tolvane::archive {
namespace {

// A 0x7075 block of `version` for `stored`, carrying `name`.
std::vector<uint8_t> UnicodeBlock(const std::string& stored, const std::string& name,
                                  uint8_t version = 1, uint32_t crcFlip = 0) {
    std::vector<uint8_t> block(9 + name.size());
    test::StoreLE16(block.data(), 0x7075);
    test::StoreLE16(block.data() + 2, static_cast<uint16_t>(5 + name.size()));
    block[4] = version;
    test::StoreLE32(block.data() + 5, test::ZlibCrc32(test::Bytes(stored)) ^ crcFlip);
    std::copy(name.begin(), name.end(), block.begin() + 9);
    return block;
}

TEST(ZipUnicodePathTest, OnlyAMatchingFieldOfVersionOneCounts) {
    const std::string stored = "Gr\x81\xE1"
                               "e.txt"; // OEM 437 bytes
    const std::string utf8 = "Gr\xC3\xBC\xC3\x9F"
                             "e.txt";
    std::vector<uint8_t> afterOther = {0x55, 0x54, 0x01, 0x00, 0x03}; // another field first
    const std::vector<uint8_t> block = UnicodeBlock(stored, utf8);
    afterOther.insert(afterOther.end(), block.begin(), block.end());
    const std::pair<std::vector<uint8_t>, std::optional<std::string>> cases[] = {
        {UnicodeBlock(stored, utf8), utf8},
        {afterOther, utf8},
        {UnicodeBlock(stored, utf8, 2), std::nullopt},
        {UnicodeBlock(stored, utf8, 1, 1), std::nullopt}, // stale: the entry was renamed
        {UnicodeBlock(stored, "bad\xFF"), std::nullopt},
        {{0x75, 0x70, 0x20, 0x00, 0x01}, std::nullopt}, // longer than the extra field
        {{}, std::nullopt},
    };
    for (const auto& [extra, expected] : cases)
        EXPECT_EQ(UnicodePathFromExtra(extra, stored), expected);
}

} // namespace
} // namespace tolvane::archive
