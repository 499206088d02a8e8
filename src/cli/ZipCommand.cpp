// `tolvane-cli zip`.
#include "ZipCommand.h"

#include "CommandLine.h"
#include "PasswordFile.h"
#include "TreeZip.h"
#include "WriterRun.h"

#include "app/OutputFolder.h"
#include "app/WriterSettings.h"

#include "platform/FileSystem.h"

#include <optional>

namespace tolvane::cli {

using namespace archive;

namespace {

constexpr const char* kUsage =
    "Usage: tolvane-cli zip PATH... -o ARCHIVE [--password-file FILE]\n"
    "\n"
    "Packs the given files into the ZIP archive ARCHIVE, each under its bare\n"
    "name, and each given folder with its whole tree under names that begin with\n"
    "the folder's name (Folder/sub/a.txt). Files with an archive extension (.bh,\n"
    ".zip, .rar, ...) are stored, all others deflated. An existing ARCHIVE is\n"
    "updated: new files are added.\n"
    "\n"
    "Options:\n"
    "  -o, --output ARCHIVE    the archive to write (\".zip\" is added when it has no extension)\n"
    "  --password-file FILE    encrypt every entry (traditional ZIP encryption) with the\n"
    "                          password in FILE (one line; the line end is not part of it)\n"
    "  --verify                test the new archive before it replaces the old one\n"
    "  --jobs N                threads that code entries (default TOLVANE_JOBS, else one\n"
    "                          per core); the archive is the same whatever the number\n"
    "  -h, --help              show this help\n"
    "\n"
    "Exit status: 0 every file packed, 1 some files left out or changed while they\n"
    "were read, 2 nothing written, 130 interrupted.\n";

int UsageError(std::ostream& err, const std::string& problem) {
    return ReportUsageError(err, "zip", problem);
}

} // namespace

int RunZip(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
           const PackOptions& options) {
    const CommandLine line = ParseCommandLine(args, {{"output", 'o', true},
                                                     {"password-file", 0, true},
                                                     {"verify", 0, false},
                                                     {"jobs", 0, true}});
    if (line.help) {
        out << kUsage;
        return 0;
    }
    if (!line.problem.empty())
        return UsageError(err, line.problem);
    PackOptions run = options;
    if (const std::string problem = ApplyRunOptions(line, run); !problem.empty())
        return UsageError(err, problem);
    const std::vector<std::string>& paths = line.operands;
    const std::string archivePath = line.Value("output").value_or("");
    const std::optional<std::string> passwordFile = line.Value("password-file");
    const bool verify = line.Has("verify");
    if (paths.empty())
        return UsageError(err, "no files given");
    if (archivePath.empty())
        return UsageError(err, "no archive given (use -o ARCHIVE)");

    std::string password;
    if (passwordFile) {
        std::string error;
        if (!ReadPasswordFile(*passwordFile, password, error)) {
            err << "tolvane-cli zip: " << error << "\n";
            return 2;
        }
    }
    for (const auto& path : paths) {
        if (!platform::PathExists(path)) {
            err << "tolvane-cli zip: " << path << ": no such file\n";
            return 2;
        }
    }
    if (platform::DirectoryExists(archivePath)) {
        err << "tolvane-cli zip: " << archivePath << ": is a folder, not an archive file\n";
        return 2;
    }

    TreeZip writer;
    app::ApplyCommonWriterSettings(writer);
    writer.SetPaths(paths);
    writer.SetExcludeSpec({});
    writer.IncludeHiddenDirs = true;
    writer.SetStoreFilesOfType(app::JobStoreFilesOfType());
    writer.Password = password;
    writer.EncryptionMethod = password.empty() ? emNone : emZIP_v2;
    writer.SetArchiveFile(archivePath);
    writer.TestBeforeReplace = verify;
    // Before any packing, in the system's words.
    if (const std::string problem = app::OutputProblem(writer.ArchiveFile()); !problem.empty()) {
        err << "tolvane-cli zip: " << problem << "\n";
        return 2;
    }
    return RunWriter(writer, "zip", "Zipping", out, err, run);
}

} // namespace tolvane::cli
