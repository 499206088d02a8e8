// `tolvane-cli zip PATH... -o ARCHIVE [--password-file FILE]`: files into a
// ZIP archive under their bare names, optionally with traditional encryption.
#pragma once

#include "PackCommand.h"

#include <ostream>
#include <string>
#include <vector>

namespace tolvane::cli {

int RunZip(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
           const PackOptions& options = {});

} // namespace tolvane::cli
