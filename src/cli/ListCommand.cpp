// `tolvane-cli list ARCHIVE`.
#include "cli/ListCommand.h"

#include "archive/formats/BhReader.h"
#include "archive/formats/ZipReader.h"
#include "cli/ArchiveArguments.h"
#include "cli/BhListing.h"
#include "cli/EntryListing.h"
#include "cli/ZipListing.h"
#include "platform/FileSystem.h"

namespace tolvane::cli {

namespace {

constexpr const char* kPrefix = "tolvane-cli list: ";

constexpr const char* kUsage = "Usage: tolvane-cli list ARCHIVE\n";
constexpr const char* kHelp =
    "Lists the entries of a BH or ZIP archive: sizes, method, date-time, attributes and CRC-32.\n"
    "\n"
    "  --help  show this help and exit\n"
    "\n"
    "Exit status: 0 listed, 1 damaged archive, 2 usage error or archive not readable.\n";

int ListZip(const std::string& path, const platform::CodePage& codePage, std::ostream& out,
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
    EntryListing listing(out);
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

} // namespace

int RunList(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    return RunList(args, out, err, platform::CodePage::FromEnvironment());
}

int RunList(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
            const platform::CodePage& codePage) {
    const ArchiveArguments parsed = ParseArchiveArguments(args);
    switch (parsed.action) {
    case ArchiveArguments::Action::Help:
        out << kUsage << kHelp;
        return kExitOk;
    case ArchiveArguments::Action::UsageError:
        err << kPrefix << parsed.problem << '\n'
            << kUsage << "Try 'tolvane-cli list --help' for more information.\n";
        return kExitNoArchive;
    case ArchiveArguments::Action::Run:
        break;
    }

    // ZIP by its first bytes; anything else (an empty file too) is read as BH.
    if (archive::LooksLikeZip(parsed.archive))
        return ListZip(parsed.archive, codePage, out, err);

    archive::BhReader reader(parsed.archive, codePage);
    if (!reader.IsOpen()) {
        err << kPrefix << "cannot open '" << parsed.archive
            << "': " << platform::ErrorText(reader.OpenError()) << '\n';
        return kExitNoArchive;
    }

    EntryListing listing(out);
    listing.Begin();
    while (const auto entry = reader.Next())
        listing.Add(ToListedEntry(*entry));
    listing.End();

    if (reader.ChainBroken()) {
        err << kPrefix << "'" << parsed.archive << "' is damaged: " << reader.BreakReason() << '\n';
        return kExitDamaged;
    }
    return kExitOk;
}

} // namespace tolvane::cli
