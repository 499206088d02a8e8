// How ZIP entries appear in the listing table.
#pragma once

#include "archive/formats/ZipReader.h"
#include "cli/EntryListing.h"

#include <cstdint>
#include <string>

namespace tolvane::cli {

// "Stored", "Deflated", or the method number.
std::string ZipMethodName(uint16_t method);

ListedEntry ToListedEntry(const archive::ZipEntry& entry);

} // namespace tolvane::cli
