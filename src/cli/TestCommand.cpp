// `tolvane-cli test ARCHIVE [--password-file FILE]`.
#include "cli/TestCommand.h"

#include "archive/formats/BhReader.h"
#include "archive/formats/ZipReader.h"
#include "cli/ArchiveCommand.h"
#include "cli/ArchiveProbe.h"
#include "cli/EntryListing.h"
#include "platform/FileSystem.h"

#include <optional>
#include <sstream>

namespace tolvane::cli {

namespace {

constexpr const char* kPrefix = "tolvane-cli test: ";

constexpr const char* kHelp =
    "Usage: tolvane-cli test [--password-file FILE] ARCHIVE\n"
    "\n"
    "Expands every entry of a BH or ZIP archive and checks its size and CRC-32.\n"
    "\n"
    "Options:\n"
    "  --password-file FILE  decipher encrypted entries with the password in FILE\n"
    "  -q, --quiet           print only the entries that fail and the summary\n"
    "  -h, --help            show this help and exit\n"
    "\n"
    "Exit status: 0 all entries passed, 1 an entry failed or the archive is damaged,\n"
    "2 usage error, no archive or archive not readable.\n";

// Counts the entries and prints one line per entry and the summary.
class TestReport {
public:
    TestReport(std::ostream& out, bool quiet) : out_(out), quiet_(quiet) {}

    void Passed(const std::string& name) {
        ++tested_;
        if (!quiet_)
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
    bool quiet_;
    size_t tested_ = 0;
    size_t failed_ = 0;
};

int CannotOpen(const std::string& path, int cause, std::ostream& err) {
    err << kPrefix << "cannot open '" << path << "': " << platform::ErrorText(cause) << '\n';
    return kExitNoArchive;
}

int TestZip(const std::string& path, const std::string* password,
            const platform::CodePage& codePage, bool quiet, std::ostream& out, std::ostream& err) {
    archive::ZipReader reader(path, codePage);
    if (!reader.IsOpen())
        return CannotOpen(path, reader.OpenError(), err);
    std::vector<archive::ZipEntry> entries;
    std::string damage;
    const bool whole = reader.ReadDirectory(entries, damage);
    TestReport report(out, quiet);
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
           bool quiet, std::ostream& out, std::ostream& err) {
    archive::BhReader reader(path, codePage);
    if (!reader.IsOpen())
        return CannotOpen(path, reader.OpenError(), err);
    TestReport report(out, quiet);
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
    const CommandLine line = ParseCommandLine(args, {{"password-file", 0, true}});
    if (line.help) {
        out << kHelp;
        return kExitOk;
    }
    if (line.problem.empty() && line.operands.empty())
        return ReportUsageError(err, "test", "missing ARCHIVE");
    if (line.problem.empty() && line.operands.size() > 1)
        return ReportUsageError(err, "test", "too many arguments: '" + line.operands[1] + "'");
    if (!line.problem.empty())
        return ReportUsageError(err, "test", line.problem);
    std::optional<std::string> password;
    std::string problem;
    std::istringstream noInput;
    if (!TakePassword(line, noInput, password, problem)) {
        err << kPrefix << problem << '\n';
        return kExitNoArchive;
    }
    const std::string& path = line.operands.front();
    const bool quiet = line.verbosity == Verbosity::Quiet;

    if (IsNoArchive(path)) {
        err << kPrefix << "'" << path << "' is not a BH or ZIP archive\n";
        return kExitNoArchive;
    }
    // ZIP by its first bytes; anything else (an empty file too) is tested as BH.
    if (archive::LooksLikeZip(path))
        return TestZip(path, password ? &*password : nullptr, codePage, quiet, out, err);
    return TestBh(path, password ? &*password : nullptr, codePage, quiet, out, err);
}

} // namespace tolvane::cli
