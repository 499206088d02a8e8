#include "VerbRun.h"

#include "ui/ResultText.h"
#include "ui/TolvaneFormLogic.h"

#include "platform/FileSystem.h"

namespace tolvane::win {

// The main window's logic on the command-line path, shown through the
// verb's few windows: the save dialog, the question, the progress window
// (which runs the job to its end before it returns) and message boxes. The
// main window's own controls do not exist here.
class VerbRun::Windows : public ui::TolvaneFormView {
public:
    Windows(const app::StartUpResult& started, VerbView& view) : started_(started), view_(view) {}

    ui::TolvaneFormLogic* logic = nullptr;
    bool refused = false; // an error said before any job ran
    std::optional<app::JobResult::Outcome> outcome;

    void SetCaption(ui::MainControl, const std::string&) override {}
    void SetEnabled(ui::MainControl, bool) override {}
    void SetVisible(ui::MainControl, bool) override {}
    void ShowSelectedFolder(const std::string&, const std::string&) override {}
    void ShowPasswordState(bool, const std::string&, const std::string&) override {}
    std::optional<std::string> ChooseSavePath(const ui::SaveRequest& request) override {
        return view_.ChooseSavePath(request);
    }
    ui::ReplaceAnswer AskReplaceOrAdd(const ui::ReplaceQuestion& question) override {
        return view_.AskReplaceOrAdd(question);
    }
    std::optional<std::string> AskPassword(const ui::PasswordPrompt&) override {
        return std::nullopt;
    }
    void ShowMessage(const ui::Message& message) override {
        refused = refused || message.kind == ui::Message::Kind::Error;
        view_.ShowMessage(message);
    }
    void StartJob(const ui::ProgressTexts& texts, ui::JobBody job) override {
        const app::JobResult result = view_.RunJob(texts, job);
        outcome = result.outcome;
        logic->JobFinished(result);
    }
    void StopJob() override {}
    void HideProgress() override {}
    void ShowResult(const app::JobResult& result) override {
        const std::optional<platform::DirEntry> zip = platform::QueryPath(result.zipPath);
        app::JobResult shown = result;
        shown.zipPath = view_.ShownPath(result.zipPath);
        view_.ShowMessage(
            {result.outcome == app::JobResult::Outcome::Done ? ui::Message::Kind::Information
                                                             : ui::Message::Kind::Warning,
             "Tolvane",
             ui::ResultText(shown, zip ? std::optional<uint64_t>(zip->size) : std::nullopt,
                            started_.texts, started_.state.UILanguage)});
    }
    void ShowFailure(const app::JobResult& result) override {
        view_.ShowMessage({ui::Message::Kind::Error, "Tolvane", ui::FailureText(result)});
    }
    // The update windows come with the main window; the sign-up check is not
    // the command line's.
    bool RunUpdateCheck() override { return true; }
    int32_t ShowSignUp(ui::SignUpPage) override { return 1; }
    void FillIds(const std::string&, const std::string&) override {}
    void ShowWindow() override {}
    void EndProgram() override {}

private:
    const app::StartUpResult& started_;
    VerbView& view_;
};

VerbRun::VerbRun(app::StartUpResult& started, app::VendorConfig vendor, VerbView& view)
    : started_(started), vendor_(std::move(vendor)), view_(view) {}

std::string VerbRun::Translate(const char* english) const {
    return started_.texts.Translate(english, started_.state.UILanguage);
}

VerbExit VerbRun::Run(const std::string& argument) {
    Windows windows(started_, view_);
    ui::TolvaneFormLogic logic(started_, vendor_, windows, {argument});
    windows.logic = &logic;
    if (RunJobBody)
        logic.RunJobBody = RunJobBody;
    if (RememberFolder)
        logic.RememberFolder = RememberFolder;
    logic.FormCreate();
    logic.FormShow();

    using Outcome = app::JobResult::Outcome;
    if (!windows.outcome)
        // Stopped at the dialog or the question (the user's choice), or
        // refused before any work.
        return windows.refused ? VerbExit::Failed : VerbExit::Done;
    switch (*windows.outcome) {
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

} // namespace tolvane::win
