// `tolvane-cli test ARCHIVE`: expands every entry and checks its size and CRC-32.
#pragma once

#include "platform/CodePage.h"

#include <ostream>
#include <string>
#include <vector>

namespace tolvane::cli {

// `args` are the words after "test". Exit code 0 when every entry passed,
// 1 when an entry failed or is unsupported or the chain of entries breaks,
// 2 on a usage error or when the archive cannot be opened.
int RunTest(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

// As above, with names decoded through `codePage` instead of the environment's.
int RunTest(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
            const platform::CodePage& codePage);

} // namespace tolvane::cli
