// `tolvane-cli test ARCHIVE [--password-file FILE]`.
#include "cli/TestCommand.h"

#include "archive/formats/BhReader.h"
#include "archive/formats/ZipReader.h"
#include "cli/ArchiveArguments.h"
#include "cli/EntryListing.h"
#include "cli/PasswordFile.h"
#include "platform/FileSystem.h"

#include <optional>

namespace tolvane::cli {

namespace {

constexpr const char* kPrefix = "tolvane-cli test: ";

constexpr const char* kUsage = "Usage: tolvane-cli test ARCHIVE [--password-file FILE]\n";
constexpr const char* kHelp =
    "Expands every entry of a BH or ZIP archive and checks its size and CRC-32.\n"
    "\n"
    "  --password-file FILE  decipher encrypted entries with the password in FILE\n"
    "  --help                show this help and exit\n"
    "\n"
    "Exit status: 0 all entries passed, 1 an entry failed or the archive is damaged,\n"
    "2 usage error or archive not readable.\n";

// Counts the entries and prints one line per entry and the summary.
class TestReport {
public:
    explicit TestReport(std::ostream& out) : out_(out) {}

    void Passed(const std::string& name) {
        ++tested_;
        out_ << "OK      " << DisplayName(name) << '\n';
    }
    void Failed(const std::string& name, const std::string& error) {
        ++tested_;
        ++failed_;
        out_ << "FAILED  " << DisplayName(name) << ": " << error << '\n';
    }
    void Summary() { out_ << CountEntries(tested_) << " tested, " << failed_ << " failed\n"; }
    bool AllPassed() const { return failed_ == 0; }

private:
    std::ostream& out_;
    size_t tested_ = 0;
    size_t failed_ = 0;
};

int CannotOpen(const std::string& path, int cause, std::ostream& err) {
    err << kPrefix << "cannot open '" << path << "': " << platform::ErrorText(cause) << '\n';
    return kExitNoArchive;
}

int TestZip(const std::string& path, const std::string* password,
            const platform::CodePage& codePage, std::ostream& out, std::ostream& err) {
    archive::ZipReader reader(path, codePage);
    if (!reader.IsOpen())
        return CannotOpen(path, reader.OpenError(), err);
    std::vector<archive::ZipEntry> entries;
    std::string damage;
    const bool whole = reader.ReadDirectory(entries, damage);
    TestReport report(out);
    std::string error;
    for (const archive::ZipEntry& entry : entries) {
        // The data is only checked, not kept.
        if (reader.Extract(entry, nullptr, password, error))
            report.Passed(entry.name);
        else
            report.Failed(entry.name, error);
    }
    report.Summary();
    if (!whole) {
        err << kPrefix << "'" << path << "' is damaged: " << damage << '\n';
        return kExitDamaged;
    }
    return report.AllPassed() ? kExitOk : kExitDamaged;
}

int TestBh(const std::string& path, const std::string* password, const platform::CodePage& codePage,
           std::ostream& out, std::ostream& err) {
    archive::BhReader reader(path, codePage);
    if (!reader.IsOpen())
        return CannotOpen(path, reader.OpenError(), err);
    TestReport report(out);
    std::string error;
    while (const auto entry = reader.Next()) {
        // The data is only checked, not kept.
        if (reader.Extract(*entry, nullptr, password, error))
            report.Passed(entry->name);
        else
            report.Failed(entry->name, error);
    }
    report.Summary();
    if (reader.ChainBroken()) {
        err << kPrefix << "'" << path << "' is damaged: " << reader.BreakReason() << '\n';
        return kExitDamaged;
    }
    return report.AllPassed() ? kExitOk : kExitDamaged;
}

} // namespace

int RunTest(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    return RunTest(args, out, err, platform::CodePage::FromEnvironment());
}

int RunTest(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
            const platform::CodePage& codePage) {
    const ArchiveArguments parsed = ParseArchiveArguments(args, {.passwordFile = true});
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

    std::optional<std::string> password;
    if (parsed.passwordFile) {
        std::string text;
        std::string error;
        if (!ReadPasswordFile(*parsed.passwordFile, text, error)) {
            err << kPrefix << error << '\n';
            return kExitNoArchive;
        }
        password = std::move(text);
    }

    // ZIP by its first bytes; anything else (an empty file too) is tested as BH.
    if (archive::LooksLikeZip(parsed.archive))
        return TestZip(parsed.archive, password ? &*password : nullptr, codePage, out, err);
    return TestBh(parsed.archive, password ? &*password : nullptr, codePage, out, err);
}

} // namespace tolvane::cli
