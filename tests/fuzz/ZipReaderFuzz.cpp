// The ZIP reader on arbitrary files: end record, Zip64 records, central
// directory, and every entry expanded without and with the corpus's password.
#include "archive/formats/ZipReader.h"

#include "FuzzSupport.h"

#include <zlib.h>

using namespace tolvane;
using namespace tolvane::archive;

namespace {

// Expansion is cut off here: a few header bytes may declare gigabytes.
constexpr uint64_t kMaxExpanded = 16u << 20;
// The readers expand in pieces and may deliver one piece past the declared size.
constexpr uint64_t kPiece = 64u << 10;
constexpr size_t kCentralSize = 46;

struct Enough {};

void ExtractAndCheck(ZipReader& reader, const ZipEntry& entry, const std::string* password) {
    uint64_t delivered = 0;
    uint32_t crc = crc32(0L, Z_NULL, 0);
    std::string error;
    bool ok = false;
    try {
        ok = reader.Extract(
            entry,
            [&](const uint8_t* data, size_t length) {
                FUZZ_CHECK(length <= kPiece);
                crc = crc32(crc, data, static_cast<uInt>(length));
                delivered += length;
                FUZZ_CHECK(delivered <= entry.uncompressedSize + kPiece);
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
    FUZZ_CHECK(delivered == entry.uncompressedSize);
    FUZZ_CHECK(crc == entry.crc32);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string path = fuzz::Scratch::Get().Write("input.zip", data, size);
    const std::string password = "tolvane";
    ZipReader reader(path, platform::CodePage(850, "UTF-8"));
    FUZZ_CHECK(reader.IsOpen());
    std::vector<ZipEntry> entries;
    std::string error;
    const bool complete = reader.ReadDirectory(entries, error);
    FUZZ_CHECK(complete == error.empty());
    // Each entry has its own central record of at least 46 bytes in the file.
    FUZZ_CHECK(entries.size() <= size / kCentralSize);
    for (const ZipEntry& entry : entries) {
        ExtractAndCheck(reader, entry, nullptr);
        ExtractAndCheck(reader, entry, &password);
    }
    return 0;
}
