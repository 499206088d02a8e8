#include "VerbRun.h"

#include "ui/FolderNames.h"
#include "ui/ResultText.h"

#include "app/JobFolder.h"
#include "app/OutputFolder.h"
#include "app/SettingsStore.h"
#include "platform/FileSystem.h"

#include <iostream>

namespace tolvane::win {

VerbRun::VerbRun(app::StartUpResult& started, app::VendorConfig vendor, VerbView& view)
    : started_(started), vendor_(std::move(vendor)), view_(view) {
    RunJobBody = [this](const app::JobInput& input, const std::string& zipPath,
                        const platform::CancelToken& cancel,
                        const std::function<void(const app::JobProgress&)>& progress) {
        app::MonetizeJob job(vendor_);
        job.OnProgress = progress;
        return job.Run(input, zipPath, cancel);
    };
    RememberFolder = [](const std::string& folder) {
        // Not worth a box when it fails: the next start opens elsewhere.
        if (const platform::Expected<void> saved =
                app::SettingsStore(app::SettingsStore::DefaultPath()).SaveLastFolder(folder);
            !saved)
            std::cerr << "tolvane: " << platform::TextWithCause(saved.Error()) << "\n";
    };
}

std::string VerbRun::Translate(const char* english) const {
    return started_.texts.Translate(english, started_.state.UILanguage);
}

VerbExit VerbRun::Run(const std::string& argument) {
    app::ProgramState& state = started_.state;
    // The job would not run on such settings; the box says whom to ask.
    if (!started_.settingsProblem.empty())
        view_.ShowMessage(
            {Message::Kind::Warning, "Tolvane",
             "Could not read data from Registry.\nPlease contact us at " + vendor_.supportEmail});

    const std::string folder = ui::FolderOf(argument, platform::CurrentFolder());
    if (!platform::DirectoryExists(folder)) {
        view_.ShowMessage({Message::Kind::Error, "Tolvane",
                           ui::WithArgument(Translate("%1 is not a folder."), "%1", argument)});
        return VerbExit::Failed;
    }
    state.SelectedFolder = folder;

    const std::optional<std::string> chosen =
        view_.ChooseSavePath({Translate("Save Monetized Archive As..."), ".zip", "*.zip", "zip",
                              ui::ParentFolder(folder), ui::LastComponent(folder) + ".zip"});
    if (!chosen || chosen->empty())
        return VerbExit::Done; // the user's choice: nothing to say
    const std::string zipPath = *chosen;

    app::JobInput input = app::JobInput::FromState(state);
    input.settingsProblem = started_.settingsProblem;
    // A ZIP that holds more than this job's two entries is the user's to
    // replace or add to.
    if (const std::vector<std::string> others = app::MonetizeJob::OtherEntries(input, zipPath);
        !others.empty()) {
        const std::string name = ui::LastComponent(app::MonetizeJob::ZipPathFor(zipPath));
        ReplaceQuestion question{
            ui::WithArgument(
                started_.texts.TranslateCount(
                    "%2 already holds %1 other entry. Replace the archive, or add to it?",
                    "%2 already holds %1 other entries. Replace the archive, or add to "
                    "it?",
                    static_cast<int64_t>(others.size()), state.UILanguage),
                "%2", name),
            others, Translate("Replace"), Translate("Add")};
        const ReplaceAnswer answer = view_.AskReplaceOrAdd(question);
        if (answer == ReplaceAnswer::Cancel)
            return VerbExit::Done;
        input.replaceArchive = answer == ReplaceAnswer::Replace;
    }

    // A folder that cannot take the ZIP is said before any work.
    if (const std::string problem = app::OutputProblem(app::MonetizeJob::ZipPathFor(zipPath));
        !problem.empty()) {
        view_.ShowMessage({Message::Kind::Error, "Tolvane", problem});
        return VerbExit::Failed;
    }

    const ProgressTexts texts{Translate("Progrgess"),
                              Translate("The files are monetizing. Please wait..."),
                              Translate("Step 1. Creating BH archive and referral link"),
                              Translate("Step 2. Compressing in ZIP format"), Translate("Abort")};
    const app::JobResult result = view_.RunJob(
        texts,
        [this, &input, &zipPath](const platform::CancelToken& cancel,
                                 const std::function<void(const app::JobProgress&)>& progress) {
            return RunJobBody(input, zipPath, cancel, progress);
        });

    result.ApplyTo(state);
    using Outcome = app::JobResult::Outcome;
    if (result.outcome == Outcome::Done || result.outcome == Outcome::DoneWithProblems)
        RememberFolder(state.SelectedFolder);
    // The working folder emptied, sparing the folders of other instances' jobs.
    if (!state.TempFolder.empty())
        app::EmptyWorkingFolder(state.TempFolder);
    Report(result);
    switch (result.outcome) {
    case Outcome::Done:
        return VerbExit::Done;
    case Outcome::DoneWithProblems:
        return VerbExit::WithProblems;
    case Outcome::Cancelled:
        return VerbExit::Aborted;
    case Outcome::Failed:
    case Outcome::NotRun:
        break;
    }
    return VerbExit::Failed;
}

void VerbRun::Report(const app::JobResult& result) {
    using Outcome = app::JobResult::Outcome;
    switch (result.outcome) {
    case Outcome::Done:
    case Outcome::DoneWithProblems: {
        const std::optional<platform::DirEntry> zip = platform::QueryPath(result.zipPath);
        app::JobResult shown = result;
        shown.zipPath = view_.ShownPath(result.zipPath);
        view_.ShowMessage(
            {result.outcome == Outcome::Done ? Message::Kind::Information : Message::Kind::Warning,
             "Tolvane",
             ui::ResultText(shown, zip ? std::optional<uint64_t>(zip->size) : std::nullopt,
                            started_.texts, started_.state.UILanguage)});
        return;
    }
    case Outcome::Failed:
        view_.ShowMessage({Message::Kind::Error, "Tolvane", ui::FailureText(result)});
        return;
    case Outcome::Cancelled:
    case Outcome::NotRun:
        // A stop is no failure, and without a folder nothing was attempted.
        return;
    }
}

} // namespace tolvane::win
