// `tolvane-cli check-update`: the start-up update check from the command line.
#pragma once

#include "platform/Expected.h"
#include "platform/StopSignals.h"

#include <functional>
#include <ostream>
#include <string>
#include <vector>

namespace tolvane::cli {

struct CheckUpdateHooks {
    // Opens the downloaded installer with its run parameters (failing with the
    // file and the reason when it cannot); empty: the desktop's opener.
    std::function<platform::Expected<void>(const std::string& path, const std::string& parameters)>
        launch;
    // Ctrl-C and the like: the check stops where it reads the token.
    const platform::StopSignals* stop = nullptr;
};

// Exit status: 0 a newer version is offered, 1 none is, 2 the check failed
// (or the arguments were wrong), 128 + the signal's number when interrupted.
int RunCheckUpdate(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
                   const CheckUpdateHooks& hooks = {});

} // namespace tolvane::cli
