#include "MonetizeJob.h"

#include "JobFolder.h"
#include "ReferralRef.h"
#include "UrlShortcut.h"
#include "WriterSettings.h"

#include <stdexcept>

namespace tolvane::app {

using namespace archive;

namespace {

// Password cleared on every way out of the job.
class ClosingSteps {
public:
    explicit ClosingSteps(ProgramState& state) : state_(state) {}
    ~ClosingSteps() { state_.ArchivePassword.clear(); }
    ClosingSteps(const ClosingSteps&) = delete;
    ClosingSteps& operator=(const ClosingSteps&) = delete;

private:
    ProgramState& state_;
};

} // namespace

MonetizeJob::MonetizeJob(ProgramState& state, VendorConfig vendor)
    : state_(state), vendor_(std::move(vendor)) {
    // The design-time values of the two writers.
    for (TCustomCClass* writer :
         {static_cast<TCustomCClass*>(&BhWriter1), static_cast<TCustomCClass*>(&Zip1)}) {
        writer->SetCompressMethod(cmDeflate);
        writer->DeleteOptions = doAllowUndo;
        writer->Switch = swAdd;
    }
    BhWriter1.SetDefaultExt(".bh");
    Zip1.SetDefaultExt(".zip");
    BhWriter1.RecurseDirs = true;
    Zip1.RecurseDirs = false;
    Zip1.LeaveSpaceOnFirstDisk = 50000;
    BhWriter1.OnProgress = [this](TZipCommon&, uint8_t, uint8_t byArchive) {
        if (OnProgress)
            OnProgress(1, byArchive);
    };
    Zip1.OnProgress = [this](TZipCommon&, uint8_t, uint8_t byArchive) {
        if (OnProgress)
            OnProgress(2, byArchive);
    };
    // A stale archive in an existing ZIP is replaced by the new one, not kept
    // without a word.
    Zip1.OnReplaceFile = [](TZipCommon&, const std::string&, const std::string&, std::time_t,
                            std::time_t, int64_t, int64_t, int32_t, int32_t,
                            bool& replace) { replace = true; };
}

std::string MonetizeJob::BhNameFor(const std::string& zipPath) {
    const size_t slash = zipPath.find_last_of('/');
    std::string name = slash == std::string::npos ? zipPath : zipPath.substr(slash + 1);
    name.resize(name.size() >= 3 ? name.size() - 3 : 0);
    return name + "bh";
}

void MonetizeJob::PumpAndCheck(TCustomCClass& writer) {
    if (ProcessMessages)
        ProcessMessages();
    if (cancelled_.load() && !writer.Cancelled())
        writer.SetCancel(true);
}

void MonetizeJob::Configure(TCustomCClass& writer, const char* name) {
    ApplyCommonWriterSettings(writer);
    writer.SetExcludeSpec({});
    writer.IncludeHiddenDirs = true;
    writer.SetStoreFilesOfType(JobStoreFilesOfType());
    writer.OnError = [this, name](TZipCommon&, const std::string& fileName,
                                  const std::string& extendedMsg, const std::string&,
                                  int32_t code) {
        reports_.push_back({name, code, fileName, extendedMsg});
    };
    writer.ProcessMessages = [this, &writer] { PumpAndCheck(writer); };
}

JobResult MonetizeJob::Run(const std::string& zipPath) {
    JobResult result;
    reports_.clear();
    cancelled_.store(false);
    ClosingSteps closing(state_);
    if (state_.SelectedFolder.empty()) {
        result.message = "No folder selected.";
        return result;
    }
    if (state_.TargetLanguage < 0 ||
        static_cast<size_t>(state_.TargetLanguage) >= state_.ShortcutNames.size()) {
        result.outcome = JobResult::Outcome::Failed;
        result.message =
            state_.ShortcutNames.empty()
                ? "No shortcut names: transl.dat is missing or damaged beside the program."
                : "No audience language chosen: set it to a number from 0 to " +
                      std::to_string(state_.ShortcutNames.size() - 1) + " in the settings.";
        return result;
    }

    try {
        JobFolder job(state_.TempFolder);
        auto cancelled = [&] {
            result.outcome = JobResult::Outcome::Cancelled;
            result.message = "Cancelled; " + zipPath + " was left as it was.";
            return result;
        };

        // The BH archive of the whole folder.
        Configure(BhWriter1, "BH");
        BhWriter1.SetFileSpec({state_.SelectedFolder + "/"});
        const std::string bhPath = job.Path() + BhNameFor(zipPath);
        BhWriter1.SetArchiveFile(bhPath);
        const int32_t packed = BhWriter1.Compress();
        if (cancelled_.load())
            return cancelled();
        if (packed == 0) {
            result.outcome = JobResult::Outcome::Failed;
            result.message = "Nothing could be packed from " + state_.SelectedFolder + ".";
            result.reports = reports_;
            return result;
        }

        // The shortcut with the referral link.
        Configure(Zip1, "ZIP");
        Zip1.Password = state_.ArchivePassword;
        Zip1.EncryptionMethod = state_.ArchivePassword.empty() ? emNone : emZIP_v2;
        state_.ReferralRef =
            BuildReferralRef(state_.PartnerID, state_.SoftwareID, state_.ReferralRef);
        const std::string shortcutPath =
            job.Path() + state_.ShortcutNames[static_cast<size_t>(state_.TargetLanguage)];
        WriteUrlShortcut(shortcutPath, ShortcutUrl(vendor_.archiverHost, state_.ReferralRef));

        // Both into the chosen ZIP, run twice as the job always did: the second
        // run finds nothing to do, or rewrites a new archive from the same files.
        state_.ZipFileList = {bhPath, shortcutPath};
        Zip1.SetFileSpec(state_.ZipFileList);
        Zip1.SetArchiveFile(zipPath);
        const size_t before = reports_.size();
        const int32_t first = Zip1.Compress();
        if (cancelled_.load())
            return cancelled();
        Zip1.Compress();
        if (cancelled_.load())
            return cancelled();
        // "Nothing to do" from the ZIP runs is what a normal job produces (the
        // second run, or a ZIP that already holds these files).
        for (size_t i = before; i < reports_.size();) {
            if (reports_[i].code == kErrNothingToDo)
                reports_.erase(reports_.begin() + static_cast<long>(i));
            else
                ++i;
        }
        result.reports = reports_;
        const bool zipFailed = first == 0 && reports_.size() > before;
        if (zipFailed) {
            result.outcome = JobResult::Outcome::Failed;
            result.message = "The ZIP archive " + zipPath + " could not be written.";
            return result;
        }
        result.outcome =
            reports_.empty() ? JobResult::Outcome::Done : JobResult::Outcome::DoneWithProblems;
        result.message = reports_.empty()
                             ? zipPath + " written."
                             : zipPath + " written; some files were left out (see the reports).";
        return result;
    } catch (const std::exception& e) {
        result.outcome = JobResult::Outcome::Failed;
        result.message = e.what();
        result.reports = reports_;
        return result;
    }
}

} // namespace tolvane::app
