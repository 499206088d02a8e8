#include "VerbRun.h"

#include "ResultText.h"

#include "app/JobFolder.h"
#include "app/OutputFolder.h"
#include "app/SettingsStore.h"
#include "platform/FileSystem.h"

#include <iostream>

namespace tolvane::win {

namespace {

bool IsSeparator(char c) {
    return c == '/' || c == '\\';
}

bool IsAbsolute(const std::string& path) {
    return (!path.empty() && IsSeparator(path[0])) || (path.size() >= 2 && path[1] == ':');
}

// The folder's own length without its trailing separators, a root's kept
// ("/", "C:\").
size_t TrimmedLength(const std::string& path) {
    size_t end = path.size();
    const size_t root = path.size() >= 2 && path[1] == ':' ? 3 : 1;
    while (end > root && IsSeparator(path[end - 1]))
        --end;
    return end;
}

} // namespace

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

std::string VerbRun::FolderOf(const std::string& argument, const std::string& currentFolder) {
    std::string folder = argument.substr(0, TrimmedLength(argument));
    if (IsAbsolute(folder) || currentFolder.empty())
        return folder;
    const char separator = currentFolder.find('\\') != std::string::npos ? '\\' : '/';
    std::string base = currentFolder.substr(0, TrimmedLength(currentFolder));
    if (!IsSeparator(base.back()))
        base += separator;
    return base + folder;
}

std::string VerbRun::LastComponent(const std::string& folder) {
    const std::string trimmed = folder.substr(0, TrimmedLength(folder));
    const size_t cut = trimmed.find_last_of("/\\:");
    std::string name = cut == std::string::npos ? trimmed : trimmed.substr(cut + 1);
    // A drive's root has no name of its own: its letter names the ZIP.
    if (name.empty() && trimmed.size() >= 2 && trimmed[1] == ':')
        name = trimmed.substr(0, 1);
    return name;
}

std::string VerbRun::ParentFolder(const std::string& folder) {
    const std::string trimmed = folder.substr(0, TrimmedLength(folder));
    const size_t cut = trimmed.find_last_of("/\\");
    if (cut == std::string::npos)
        return trimmed.size() >= 2 && trimmed[1] == ':' ? trimmed.substr(0, 2) + "\\" : "";
    // The root keeps its separator ("/x" is in "/", "C:\x" in "C:\").
    if (cut == 0 || (cut == 2 && trimmed[1] == ':'))
        return trimmed.substr(0, cut + 1);
    return trimmed.substr(0, cut);
}

VerbExit VerbRun::Run(const std::string& argument) {
    app::ProgramState& state = started_.state;
    // The job would not run on such settings; the box says whom to ask.
    if (!started_.settingsProblem.empty())
        view_.ShowMessage(
            {Message::Kind::Warning, "Tolvane",
             "Could not read data from Registry.\nPlease contact us at " + vendor_.supportEmail});

    const std::string folder = FolderOf(argument, platform::CurrentFolder());
    if (!platform::DirectoryExists(folder)) {
        view_.ShowMessage({Message::Kind::Error, "Tolvane",
                           WithArgument(Translate("%1 is not a folder."), "%1", argument)});
        return VerbExit::Failed;
    }
    state.SelectedFolder = folder;

    const std::optional<std::string> chosen =
        view_.ChooseSavePath({Translate("Save Monetized Archive As..."), ".zip", "*.zip", "zip",
                              ParentFolder(folder), LastComponent(folder) + ".zip"});
    if (!chosen || chosen->empty())
        return VerbExit::Done; // the user's choice: nothing to say
    const std::string zipPath = *chosen;

    app::JobInput input = app::JobInput::FromState(state);
    input.settingsProblem = started_.settingsProblem;
    // A ZIP that holds more than this job's two entries is the user's to
    // replace or add to.
    if (const std::vector<std::string> others = app::MonetizeJob::OtherEntries(input, zipPath);
        !others.empty()) {
        const std::string name = LastComponent(app::MonetizeJob::ZipPathFor(zipPath));
        ReplaceQuestion question{
            WithArgument(started_.texts.TranslateCount(
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
             ResultText(shown, zip ? std::optional<uint64_t>(zip->size) : std::nullopt,
                        started_.texts, started_.state.UILanguage)});
        return;
    }
    case Outcome::Failed:
        view_.ShowMessage({Message::Kind::Error, "Tolvane", FailureText(result)});
        return;
    case Outcome::Cancelled:
    case Outcome::NotRun:
        // A stop is no failure, and without a folder nothing was attempted.
        return;
    }
}

} // namespace tolvane::win
