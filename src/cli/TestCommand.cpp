// `tolvane-cli test ARCHIVE`.
#include "cli/TestCommand.h"

#include "archive/formats/BhReader.h"
#include "cli/ArchiveArguments.h"
#include "cli/EntryListing.h"
#include "platform/FileSystem.h"

namespace tolvane::cli {

namespace {

constexpr const char* kPrefix = "tolvane-cli test: ";

constexpr const char* kUsage = "Usage: tolvane-cli test ARCHIVE\n";
constexpr const char* kHelp =
    "Expands every entry of a BH archive and checks its size and CRC-32.\n"
    "\n"
    "  --help  show this help and exit\n"
    "\n"
    "Exit status: 0 all entries passed, 1 an entry failed or the archive is damaged,\n"
    "2 usage error or archive not readable.\n";

} // namespace

int RunTest(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    return RunTest(args, out, err, platform::CodePage::FromEnvironment());
}

int RunTest(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
            const platform::CodePage& codePage) {
    const ArchiveArguments parsed = ParseArchiveArguments(args);
    switch (parsed.action) {
    case ArchiveArguments::Action::Help:
        out << kUsage << kHelp;
        return kExitOk;
    case ArchiveArguments::Action::UsageError:
        err << kPrefix << parsed.problem << '\n'
            << kUsage << "Try 'tolvane-cli test --help' for more information.\n";
        return kExitNoArchive;
    case ArchiveArguments::Action::Run:
        break;
    }

    archive::BhReader reader(parsed.archive, codePage);
    if (!reader.IsOpen()) {
        err << kPrefix << "cannot open '" << parsed.archive
            << "': " << platform::ErrorText(reader.OpenError()) << '\n';
        return kExitNoArchive;
    }

    size_t tested = 0;
    size_t failed = 0;
    std::string error;
    while (const auto entry = reader.Next()) {
        ++tested;
        // The data is only checked, not kept.
        if (reader.Extract(*entry, nullptr, error)) {
            out << "OK      " << DisplayName(entry->name) << '\n';
            continue;
        }
        ++failed;
        out << "FAILED  " << DisplayName(entry->name) << ": " << error << '\n';
    }
    out << CountEntries(tested) << " tested, " << failed << " failed\n";

    if (reader.ChainBroken()) {
        err << kPrefix << "'" << parsed.archive << "' is damaged: " << reader.BreakReason() << '\n';
        return kExitDamaged;
    }
    return failed == 0 ? kExitOk : kExitDamaged;
}

} // namespace tolvane::cli
