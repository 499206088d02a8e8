#include "PackCommand.h"

#include "PasswordFile.h"
#include "WriterRun.h"
#include "app/WriterSettings.h"

#include "archive/formats/BhWriter.h"
#include "platform/FileSystem.h"

#include <memory>
#include <optional>

namespace tolvane::cli {

using namespace archive;

namespace {

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

int UsageError(std::ostream& err, const std::string& message) {
    err << "tolvane-cli pack: " << message << "\n"
        << "Try 'tolvane-cli pack --help'.\n";
    return 2;
}

} // namespace

int RunPack(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
            const PackOptions& options) {
    std::string folder;
    std::string archivePath;
    TDeflateType level = dtDeflateN;
    TCompressMethod method = cmDeflate;
    std::optional<std::string> passwordFile;
    bool verify = false;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "-h" || arg == "--help") {
            out << kUsage;
            return 0;
        }
        if (arg == "--verify") {
            verify = true;
            continue;
        }
        if (arg == "-o" || arg == "--output" || arg == "--level" || arg == "--method" ||
            arg == "--password-file") {
            if (i + 1 >= args.size())
                return UsageError(err, "option " + arg + " needs a value");
            const std::string& value = args[++i];
            if (arg == "--level") {
                if (!ParseLevel(value, level))
                    return UsageError(err, "unknown level '" + value + "' (use S, F, N or X)");
            } else if (arg == "--method") {
                if (value != "fuse" && value != "deflate")
                    return UsageError(err, "unknown method '" + value + "' (use deflate or fuse)");
                method = value == "fuse" ? cmFuse : cmDeflate;
            } else if (arg == "--password-file") {
                passwordFile = value;
            } else {
                archivePath = value;
            }
            continue;
        }
        if (!arg.empty() && arg[0] == '-' && arg != "-")
            return UsageError(err, "unknown option '" + arg + "'");
        if (!folder.empty())
            return UsageError(err, "more than one folder given");
        folder = arg;
    }
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

    return RunWriter(writer, "pack", "Packing", out, err, options);
}

} // namespace tolvane::cli
