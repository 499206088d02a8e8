// `tolvane-cli test ARCHIVE [--password-file FILE]`: expands every entry of a
// BH or ZIP archive and checks its size and CRC-32.
#pragma once

#include "platform/CodePage.h"

#include <ostream>
#include <string>
#include <vector>

namespace tolvane::cli {

// `args` are the words after "test". A file that begins like a ZIP archive is
// tested as ZIP, any other as BH. Encrypted ZIP entries are deciphered with the
// password from --password-file; without it each of them fails.
// Exit code 0 when every entry passed, 1 when an entry failed or is
// unsupported or the archive is damaged, 2 on a usage error, an empty or
// unreadable password file, or when the archive cannot be opened.
int RunTest(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

// As above, with names decoded through `codePage` instead of the environment's.
int RunTest(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
            const platform::CodePage& codePage);

} // namespace tolvane::cli
