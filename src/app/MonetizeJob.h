// The monetize job: the selected folder into a BH archive, an Internet
// shortcut with the referral link beside it, both into the chosen ZIP.
// Shared by the command line and the windows; it knows nothing of either.
#pragma once

#include "ProgramState.h"
#include "VendorConfig.h"

#include "archive/formats/BhWriter.h"
#include "archive/formats/ZipWriter.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace tolvane::app {

struct JobReport {
    std::string writer; // "BH" or "ZIP"
    int code = 0;
    std::string fileName;
    std::string extendedMsg;
};

struct JobResult {
    enum class Outcome {
        Done,             // the ZIP holds the new archive and shortcut, every file packed
        DoneWithProblems, // written, but some files were left out (see reports)
        Failed,           // nothing usable was written (see message and reports)
        Cancelled,
        NotRun, // no folder selected: only the closing steps ran
    };
    Outcome outcome = Outcome::NotRun;
    std::string message;
    std::vector<JobReport> reports;
};

class MonetizeJob {
public:
    MonetizeJob(ProgramState& state, VendorConfig vendor);

    // Stage 1 is the BH archive (BhWriter1), stage 2 the ZIP (Zip1).
    std::function<void(int stage, uint8_t byArchive)> OnProgress;
    // Called between pieces of work, so a host can keep its interface alive.
    std::function<void()> ProcessMessages;

    // Stops the job at its next check; safe from any thread.
    void Cancel() { cancelled_.store(true); }

    // Runs the job after the save dialog chose `zipPath`. The closing steps
    // (password cleared, the job's files removed) run on every path.
    JobResult Run(const std::string& zipPath);

    // "Docs.zip" gives "Docs.bh": the last three characters go, "bh" follows.
    static std::string BhNameFor(const std::string& zipPath);

private:
    void Configure(archive::TCustomCClass& writer, const char* name);
    void PumpAndCheck(archive::TCustomCClass& writer);

    ProgramState& state_;
    VendorConfig vendor_;
    archive::TBhWriter BhWriter1;
    archive::TZip Zip1;
    std::atomic<bool> cancelled_{false};
    std::vector<JobReport> reports_;
};

} // namespace tolvane::app
