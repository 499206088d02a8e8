// How BH entries appear in the listing table.
#pragma once

#include "archive/formats/BhReader.h"
#include "cli/EntryListing.h"

#include <cstdint>
#include <string>

namespace tolvane::cli {

// "Stored", "Deflated", "Fuse", or the method number.
std::string BhMethodName(uint8_t method);

ListedEntry ToListedEntry(const archive::BhEntry& entry);

} // namespace tolvane::cli
