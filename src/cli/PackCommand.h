// `tolvane-cli pack FOLDER -o ARCHIVE [--level S|F|N|X]`: a folder's whole
// tree into a BH archive, with the monetize job's writer settings.
#pragma once

#include "cli/CommandLine.h"
#include "platform/StopSignals.h"

#include <ostream>
#include <string>
#include <vector>

namespace tolvane::cli {

struct PackOptions {
    bool showProgress = false; // a progress line on `err`, a terminal
    int progressColumns = 80;  // the terminal's width
    // Ctrl-C and the like: the run stops cleanly where it reads the token.
    const platform::StopSignals* stop = nullptr;
    const platform::CancelToken* Cancel() const { return stop ? &stop->Token() : nullptr; }
    // The signal that stopped the run, or 0.
    int StopSignal() const { return stop ? stop->Number() : 0; }
    // --jobs N: the threads that code entries (0: TOLVANE_JOBS, else every core).
    int jobs = 0;
    // -q: no progress and no summary; -v: a line per entry as well.
    Verbosity verbosity = Verbosity::Normal;
};

// Exit status: 0 the archive holds every file, 1 files were left out or
// changed while they were read, 2 nothing was written (bad arguments,
// failure), 128 + the signal's number when interrupted (130 for Ctrl-C).
int RunPack(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
            const PackOptions& options = {});

} // namespace tolvane::cli
