// `tolvane-cli list ARCHIVE [--json]`.
#include "cli/ListCommand.h"

#include "archive/formats/BhReader.h"
#include "archive/formats/ZipReader.h"
#include "cli/ArchiveCommand.h"
#include "cli/ArchiveProbe.h"
#include "cli/BhListing.h"
#include "cli/EntryListing.h"
#include "cli/ZipListing.h"
#include "platform/FileSystem.h"

namespace tolvane::cli {

namespace {

constexpr const char* kPrefix = "tolvane-cli list: ";

constexpr const char* kHelp =
    "Usage: tolvane-cli list [--json] ARCHIVE\n"
    "\n"
    "Lists the entries of a BH or ZIP archive: sizes, the space saved, method,\n"
    "date-time, attributes (r read-only, h hidden, s system, d folder, a archive)\n"
    "and CRC-32.\n"
    "\n"
    "Options:\n"
    "  --json      one JSON object per entry, in an array: name, size, packedSize,\n"
    "              method, modified, attributes, folder, crc32, encrypted\n"
    "  -h, --help  show this help and exit\n"
    "\n"
    "Exit status: 0 listed, 1 damaged archive, 2 usage error, no archive or archive\n"
    "not readable.\n";

int ListZip(const std::string& path, const platform::CodePage& codePage, EntryListing& listing,
            std::ostream& err) {
    archive::ZipReader reader(path, codePage);
    if (!reader.IsOpen()) {
        err << kPrefix << "cannot open '" << path
            << "': " << platform::ErrorText(reader.OpenError()) << '\n';
        return kExitNoArchive;
    }
    std::vector<archive::ZipEntry> entries;
    std::string damage;
    const bool whole = reader.ReadDirectory(entries, damage);
    listing.Begin();
    for (const archive::ZipEntry& entry : entries)
        listing.Add(ToListedEntry(entry));
    listing.End();
    if (!whole) {
        err << kPrefix << "'" << path << "' is damaged: " << damage << '\n';
        return kExitDamaged;
    }
    return kExitOk;
}

int ListBh(const std::string& path, const platform::CodePage& codePage, EntryListing& listing,
           std::ostream& err) {
    archive::BhReader reader(path, codePage);
    if (!reader.IsOpen()) {
        err << kPrefix << "cannot open '" << path
            << "': " << platform::ErrorText(reader.OpenError()) << '\n';
        return kExitNoArchive;
    }
    listing.Begin();
    while (const auto entry = reader.Next())
        listing.Add(ToListedEntry(*entry));
    listing.End();
    if (reader.ChainBroken()) {
        err << kPrefix << "'" << path << "' is damaged: " << reader.BreakReason() << '\n';
        return kExitDamaged;
    }
    return kExitOk;
}

} // namespace

int RunList(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    return RunList(args, out, err, platform::CodePage::FromEnvironment());
}

int RunList(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
            const platform::CodePage& codePage) {
    const CommandLine line = ParseCommandLine(args, {{"json", 0, false}});
    if (line.help) {
        out << kHelp;
        return kExitOk;
    }
    if (line.problem.empty() && line.operands.empty())
        return ReportUsageError(err, "list", "missing ARCHIVE");
    if (line.problem.empty() && line.operands.size() > 1)
        return ReportUsageError(err, "list", "too many arguments: '" + line.operands[1] + "'");
    if (!line.problem.empty())
        return ReportUsageError(err, "list", line.problem);

    const std::string& path = line.operands.front();
    EntryListing listing(out,
                         line.Has("json") ? EntryListing::Form::Json : EntryListing::Form::Table);
    if (IsNoArchive(path)) {
        err << kPrefix << "'" << path << "' is not a BH or ZIP archive\n";
        return kExitNoArchive;
    }
    // ZIP by its first bytes; anything else (an empty file too) is read as BH.
    const int status = archive::LooksLikeZip(path) ? ListZip(path, codePage, listing, err)
                                                   : ListBh(path, codePage, listing, err);
    // A listing that did not reach its reader is no listing; what is still
    // buffered is checked at exit.
    if (!out) {
        err << kPrefix << "cannot write the listing\n";
        return kExitNoArchive;
    }
    return status;
}

} // namespace tolvane::cli
