// The monetize job: the selected folder into a BH archive, an Internet
// shortcut with the referral link beside it, both into the chosen ZIP.
// Shared by the command line and the windows; it knows nothing of either, and
// it may run on any thread: it takes its inputs as a value and hands back
// what it changed in its result.
#pragma once

#include "ProgramState.h"
#include "VendorConfig.h"
#include "platform/CancelToken.h"

#include "archive/writer/WriterError.h"

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace tolvane::app {

// What the job reads, taken when it starts.
struct JobInput {
    std::string selectedFolder; // SelectedFolder
    std::string tempFolder;     // TempFolder, ends in "/"
    std::string archivePassword;
    std::string partnerId;
    std::string softwareId;
    int32_t targetLanguage = 0;
    std::string referralRef; // as an earlier job of this process left it
    std::vector<std::string> shortcutNames;
    // Why the settings could not be read; the job does not run on such settings.
    std::string settingsProblem;
    // Read each archive back and check it before it replaces the old one.
    bool testArchives = false;
    // Threads that code entries; 0 leaves the writers' choice (TOLVANE_JOBS,
    // else every core).
    int codingThreads = 0;
    // Write the ZIP anew with only the job's two entries instead of adding to
    // an existing one; the old file is replaced only by a complete, checked one.
    bool replaceArchive = false;

    static JobInput FromState(const ProgramState& state);
};

struct JobReport {
    std::string writer; // "BH" or "ZIP"
    archive::WriterReport report;
};

// An entry of the finished ZIP.
struct JobZipEntry {
    std::string name;
    uint64_t size = 0;       // uncompressed
    uint64_t packedSize = 0; // as stored, encryption header included
    bool encrypted = false;
};

struct JobResult {
    enum class Outcome {
        Done,             // the ZIP holds the new archive and shortcut, every file packed
        DoneWithProblems, // written, but files were left out or changed (see reports)
        Failed,           // nothing usable was written (see message and reports)
        Cancelled,        // stopped on request; the ZIP is as it was
        NotRun,           // no folder selected: only the closing steps ran
    };
    Outcome outcome = Outcome::NotRun;
    std::string message;
    std::vector<JobReport> reports;
    std::string referralRef; // ReferralRef after the job
    std::string zipPath;     // the ZIP as written, with any extension the writer added
    std::string url;         // the shortcut's link
    int32_t filesPacked = 0;
    int64_t bytesPacked = 0; // the sizes of the files packed into the BH archive, in all
    int32_t filesLeftOut = 0;
    std::vector<JobZipEntry> zipEntries;

    // The job's changes to the program state: the referral reference kept, the
    // password cleared (it applies to one job only).
    void ApplyTo(ProgramState& state) const;
};

struct JobProgress {
    int stage = 1;         // 1 the BH archive, 2 the ZIP
    uint8_t byArchive = 0; // per cent of the stage
    std::string_view file; // the entry being written
    int64_t done = 0;      // bytes of the stage's sources read so far
    int64_t total = 0;
    int32_t filesDone = 0;  // entries of the stage written so far
    int32_t filesTotal = 0; // files the stage's scan found
};

class MonetizeJob {
public:
    explicit MonetizeJob(VendorConfig vendor);

    // Runs on the thread that calls Run, after each piece of work of a writer.
    std::function<void(const JobProgress&)> OnProgress;

    // Runs the job after the save dialog chose `zipPath`. A request on
    // `cancel`, at any moment before or during the run, stops it and leaves
    // the ZIP as it was. The job's own files are gone on every way out.
    JobResult Run(const JobInput& input, const std::string& zipPath,
                  const platform::CancelToken& cancel);

    // The ZIP a chosen name makes: one that does not end in ".zip" (in any
    // case) gets ".zip" appended ("MyBook" gives "MyBook.zip", "book.tar.gz"
    // gives "book.tar.gz.zip").
    static std::string ZipPathFor(const std::string& chosen);
    // The BH archive's name: the ZIP's name with its ".zip" replaced by ".bh"
    // ("Docs.zip" gives "Docs.bh", "book.tar.gz" gives "book.tar.gz.bh").
    static std::string BhNameFor(const std::string& zipPath);

    // The stored names of the entries of the existing ZIP at `zipPath` other
    // than the BH archive and the shortcut this job would write there, in the
    // ZIP's order; empty when there is no such file or it cannot be read as a
    // ZIP (Run then reports that). Reads only the ZIP's directory, so that a
    // window can ask before the job starts whether to replace or add.
    static std::vector<std::string> OtherEntries(const JobInput& input, const std::string& zipPath);

private:
    VendorConfig vendor_;
};

} // namespace tolvane::app
