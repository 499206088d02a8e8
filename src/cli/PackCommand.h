// `tolvane-cli pack FOLDER -o ARCHIVE [--level S|F|N|X]`: a folder's whole
// tree into a BH archive, with the monetize job's writer settings.
#pragma once

#include <atomic>
#include <ostream>
#include <string>
#include <vector>

namespace tolvane::cli {

struct PackOptions {
    bool showProgress = false;                    // a progress bar on `err`
    const std::atomic<bool>* interrupt = nullptr; // set: stop the run (Ctrl-C)
};

// Exit status: 0 the archive holds every file, 1 files were left out,
// 2 nothing was written (bad arguments, failure), 130 interrupted.
int RunPack(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
            const PackOptions& options = {});

} // namespace tolvane::cli
