// `tolvane-cli extract`.
#include "cli/ExtractCommand.h"

#include "app/Translation.h"
#include "archive/formats/ArchiveExtractor.h"
#include "archive/formats/ZipReader.h"
#include "cli/ArchiveCommand.h"
#include "cli/EntryListing.h"
#include "cli/ProgressLine.h"
#include "platform/FileSystem.h"

#include <cerrno>
#include <memory>

namespace tolvane::cli {

namespace {

constexpr const char* kPrefix = "tolvane-cli extract: ";

constexpr const char* kHelp =
    "Usage: tolvane-cli extract ARCHIVE [-d FOLDER] [--password-file FILE | --password-stdin]\n"
    "                           [--overwrite] [NAME...]\n"
    "\n"
    "Extracts the files and folders of a BH or ZIP archive into FOLDER (the current\n"
    "folder by default, created when missing), with their dates and read-only bits,\n"
    "or the permission bits a Unix-made ZIP records (never set-ID or sticky bits).\n"
    "With NAMEs, only those entries and what is inside folders of those names.\n"
    "Every file's size and CRC-32 are checked before it takes its name; one that\n"
    "fails is removed and reported. Names that are absolute, hold \"..\" or a drive\n"
    "letter, or lead through a link in FOLDER are refused and never written.\n"
    "\n"
    "Options:\n"
    "  -d, --directory FOLDER  extract into FOLDER\n"
    "  --password-file FILE    decipher encrypted entries with the password in FILE\n"
    "  --password-stdin        read the password from the first line of standard input\n"
    "  --overwrite             replace files that exist (a link is replaced, not followed)\n"
    "  -q, --quiet             report only the entries that are not extracted\n"
    "  -v, --verbose           name every entry extracted\n"
    "  -h, --help              show this help and exit\n"
    "\n"
    "Exit status: 0 all extracted, 1 some entries not extracted or the archive is\n"
    "damaged, 2 usage error or the archive or FOLDER cannot be opened, 130 interrupted.\n";

const char* OutcomeWord(archive::ExtractEvent::Outcome outcome) {
    using Outcome = archive::ExtractEvent::Outcome;
    switch (outcome) {
    case Outcome::Extracted:
        return "extracted";
    case Outcome::Exists:
        return "skipped";
    case Outcome::Refused:
        return "refused";
    case Outcome::Failed:
        return "failed";
    case Outcome::WriteFailed:
        return "not written";
    }
    return "";
}

} // namespace

int RunExtract(const std::vector<std::string>& args, std::istream& in, std::ostream& out,
               std::ostream& err, const PackOptions& options) {
    return RunExtract(args, in, out, err, options, platform::CodePage::FromEnvironment());
}

int RunExtract(const std::vector<std::string>& args, std::istream& in, std::ostream& out,
               std::ostream& err, const PackOptions& options, const platform::CodePage& codePage) {
    const CommandLine line = ParseCommandLine(args, {{"directory", 'd', true},
                                                     {"password-file", 0, true},
                                                     {"password-stdin", 0, false},
                                                     {"overwrite", 0, false}});
    if (line.help) {
        out << kHelp;
        return kExitOk;
    }
    if (!line.problem.empty())
        return ReportUsageError(err, "extract", line.problem);
    if (line.operands.empty())
        return ReportUsageError(err, "extract", "missing ARCHIVE");
    std::optional<std::string> password;
    std::string problem;
    if (!TakePassword(line, in, password, problem)) {
        err << kPrefix << problem << '\n';
        return kExitNoArchive;
    }
    const std::string& path = line.operands.front();
    const std::string folder = line.Value("directory").value_or(".");
    if (folder.empty())
        return ReportUsageError(err, "extract", "option '--directory' needs a FOLDER");
    if (!platform::PathExists(path)) {
        err << kPrefix << "cannot open '" << path << "': " << platform::ErrorText(ENOENT) << '\n';
        return kExitNoArchive;
    }
    const platform::FolderHandle destination = platform::FolderHandle::OpenOrCreate(folder);
    if (!destination.IsOpen()) {
        err << kPrefix << "cannot open the folder '" << folder
            << "': " << platform::ErrorText(destination.Error()) << '\n';
        return kExitNoArchive;
    }

    archive::ExtractOptions extractOptions;
    extractOptions.password = password ? &*password : nullptr;
    extractOptions.overwrite = line.Has("overwrite");
    extractOptions.names.assign(line.operands.begin() + 1, line.operands.end());
    archive::ArchiveExtractor extractor(destination, extractOptions);

    const bool quiet = line.verbosity == Verbosity::Quiet;
    const bool verbose = line.verbosity == Verbosity::Verbose;
    std::unique_ptr<ProgressLine> bar;
    if (options.showProgress && !quiet) {
        bar = std::make_unique<ProgressLine>(err, options.progressColumns);
        bar->Stage("Extracting");
    }
    // Files and folders apart, so that the summary counts the files as the
    // progress line does.
    size_t files = 0;
    size_t folders = 0;
    size_t problems = 0;
    // The line is cleared only for a message: clearing it after every entry
    // would redraw it for each small file.
    extractor.OnEntry = [&](const archive::ExtractEvent& event) {
        const bool extracted = event.outcome == archive::ExtractEvent::Outcome::Extracted;
        if (bar && (!extracted || verbose))
            bar->Clear();
        if (extracted) {
            ++(event.folder ? folders : files);
            if (verbose)
                out << "  extracted: " << DisplayName(event.name) << '\n';
            return;
        }
        ++problems;
        err << kPrefix << DisplayName(event.name) << ": " << OutcomeWord(event.outcome) << ": "
            << event.detail << '\n';
    };
    extractor.OnProgress = [&](const archive::ArchiveExtractor::Progress& progress) {
        if (bar)
            bar->Update({static_cast<int64_t>(progress.bytesDone),
                         static_cast<int64_t>(progress.bytesTotal),
                         static_cast<int32_t>(progress.filesDone),
                         static_cast<int32_t>(progress.filesTotal), progress.name});
    };
    if (const platform::CancelToken* cancel = options.Cancel())
        extractor.StopRequested = [cancel] { return cancel->Requested(); };

    const archive::ArchiveExtractor::Result result = archive::LooksLikeZip(path)
                                                         ? extractor.ExtractZip(path, codePage)
                                                         : extractor.ExtractBh(path, codePage);
    bar.reset();
    if (result.openError != 0) {
        err << kPrefix << "cannot open '" << path << "': " << platform::ErrorText(result.openError)
            << '\n';
        return kExitNoArchive;
    }
    if (result.stopped) {
        err << kPrefix << "interrupted; the file being written was removed\n";
        return 128 + options.StopSignal();
    }
    for (const std::string& name : result.unmatched) {
        ++problems;
        err << kPrefix << DisplayName(name) << ": not in the archive\n";
    }
    if (result.diskFull)
        err << kPrefix << "the disk holding '" << folder
            << "' is full; stopped, the entries after the one named above were not extracted\n";
    if (!result.damage.empty())
        err << kPrefix << "'" << path << "' is damaged: " << result.damage << '\n';
    if (!quiet) {
        out << app::EnglishCount("%1 file", "%1 files", files);
        if (folders > 0)
            out << " and " << app::EnglishCount("%1 folder", "%1 folders", folders);
        out << " extracted to " << folder << '\n';
    }
    if (problems > 0)
        err << kPrefix
            << app::EnglishCount("%1 entry was not extracted (see above)",
                                 "%1 entries were not extracted (see above)", problems)
            << "\n";
    return problems > 0 || result.diskFull || !result.damage.empty() ? kExitDamaged : kExitOk;
}

} // namespace tolvane::cli
