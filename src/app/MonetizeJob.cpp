#include "MonetizeJob.h"

#include "JobFolder.h"
#include "OutputFolder.h"
#include "ProgressTally.h"
#include "ReferralRef.h"
#include "ShortcutName.h"
#include "UrlShortcut.h"
#include "WriterSettings.h"

#include "archive/formats/BhWriter.h"
#include "archive/formats/ZipReader.h"
#include "archive/formats/ZipWriter.h"
#include "archive/framework/Crc.h"
#include "platform/DosDateTime.h"
#include "platform/FileIdentity.h"
#include "platform/FileMode.h"
#include "platform/FileSystem.h"
#include "platform/TempFile.h"

#include <algorithm>
#include <cctype>
#include <memory>
#include <optional>
#include <stdexcept>

namespace tolvane::app {

using namespace archive;

namespace {

// The writers' temporary files, and the job's own beside the ZIP, are named
// "kro-PID-START-XXXXXX.tmp".
constexpr const char* kTempPrefix = "kro";

std::string FolderOf(const std::string& path) {
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? "." : path.substr(0, slash + 1);
}

std::string NameOf(const std::string& path) {
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// The ZIP's directory, or nullopt when the file is missing or no ZIP.
std::optional<std::vector<ZipEntry>> ReadZipDirectory(const std::string& zipFile,
                                                      const platform::CodePage& codePage) {
    ZipReader reader(zipFile, codePage);
    std::vector<ZipEntry> entries;
    std::string problem;
    if (!reader.IsOpen() || !reader.ReadDirectory(entries, problem))
        return std::nullopt;
    return entries;
}

// The new ZIP of a job that replaces the old one: written under a name of
// its own beside it, it takes the old one's place in one step once it is
// complete and checked, so that until then the old ZIP is not touched. The
// name has the writers' temporary form, so that a later run removes what a
// killed one left.
class ReplacementZip {
public:
    explicit ReplacementZip(std::string zipFile)
        : zip_(std::move(zipFile)), path_(platform::UniqueName(FolderOf(zip_), kTempPrefix)) {}
    ~ReplacementZip() {
        if (!path_.empty())
            platform::RemoveFile(path_);
    }
    ReplacementZip(const ReplacementZip&) = delete;
    ReplacementZip& operator=(const ReplacementZip&) = delete;

    const std::string& Path() const { return path_; }

    // Puts the new ZIP in place of the old one, with the old one's
    // permissions; 0 or the errno value (the old ZIP then stays as it was).
    int Commit() {
        platform::ApplyFileMode(path_, platform::FileModeOf(zip_));
        const int error = platform::RenameFile(path_, zip_);
        if (error == 0)
            path_.clear();
        return error;
    }

private:
    std::string zip_;
    std::string path_;
};

// The ZIP as it was before the job, kept under a second name, so that a stop
// after the first ZIP run (which already replaced it) can put it back. The
// writers replace an archive by renaming a new file over it, so the old file
// lives on under the second name at no cost. Without hard links (some file
// systems) nothing is kept and a stop keeps what the first run wrote.
class ZipBackup {
public:
    explicit ZipBackup(std::string zipPath) : zip_(std::move(zipPath)) {
        existed_ = platform::PathExists(zip_);
        if (!existed_)
            return;
        std::string name = platform::UniqueName(FolderOf(zip_), kTempPrefix);
        if (platform::LinkFile(zip_, name) == 0)
            backup_ = std::move(name);
    }
    ~ZipBackup() {
        if (!backup_.empty())
            platform::RemoveFile(backup_);
    }
    ZipBackup(const ZipBackup&) = delete;
    ZipBackup& operator=(const ZipBackup&) = delete;

    // Puts the ZIP back as it was before the job.
    void Restore() {
        if (!existed_) {
            platform::RemoveFile(zip_);
            return;
        }
        // While the ZIP is not replaced yet both names link one file, and
        // rename() then succeeds without doing anything: the second name stays
        // for the destructor to remove.
        if (!backup_.empty() && platform::RenameFile(backup_, zip_) == 0 &&
            !platform::PathExists(backup_))
            backup_.clear();
    }

private:
    std::string zip_;
    std::string backup_;
    bool existed_ = false;
};

// The CRC-32 of a whole file, or nullopt when it cannot be read.
std::optional<uint32_t> FileCrc32(const std::string& path) {
    platform::File file(path, platform::File::Mode::Read);
    if (!file.IsOpen())
        return std::nullopt;
    std::vector<uint8_t> buffer(1 << 20);
    uint32_t reg = kCrc32Start;
    for (;;) {
        const int64_t got = file.Read(buffer.data(), buffer.size());
        if (got < 0)
            return std::nullopt;
        if (got == 0)
            return FinalCrc32(reg);
        reg = UpdateCrc32(reg, buffer.data(), static_cast<size_t>(got));
    }
}

JobResult Finish(JobResult result, JobResult::Outcome outcome, std::string message) {
    result.outcome = outcome;
    result.message = std::move(message);
    return result;
}

// The design-time values of the job's two writers.
void SetUpWriter(TCustomCClass& writer, const char* ext) {
    writer.SetCompressMethod(cmDeflate);
    writer.DeleteOptions = doAllowUndo;
    writer.Switch = swAdd;
    writer.SetDefaultExt(ext);
}

// Moves the job's files to a later time than equal-looking old entries of the
// ZIP. The writer takes an old entry of the same name, size and 2-second time
// for the file itself and keeps it; the job's files are new every time, so
// one made within the same two seconds is moved a slot on.
void SetApartFromOldEntries(const std::string& zipPath, const std::vector<std::string>& files,
                            const platform::CodePage& codePage) {
    const auto entries = ReadZipDirectory(zipPath, codePage);
    if (!entries)
        return;
    for (const std::string& file : files) {
        const auto info = platform::QueryPath(file);
        if (!info)
            continue;
        for (const ZipEntry& entry : *entries) {
            if (entry.name == NameOf(file) &&
                entry.dosDateTime == platform::ToDosDateTime(info->lastWriteTime)) {
                platform::SetLastWriteTime(file, info->lastWriteTime + 2);
                break;
            }
        }
    }
}

// One run of the job: its writers live only as long as their stage, and
// what they report is gathered here.
class JobRun {
public:
    JobRun(const VendorConfig& vendor, const JobInput& input,
           const std::function<void(const JobProgress&)>& progress,
           const platform::CancelToken& cancel)
        : vendor_(vendor), input_(input), progress_(progress), cancel_(cancel) {}

    JobResult Run(const std::string& zipPath);

private:
    void Configure(TCustomCClass& writer, const char* name, int stage);
    JobResult ZipStage(const std::string& zipPath, const std::string& bhPath,
                       const std::string& shortcutPath, JobResult result);

    const VendorConfig& vendor_;
    const JobInput& input_;
    const std::function<void(const JobProgress&)>& progress_;
    const platform::CancelToken& cancel_;
    std::vector<JobReport> reports_;
};

} // namespace

JobInput JobInput::FromState(const ProgramState& state) {
    JobInput input;
    input.selectedFolder = state.SelectedFolder;
    input.tempFolder = state.TempFolder;
    input.archivePassword = state.ArchivePassword;
    input.partnerId = state.PartnerID;
    input.softwareId = state.SoftwareID;
    input.targetLanguage = state.TargetLanguage;
    input.referralRef = state.ReferralRef;
    input.shortcutNames = state.ShortcutNames;
    return input;
}

void JobResult::ApplyTo(ProgramState& state) const {
    state.ReferralRef = referralRef;
    state.ArchivePassword.clear();
}

MonetizeJob::MonetizeJob(VendorConfig vendor) : vendor_(std::move(vendor)) {}

std::string MonetizeJob::ZipPathFor(const std::string& chosen) {
    static constexpr std::string_view kZip = ".zip";
    const bool endsInZip =
        chosen.size() >= kZip.size() &&
        std::equal(kZip.begin(), kZip.end(), chosen.end() - kZip.size(),
                   [](char a, char b) { return a == std::tolower(static_cast<unsigned char>(b)); });
    return chosen.empty() || endsInZip ? chosen : chosen + ".zip";
}

std::string MonetizeJob::BhNameFor(const std::string& zipPath) {
    const std::string name = NameOf(ZipPathFor(zipPath));
    return name.substr(0, name.size() >= 4 ? name.size() - 4 : 0) + ".bh";
}

void JobRun::Configure(TCustomCClass& writer, const char* name, int stage) {
    const JobInput& input = input_;
    ApplyCommonWriterSettings(writer);
    if (input.codingThreads > 0)
        writer.CodingThreads = input.codingThreads;
    writer.SetExcludeSpec({});
    writer.ExcludeFiles.clear();
    writer.IncludeHiddenDirs = true;
    writer.SetStoreFilesOfType(JobStoreFilesOfType());
    writer.TestBeforeReplace = input.testArchives;
    writer.OnReport = [this, name](TZipCommon&, const WriterReport& report) {
        if (report.grade != ReportGrade::Notice && report.grade != ReportGrade::Cancelled)
            reports_.push_back({name, report});
    };
    auto tally = std::make_shared<ProgressTally>();
    writer.OnFileScanStatus = [tally](TZipCommon&, const std::string&, int32_t count, int64_t) {
        tally->Scanned(count);
    };
    writer.OnProgressDetail = [this, stage, tally](TZipCommon&, const ProgressDetail& detail) {
        tally->Progressed(detail);
        if (!progress_)
            return;
        const int64_t total = detail.runTotal;
        const auto percent = static_cast<uint8_t>(
            total > 0 ? std::min<int64_t>(100, (detail.runDone * 100 + total / 2) / total) : 0);
        progress_(JobProgress{stage, percent, detail.entryName, detail.runDone, total,
                              tally->FilesDone(), tally->FilesTotal()});
    };
    writer.SetCancelToken(&cancel_);
}

JobResult MonetizeJob::Run(const JobInput& input, const std::string& chosenPath,
                           const platform::CancelToken& cancel) {
    // The ZIP as it is written, the name every message gives.
    return JobRun(vendor_, input, OnProgress, cancel).Run(ZipPathFor(chosenPath));
}

JobResult JobRun::Run(const std::string& zipPath) {
    const JobInput& input = input_;
    const platform::CancelToken& cancel = cancel_;
    JobResult result;
    result.referralRef = input.referralRef;
    result.zipPath = zipPath;
    const std::string untouched = "Cancelled; " + zipPath + " was left as it was.";

    if (cancel.Requested())
        return Finish(result, JobResult::Outcome::Cancelled, untouched);
    if (input.selectedFolder.empty())
        return Finish(result, JobResult::Outcome::NotRun, "No folder selected.");
    if (!input.settingsProblem.empty())
        return Finish(result, JobResult::Outcome::Failed,
                      "The settings could not be read (" + input.settingsProblem +
                          "); nothing was written. Store the IDs again to repair them.");
    if (input.targetLanguage < 0 ||
        static_cast<size_t>(input.targetLanguage) >= input.shortcutNames.size()) {
        return Finish(result, JobResult::Outcome::Failed,
                      input.shortcutNames.empty()
                          ? "No shortcut names: transl.dat is missing or damaged beside the "
                            "program."
                          : "No audience language chosen: set it to a number from 0 to " +
                                std::to_string(input.shortcutNames.size() - 1) +
                                " in the settings.");
    }
    const std::string& shortcutName =
        input.shortcutNames[static_cast<size_t>(input.targetLanguage)];
    if (const std::string problem = ShortcutNameProblem(shortcutName); !problem.empty())
        return Finish(result, JobResult::Outcome::Failed,
                      "transl.dat: the shortcut name of language " +
                          std::to_string(input.targetLanguage) + " cannot be used (" + problem +
                          "); nothing was written.");

    // Before any packing: a folder that cannot take the ZIP would be found
    // only after the whole tree was packed.
    if (const std::string problem = OutputProblem(zipPath); !problem.empty())
        return Finish(result, JobResult::Outcome::Failed, problem);

    try {
        JobFolder job(input.tempFolder);

        // The BH archive of the whole folder, without the job's own files where
        // they lie inside it: the ZIP (saved in the folder it monetizes, it
        // would go into its own next BH archive), and the working folder with
        // this job's. Leftovers of killed jobs beside the ZIP go first.
        platform::RemoveStaleTempFiles(FolderOf(zipPath), kTempPrefix);
        TBhWriter BhWriter1;
        SetUpWriter(BhWriter1, ".bh");
        BhWriter1.RecurseDirs = true;
        Configure(BhWriter1, "BH", 1);
        for (const std::string& own : {zipPath, input.tempFolder, job.Path()}) {
            if (const auto identity = platform::QueryFileIdentity(own))
                BhWriter1.ExcludeFiles.insert(*identity);
        }
        BhWriter1.SetFileSpec({input.selectedFolder + "/"});
        BhWriter1.SetArchiveFile(job.Path() + MonetizeJob::BhNameFor(zipPath));
        // The writer adds its extension to a name without one: the ZIP stage
        // takes the file it really wrote.
        const std::string bhPath = BhWriter1.ArchiveFile();
        result.filesPacked = BhWriter1.Compress();
        result.bytesPacked = BhWriter1.BytesCompressed();
        for (const JobReport& report : reports_)
            result.filesLeftOut += report.report.grade == ReportGrade::LeftOut ? 1 : 0;
        if (cancel.Requested())
            return Finish(result, JobResult::Outcome::Cancelled, untouched);
        if (result.filesPacked == 0) {
            result.reports = reports_;
            return Finish(result, JobResult::Outcome::Failed,
                          "Nothing could be packed from " + input.selectedFolder + ".");
        }

        // The shortcut with the referral link.
        result.referralRef = BuildReferralRef(input.partnerId, input.softwareId, input.referralRef);
        result.url = ShortcutUrl(vendor_.archiverHost, result.referralRef);
        const std::string shortcutPath = job.Path() + shortcutName;
        WriteUrlShortcut(shortcutPath, result.url);
        return ZipStage(zipPath, bhPath, shortcutPath, std::move(result));
    } catch (const std::exception& e) {
        result.reports = reports_;
        return Finish(result, JobResult::Outcome::Failed, e.what());
    }
}

JobResult JobRun::ZipStage(const std::string& zipPath, const std::string& bhPath,
                           const std::string& shortcutPath, JobResult result) {
    const JobInput& input = input_;
    TZip Zip1;
    SetUpWriter(Zip1, ".zip");
    Zip1.RecurseDirs = false;
    Zip1.LeaveSpaceOnFirstDisk = 50000;
    // A stale archive in an existing ZIP is replaced by the new one, not kept
    // without a word.
    Zip1.OnReplaceFile = [](TZipCommon&, const std::string&, const std::string&, std::time_t,
                            std::time_t, int64_t, int64_t, int32_t, int32_t,
                            bool& replace) { replace = true; };
    Configure(Zip1, "ZIP", 2);
    Zip1.Password = input.archivePassword;
    Zip1.EncryptionMethod = input.archivePassword.empty() ? emNone : emZIP_v2;
    Zip1.SetFileSpec({bhPath, shortcutPath});
    Zip1.SetArchiveFile(zipPath);
    result.zipPath = Zip1.ArchiveFile();
    const std::string untouched = "Cancelled; " + result.zipPath + " was left as it was.";
    // A ZIP written anew is made beside the old one, which it replaces at the end.
    std::optional<ReplacementZip> replacement;
    if (input.replaceArchive && platform::PathExists(result.zipPath)) {
        replacement.emplace(result.zipPath);
        Zip1.SetArchiveFile(replacement->Path());
    }
    const std::string written = Zip1.ArchiveFile();

    // Both into the chosen ZIP, run twice as the job always did: the second
    // run finds nothing to do, or rewrites a new archive from the same files.
    SetApartFromOldEntries(written, {bhPath, shortcutPath}, Zip1.CodePage());
    ZipBackup backup(written);
    const size_t before = reports_.size();
    const int32_t first = Zip1.Compress();
    if (cancel_.Requested()) {
        backup.Restore();
        return Finish(result, JobResult::Outcome::Cancelled, untouched);
    }
    Zip1.Compress();
    if (cancel_.Requested()) {
        backup.Restore();
        return Finish(result, JobResult::Outcome::Cancelled, untouched);
    }
    result.reports = reports_;
    if (first == 0 && reports_.size() > before)
        return Finish(result, JobResult::Outcome::Failed,
                      "The ZIP archive " + result.zipPath + " could not be written.");

    // The ZIP must hold both files as they are now: a job that only seems to
    // have worked is worse than one that says it failed.
    ZipReader reader(written, Zip1.CodePage());
    std::vector<ZipEntry> entries;
    std::string problem;
    if (!reader.IsOpen() || !reader.ReadDirectory(entries, problem)) {
        backup.Restore();
        return Finish(result, JobResult::Outcome::Failed,
                      "The ZIP archive " + result.zipPath + " cannot be read back (" +
                          (reader.IsOpen() ? problem : platform::ErrorText(reader.OpenError())) +
                          "); it was left as it was.");
    }
    for (const std::string& path : {bhPath, shortcutPath}) {
        const std::string name = NameOf(path);
        const ZipEntry* found = nullptr;
        for (const ZipEntry& entry : entries) {
            if (entry.name == name)
                found = &entry;
        }
        // An old entry of the same size and 2-second time counts as equal to
        // the new file: the CRC tells whether it really is.
        const auto size = platform::QueryPath(path);
        if (!found || !size || found->uncompressedSize != size->size ||
            found->Encrypted() != (!input.archivePassword.empty() && size->size > 0) ||
            FileCrc32(path) != found->crc32) {
            backup.Restore();
            return Finish(result, JobResult::Outcome::Failed,
                          "The ZIP archive " + result.zipPath + " does not hold " + name +
                              " as it was made; it was left as it was.");
        }
        result.zipEntries.push_back(
            {name, found->uncompressedSize, found->compressedSize, found->Encrypted()});
    }
    if (replacement) {
        if (cancel_.Requested())
            return Finish(result, JobResult::Outcome::Cancelled, untouched);
        if (const int error = replacement->Commit(); error != 0)
            return Finish(result, JobResult::Outcome::Failed,
                          "The ZIP archive " + result.zipPath + " could not be replaced (" +
                              platform::ErrorText(error) + "); it was left as it was.");
    }
    bool filesMissed = false;
    bool stepFailed = false;
    for (const JobReport& report : reports_) {
        filesMissed = filesMissed || report.report.grade == ReportGrade::LeftOut ||
                      report.report.grade == ReportGrade::Warning;
        stepFailed = stepFailed || report.report.grade == ReportGrade::Failed;
    }
    if (!filesMissed && !stepFailed)
        return Finish(result, JobResult::Outcome::Done, result.zipPath + " written.");
    return Finish(result, JobResult::Outcome::DoneWithProblems,
                  result.zipPath + (filesMissed ? " written; some files were left out or changed "
                                                  "while they were read (see the reports)."
                                                : " written; a later step failed, but the ZIP "
                                                  "holds both files (see the reports)."));
}

std::vector<std::string> MonetizeJob::OtherEntries(const JobInput& input,
                                                   const std::string& zipPath) {
    const auto entries =
        ReadZipDirectory(ZipPathFor(zipPath), platform::CodePage::FromEnvironment());
    if (!entries)
        return {};
    // The names Run gives the two files: the BH archive's as its writer
    // completes it, the shortcut's by the audience language (none when the
    // job would stop on the language).
    const std::string bhName = BhNameFor(zipPath);
    const bool haveShortcut =
        input.targetLanguage >= 0 &&
        static_cast<size_t>(input.targetLanguage) < input.shortcutNames.size();
    std::vector<std::string> others;
    for (const ZipEntry& entry : *entries) {
        if (entry.name == bhName ||
            (haveShortcut &&
             entry.name == input.shortcutNames[static_cast<size_t>(input.targetLanguage)]))
            continue;
        others.push_back(entry.name);
    }
    return others;
}

} // namespace tolvane::app
