// `tolvane-cli monetize FOLDER -o OUT.zip`: the monetize job from the
// command line, and `tolvane-cli settings`: the stored IDs and language.
#pragma once

#include "PackCommand.h"

#include <istream>
#include <ostream>
#include <string>
#include <vector>

namespace tolvane::cli {

int RunMonetize(const std::vector<std::string>& args, std::istream& in, std::ostream& out,
                std::ostream& err, const PackOptions& options = {});

int RunSettings(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

} // namespace tolvane::cli
