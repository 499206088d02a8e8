// `tolvane-cli list ARCHIVE`: the table of a BH or ZIP archive's entries.
#pragma once

#include "platform/CodePage.h"

#include <ostream>
#include <string>
#include <vector>

namespace tolvane::cli {

// `args` are the words after "list". A file that begins like a ZIP archive is
// listed from its central directory, any other as BH. Exit code 0 when the
// whole archive was listed, 1 when it is damaged (a BH chain of entries breaks,
// a ZIP directory cannot be read; what came before is listed), 2 on a usage
// error or when the archive cannot be opened.
int RunList(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

// As above, with names decoded through `codePage` instead of the environment's.
int RunList(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
            const platform::CodePage& codePage);

} // namespace tolvane::cli
