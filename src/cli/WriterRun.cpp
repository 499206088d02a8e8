// Runs a configured archive writer for a command.
#include "cli/WriterRun.h"

#include "app/ProgressTally.h"
#include "app/Translation.h"
#include "cli/EntryListing.h"
#include "cli/ErrorReport.h"
#include "cli/ProgressLine.h"

#include <algorithm>
#include <cstdlib>
#include <memory>

namespace tolvane::cli {

using namespace archive;

std::string ApplyRunOptions(const CommandLine& line, PackOptions& run) {
    run.verbosity = line.verbosity;
    if (run.verbosity == Verbosity::Quiet)
        run.showProgress = false;
    const std::optional<std::string> jobs = line.Value("jobs");
    if (!jobs)
        return "";
    char* end = nullptr;
    const long n = std::strtol(jobs->c_str(), &end, 10);
    if (jobs->empty() || *end != '\0' || n < 1 || n > 256)
        return "--jobs takes a number of threads from 1 to 256";
    run.jobs = static_cast<int>(n);
    return "";
}

int RunWriter(TCustomCClass& writer, const std::string& command, const std::string& progressLabel,
              std::ostream& out, std::ostream& err, const PackOptions& options) {
    const std::string prefix = "tolvane-cli " + command + ": ";
    std::unique_ptr<ProgressLine> bar;
    if (options.showProgress) {
        bar = std::make_unique<ProgressLine>(err, options.progressColumns);
        bar->Stage(progressLabel);
    }
    app::ProgressTally tally;
    writer.OnFileScanStatus = [&tally](TZipCommon&, const std::string&, int32_t count, int64_t) {
        tally.Scanned(count);
    };
    const bool verbose = options.verbosity == Verbosity::Verbose;
    writer.OnProgressDetail = [&](TZipCommon&, const ProgressDetail& detail) {
        const bool finished = tally.Progressed(detail);
        if (finished && verbose) {
            if (bar)
                bar->Clear();
            out << "  added: " << DisplayName(detail.entryName) << "\n";
        }
        if (bar)
            bar->Update({detail.runDone, detail.runTotal, tally.FilesDone(), tally.FilesTotal(),
                         detail.entryName});
    };
    // Folder entries are counted apart, as the progress line counts files only.
    int32_t folders = 0;
    writer.OnEnd = [&folders](TZipCommon&, const std::string& name, bool) {
        if (!name.empty() && name.back() == '/')
            ++folders;
    };
    int leftOut = 0;
    int warnings = 0;
    bool failed = false;
    bool nothingToDo = false;
    writer.OnReport = [&](TZipCommon&, const WriterReport& report) {
        switch (report.grade) {
        case ReportGrade::Notice:
            nothingToDo = nothingToDo || report.code == kErrNothingToDo;
            return;
        case ReportGrade::Cancelled:
            return;
        case ReportGrade::Warning:
            ++warnings;
            break;
        case ReportGrade::LeftOut:
            ++leftOut;
            break;
        case ReportGrade::Failed:
            failed = true;
            break;
        }
        if (bar)
            bar->Clear();
        err << prefix << FormatWriterError(report, verbose) << "\n";
    };
    writer.OnNonWriteableArchive = [&](TZipCommon&, const std::string& file, bool& writeToFile) {
        failed = true;
        if (bar)
            bar->Clear();
        err << prefix << file << ": the archive is read-only; it was left as it is\n";
        writeToFile = false;
    };
    // The file on disk is what the user asks to pack: a changed file replaces its entry.
    writer.OnReplaceFile = [](TZipCommon&, const std::string&, const std::string&, std::time_t,
                              std::time_t, int64_t, int64_t, int32_t, int32_t,
                              bool& replace) { replace = true; };
    writer.SetCancelToken(options.Cancel());

    if (options.jobs > 0)
        writer.CodingThreads = options.jobs;
    const int32_t packed = writer.Compress();
    bar.reset();
    const std::string& written = writer.ArchiveFile();
    // A stop that came once the archive was replaced cannot undo it: then the
    // run is reported as it ended.
    if (options.StopSignal() != 0 && packed == 0) {
        err << prefix << "interrupted; " << written << " was left as it was\n";
        return 128 + options.StopSignal();
    }
    if (packed == 0) {
        if (nothingToDo && !failed && leftOut == 0 && warnings == 0) {
            if (options.verbosity != Verbosity::Quiet)
                out << written << ": up to date, nothing to add\n";
            return 0;
        }
        err << prefix << "nothing was written to " << written << "\n";
        return 2;
    }
    if (options.verbosity != Verbosity::Quiet) {
        const int32_t folderEntries = std::min(folders, packed);
        out << written << ": " << app::EnglishCount("%1 file", "%1 files", packed - folderEntries);
        if (folderEntries > 0)
            out << " and " << app::EnglishCount("%1 folder", "%1 folders", folderEntries);
        out << " written\n";
    }
    if (leftOut > 0) {
        err << prefix
            << app::EnglishCount("%1 problem reported; the file named above is not in the archive",
                                 "%1 problems reported; the files named above are not in the "
                                 "archive",
                                 leftOut)
            << "\n";
    }
    if (warnings > 0) {
        err << prefix
            << app::EnglishCount("%1 warning reported; the file named above is in the archive as "
                                 "it was read",
                                 "%1 warnings reported; the files named above are in the archive "
                                 "as they were read",
                                 warnings)
            << "\n";
    }
    return leftOut > 0 || warnings > 0 ? 1 : 0;
}

} // namespace tolvane::cli
