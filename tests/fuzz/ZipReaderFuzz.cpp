// The ZIP reader on arbitrary files: end record, Zip64 records, central
// directory, and every entry expanded without and with the corpus's password.
#include "archive/formats/ZipReader.h"

#include "FuzzSupport.h"

using namespace tolvane;
using namespace tolvane::archive;

namespace {

constexpr size_t kCentralSize = 46;

void ExtractAndCheck(ZipReader& reader, const ZipEntry& entry, const std::string* password) {
    const bool accepted = fuzz::CheckExpansion(entry.uncompressedSize, entry.crc32,
                                               [&](const auto& sink, std::string& error) {
                                                   return reader.Extract(
                                                       entry,
                                                       [&](const uint8_t* data, size_t length) {
                                                           FUZZ_CHECK(length <= fuzz::kPiece);
                                                           sink(data, length);
                                                       },
                                                       password, error);
                                               });
    FUZZ_CHECK(!accepted || password != nullptr || !entry.Encrypted());
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
