// The BH reader on arbitrary files: the chain of headers, and every entry
// expanded without and with the corpus's password.
#include "archive/formats/BhReader.h"

#include "FuzzSupport.h"

#include <zlib.h>

using namespace tolvane;
using namespace tolvane::archive;

namespace {

// Expansion is cut off here: a few header bytes may declare gigabytes.
constexpr uint64_t kMaxExpanded = 16u << 20;
// The readers expand in pieces and may deliver one piece past the declared size.
constexpr uint64_t kPiece = 64u << 10;

struct Enough {};

void ExtractAndCheck(BhReader& reader, const BhEntry& entry, const std::string* password) {
    uint64_t delivered = 0;
    uint32_t crc = crc32(0L, Z_NULL, 0);
    std::string error;
    bool ok = false;
    try {
        ok = reader.Extract(
            entry,
            [&](const uint8_t* data, size_t length) {
                crc = crc32(crc, data, static_cast<uInt>(length));
                delivered += length;
                FUZZ_CHECK(delivered <= uint64_t{entry.uncompressedLength} + kPiece);
                if (delivered > kMaxExpanded)
                    throw Enough{};
            },
            password, error);
    } catch (const Enough&) {
        return;
    }
    FUZZ_CHECK(ok == error.empty());
    if (entry.Encrypted() && password == nullptr)
        FUZZ_CHECK(!ok);
    if (!ok)
        return;
    FUZZ_CHECK(delivered == entry.uncompressedLength);
    FUZZ_CHECK(crc == entry.crc32);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string path = fuzz::Scratch::Get().Write("input.bh", data, size);
    const std::string password = "tolvane";
    BhReader reader(path, platform::CodePage(850, "UTF-8"));
    FUZZ_CHECK(reader.IsOpen());
    uint64_t chainEnd = 0;
    while (auto entry = reader.Next()) {
        // Entries follow one another and lie wholly in the file.
        FUZZ_CHECK(entry->headerOffset == chainEnd);
        FUZZ_CHECK(entry->dataOffset + entry->compressedLength <= size);
        chainEnd = entry->dataOffset + entry->compressedLength;
        ExtractAndCheck(reader, *entry, nullptr);
        ExtractAndCheck(reader, *entry, &password);
    }
    FUZZ_CHECK(!reader.Next().has_value());
    if (reader.ChainBroken()) {
        FUZZ_CHECK(reader.BreakOffset() == chainEnd);
        FUZZ_CHECK(!reader.BreakReason().empty());
    } else {
        FUZZ_CHECK(chainEnd == size);
    }
    return 0;
}
