// The BH reader on arbitrary files: the chain of headers, and every entry
// expanded without and with the corpus's password.
#include "archive/formats/BhReader.h"

#include "FuzzSupport.h"

using namespace tolvane;
using namespace tolvane::archive;

namespace {

void ExtractAndCheck(BhReader& reader, const BhEntry& entry, const std::string* password) {
    const bool accepted = fuzz::CheckExpansion(
        entry.uncompressedLength, entry.crc32, [&](const auto& sink, std::string& error) {
            return reader.Extract(entry, sink, password, error);
        });
    FUZZ_CHECK(!accepted || password != nullptr || !entry.Encrypted());
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
