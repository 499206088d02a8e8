#include "PackCommand.h"

#include "CommandLine.h"
#include "PasswordFile.h"
#include "WriterRun.h"

#include "app/OutputFolder.h"
#include "app/WriterSettings.h"

#include "archive/formats/BhWriter.h"
#include "platform/FileSystem.h"

#include <memory>
#include <optional>

namespace tolvane::cli {

using namespace archive;

namespace {

int UsageError(std::ostream& err, const std::string& problem) {
    return ReportUsageError(err, "pack", problem);
}

constexpr const char* kUsage =
    "Usage: tolvane-cli pack FOLDER -o ARCHIVE [--level S|F|N|X]\n"
    "       tolvane-cli pack FOLDER -o ARCHIVE --method fuse [--password-file FILE]\n"
    "\n"
    "Packs the whole tree of FOLDER into the BH archive ARCHIVE. Files with an\n"
    "archive extension (.zip, .rar, .gz, ...) are stored, all others deflated.\n"
    "With --method fuse every file is coded with the Fuse method instead (and\n"
    "stored when that does not make it smaller).\n"
    "An existing ARCHIVE is updated: new files are added after its entries.\n"
    "\n"
    "Options:\n"
    "  -o, --output ARCHIVE  the archive to write (\".bh\" is added when it has no extension)\n"
    "  --level S|F|N|X       S store only, F fast, N normal (default), X maximum\n"
    "  --method deflate|fuse the compression method (default deflate)\n"
    "  --password-file FILE  with --method fuse: encrypt every entry (traditional ZIP\n"
    "                        encryption) with the password in FILE\n"
    "  --verify              test the new archive before it replaces the old one\n"
    "  --jobs N              threads that code entries (default TOLVANE_JOBS, else one\n"
    "                        per core); the archive is the same whatever the number\n"
    "  -h, --help            show this help\n"
    "\n"
    "Exit status: 0 every file packed, 1 some files left out or changed while they\n"
    "were read, 2 nothing written, 130 interrupted.\n";

bool ParseLevel(const std::string& text, TDeflateType& type) {
    if (text.size() != 1)
        return false;
    switch (text[0]) {
    case 'S':
    case 's':
        type = dtDeflateS;
        return true;
    case 'F':
    case 'f':
        type = dtDeflateF;
        return true;
    case 'N':
    case 'n':
        type = dtDeflateN;
        return true;
    case 'X':
    case 'x':
        type = dtDeflateX;
        return true;
    default:
        return false;
    }
}

} // namespace

int RunPack(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
            const PackOptions& options) {
    const CommandLine line = ParseCommandLine(args, {{"output", 'o', true},
                                                     {"level", 0, true},
                                                     {"method", 0, true},
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
    TDeflateType level = dtDeflateN;
    if (const auto value = line.Value("level"); value && !ParseLevel(*value, level))
        return UsageError(err, "unknown level '" + *value + "' (use S, F, N or X)");
    TCompressMethod method = cmDeflate;
    if (const auto value = line.Value("method")) {
        if (*value != "fuse" && *value != "deflate")
            return UsageError(err, "unknown method '" + *value + "' (use deflate or fuse)");
        method = *value == "fuse" ? cmFuse : cmDeflate;
    }
    const std::optional<std::string> passwordFile = line.Value("password-file");
    const bool verify = line.Has("verify");
    std::string archivePath = line.Value("output").value_or("");
    if (line.operands.size() > 1)
        return UsageError(err, "more than one folder given");
    std::string folder = line.operands.empty() ? "" : line.operands.front();
    if (folder.empty())
        return UsageError(err, "no folder given");
    if (archivePath.empty())
        return UsageError(err, "no archive given (use -o ARCHIVE)");
    // Only the Fuse method enciphers BH entries; a password would be ignored.
    if (passwordFile && method != cmFuse)
        return UsageError(err, "--password-file needs --method fuse");
    std::string password;
    if (passwordFile) {
        std::string error;
        if (!ReadPasswordFile(*passwordFile, password, error)) {
            err << "tolvane-cli pack: " << error << "\n";
            return 2;
        }
    }

    // Plain mistakes get a plain message before any work starts.
    while (folder.size() > 1 && folder.back() == '/')
        folder.pop_back();
    if (!platform::DirectoryExists(folder)) {
        err << "tolvane-cli pack: " << folder << ": "
            << (platform::PathExists(folder) ? "not a folder" : "no such folder") << "\n";
        return 2;
    }
    if (platform::DirectoryExists(archivePath)) {
        err << "tolvane-cli pack: " << archivePath << ": is a folder, not an archive file\n";
        return 2;
    }

    TBhWriter writer;
    app::ApplyCommonWriterSettings(writer);
    writer.DeflateType = level;
    writer.SetCompressMethod(method);
    writer.Password = password;
    writer.SetFileSpec({folder == "/" ? folder : folder + "/"});
    writer.SetExcludeSpec({});
    writer.IncludeHiddenDirs = true;
    writer.SetStoreFilesOfType(app::JobStoreFilesOfType());
    writer.SetArchiveFile(archivePath);
    writer.TestBeforeReplace = verify;

    // Before any packing, in the system's words.
    if (const std::string problem = app::OutputProblem(writer.ArchiveFile()); !problem.empty()) {
        err << "tolvane-cli pack: " << problem << "\n";
        return 2;
    }
    return RunWriter(writer, "pack", "Packing", out, err, run);
}

} // namespace tolvane::cli
