// `tolvane-cli test ARCHIVE`.
#include "cli/TestCommand.h"

#include "archive/formats/BhReader.h"
#include "cli/ArchiveArguments.h"
#include "cli/EntryListing.h"
#include "cli/PasswordFile.h"

#include "archive/formats/ZipReader.h"
#include "platform/FileSystem.h"

namespace tolvane::cli {

namespace {

constexpr const char* kPrefix = "tolvane-cli test: ";

constexpr const char* kUsage = "Usage: tolvane-cli test ARCHIVE [--password-file FILE]\n";
constexpr const char* kHelp =
    "Expands every entry of a BH or ZIP archive and checks its size and CRC-32.\n"
    "\n"
    "  --password-file FILE  decipher encrypted ZIP entries with the password in FILE\n"
    "  --help                show this help and exit\n"
    "\n"
    "Exit status: 0 all entries passed, 1 an entry failed or the archive is damaged,\n"
    "2 usage error or archive not readable.\n";

int TestZip(const std::string& path, const std::string* password,
            const platform::CodePage& codePage, std::ostream& out, std::ostream& err) {
    archive::ZipReader zip(path, codePage);
    if (!zip.IsOpen()) {
        err << kPrefix << "cannot open '" << path << "': " << platform::ErrorText(zip.OpenError())
            << '\n';
        return kExitNoArchive;
    }
    std::vector<archive::ZipEntry> entries;
    std::string damage;
    const bool whole = zip.ReadDirectory(entries, damage);
    size_t failed = 0;
    std::string error;
    for (const auto& entry : entries) {
        if (zip.Extract(entry, nullptr, password, error)) {
            out << "OK      " << DisplayName(entry.name) << '\n';
            continue;
        }
        ++failed;
        out << "FAILED  " << DisplayName(entry.name) << ": " << error << '\n';
    }
    out << CountEntries(entries.size()) << " tested, " << failed << " failed\n";
    if (!whole) {
        err << kPrefix << "'" << path << "' is damaged: " << damage << '\n';
        return kExitDamaged;
    }
    return failed == 0 ? kExitOk : kExitDamaged;
}

} // namespace

int RunTest(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    return RunTest(args, out, err, platform::CodePage::FromEnvironment());
}

int RunTest(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
            const platform::CodePage& codePage) {
    // --password-file takes a value, which the shared parser does not know.
    std::vector<std::string> rest;
    std::string passwordFile;
    bool havePassword = false;
    for (size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--") {
            rest.insert(rest.end(), args.begin() + static_cast<long>(i), args.end());
            break;
        }
        if (args[i] == "--password-file" && i + 1 < args.size()) {
            passwordFile = args[++i];
            havePassword = true;
            continue;
        }
        rest.push_back(args[i]);
    }
    const ArchiveArguments parsed = ParseArchiveArguments(rest);
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

    std::string password;
    if (havePassword) {
        std::string error;
        if (!ReadPasswordFile(passwordFile, password, error)) {
            err << kPrefix << error << '\n';
            return kExitNoArchive;
        }
    }
    if (archive::LooksLikeZip(parsed.archive))
        return TestZip(parsed.archive, havePassword ? &password : nullptr, codePage, out, err);

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
