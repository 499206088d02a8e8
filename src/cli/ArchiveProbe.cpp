// Tells a file that is no archive at all from a damaged one.
#include "cli/ArchiveProbe.h"

#include "archive/formats/BhReader.h"
#include "archive/formats/ZipReader.h"
#include "platform/File.h"

#include <cstdint>

namespace tolvane::cli {

bool IsNoArchive(const std::string& path) {
    if (archive::LooksLikeZip(path))
        return false;
    platform::File file(path, platform::File::Mode::Read);
    uint8_t magic[4] = {};
    const int64_t got = file.IsOpen() ? file.Read(magic, sizeof magic) : -1;
    if (got <= 0)
        return false;
    const uint32_t signature =
        magic[0] | magic[1] << 8 | magic[2] << 16 | static_cast<uint32_t>(magic[3]) << 24;
    return got < 4 || signature != archive::kBhSignature;
}

} // namespace tolvane::cli
