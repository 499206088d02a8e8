// What an in-process run of a command returned and printed.
#pragma once

#include <ostream>
#include <sstream>
#include <string>

namespace tolvane::test {

struct CommandOutcome {
    int status;
    std::string out, err;
};

// Runs `command(out, err)` with string streams for its two outputs.
template <typename Command> CommandOutcome RunWithOutput(Command&& command) {
    std::ostringstream out, err;
    const int status = command(static_cast<std::ostream&>(out), static_cast<std::ostream&>(err));
    return {status, out.str(), err.str()};
}

} // namespace tolvane::test
