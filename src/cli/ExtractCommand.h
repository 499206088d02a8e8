// `tolvane-cli extract ARCHIVE [-d FOLDER] [NAME...]`: a BH or ZIP archive's
// files and folders into a folder, with their dates and read-only bits or
// recorded modes.
#pragma once

#include "cli/PackCommand.h"

#include "platform/CodePage.h"

#include <istream>
#include <ostream>
#include <string>
#include <vector>

namespace tolvane::cli {

// Exit status: 0 every entry asked for was extracted, 1 some were not
// (refused, already there, damaged, the disk full) or the archive is
// damaged, 2 usage error or the archive or folder cannot be opened,
// 128 + the signal's number when interrupted.
int RunExtract(const std::vector<std::string>& args, std::istream& in, std::ostream& out,
               std::ostream& err, const PackOptions& options = {});

// As above, with names decoded through `codePage` instead of the environment's.
int RunExtract(const std::vector<std::string>& args, std::istream& in, std::ostream& out,
               std::ostream& err, const PackOptions& options, const platform::CodePage& codePage);

} // namespace tolvane::cli
