#include "TolvaneFormLogic.h"

#include "FolderNames.h"
#include "ResultText.h"

#include "app/JobFolder.h"
#include "app/OutputFolder.h"
#include "app/SettingsStore.h"
#include "platform/FileSystem.h"

#include <iostream>

namespace tolvane::ui {

namespace {

constexpr const char* kProtected = "PROTECTED";

} // namespace

TolvaneFormLogic::TolvaneFormLogic(app::StartUpResult& started, app::VendorConfig vendor,
                                   TolvaneFormView& view, std::vector<std::string> arguments)
    : started_(started), vendor_(std::move(vendor)), view_(view), arguments_(std::move(arguments)) {
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
    CurrentFolder = [] { return platform::CurrentFolder(); };
}

std::string TolvaneFormLogic::Translate(const char* english) const {
    return started_.texts.Translate(english, started_.state.UILanguage);
}

void TolvaneFormLogic::FormCreate() {
    // The store names the file and what is wrong with it (for the job's
    // report); the box tells the user whom to ask.
    if (!started_.settingsProblem.empty())
        view_.ShowMessage(
            {Message::Kind::Warning, "Tolvane",
             "Could not read data from Registry.\r\nPlease contact us at " + vendor_.supportEmail});
}

void TolvaneFormLogic::FormShow() {
    if (formShown_)
        return;
    formShown_ = true;
    if (!view_.RunUpdateCheck()) {
        End();
        return;
    }
    TranslateCaptions();

    if (!arguments_.empty()) {
        // Started on a folder (the folder menus' "Monetize..."): the job, then
        // the end, whether or not the user has signed up.
        commandLine_ = true;
        const std::string folder = FolderOf(arguments_.front(), CurrentFolder());
        if (!platform::DirectoryExists(folder)) {
            view_.ShowMessage({Message::Kind::Error, "Tolvane",
                               WithArgument(Translate("%1 is not a folder."), "%1", folder)});
            End();
            return;
        }
        State().SelectedFolder = folder;
        SetOkEnabled(true);
        btnOKClick();
        if (!jobRunning_)
            End();
        return;
    }

    const app::ProgramState& state = State();
    if (!state.SignedUp || state.PartnerID.empty() || state.SoftwareID.empty()) {
        const SignUpPage page = state.SignedUp ? SignUpPage::IDs : SignUpPage::SignUp;
        if (view_.ShowSignUp(page) == 0) {
            End();
            return;
        }
    }
    view_.ShowWindow();
}

void TolvaneFormLogic::TranslateCaptions() {
    // One call a caption, so that the check of transl.dat's rows sees every key.
    using C = MainControl;
    view_.SetCaption(C::File1, Translate("File"));
    view_.SetCaption(C::Monetize1, Translate("Monetize!"));
    view_.SetCaption(C::Exit1, Translate("Exit"));
    view_.SetCaption(C::Settings1, Translate("Settings"));
    view_.SetCaption(C::SetPassword1, Translate("Set Password..."));
    view_.SetCaption(C::Configure1, Translate("Settings"));
    view_.SetCaption(C::Help1, Translate("Help"));
    view_.SetCaption(C::HomePage1, Translate("Home Page"));
    view_.SetCaption(C::About1, Translate("About..."));
    view_.SetCaption(C::VideoTutorial1, Translate("Video Tutorial"));
    view_.SetCaption(C::Panel1, Translate("Select a folder in the tree. On the right list you "
                                          "will see the files ready for monetization."));
    view_.SetCaption(C::BitBtn1, Translate("Settings"));
    view_.SetCaption(C::btnOK, Translate("Monetize!"));
    view_.SetCaption(C::btnClose, Translate("Exit"));
    ShowPasswordState();
}

void TolvaneFormLogic::SelectFolder(const std::string& folder) {
    if (jobRunning_ || (State().SelectedFolder == folder && okEnabled_))
        return;
    State().SelectedFolder = folder;
    view_.ShowSelectedFolder(folder, Translate("Selected folder with files") + ": " + folder);
    SetOkEnabled(true);
}

void TolvaneFormLogic::btnOKClick() {
    // One job at a time: the writers of a run must not be shared.
    if (jobRunning_)
        return;
    if (!okEnabled_) {
        ClosingSteps();
        return;
    }
    const std::string folder = State().SelectedFolder;
    const std::optional<std::string> chosen =
        view_.ChooseSavePath({Translate("Save Monetized Archive As..."), ".zip", "*.zip", "zip",
                              ParentFolder(folder), LastComponent(folder) + ".zip"});
    if (!chosen || chosen->empty())
        return; // the password survives a cancelled dialog
    app::JobInput input = app::JobInput::FromState(State());
    input.settingsProblem = started_.settingsProblem;

    // A ZIP that holds more than this job's two entries (another folder's,
    // another tool's) is the user's to replace or add to.
    if (const std::vector<std::string> others = app::MonetizeJob::OtherEntries(input, *chosen);
        !others.empty()) {
        const std::string name = LastComponent(app::MonetizeJob::ZipPathFor(*chosen));
        const ReplaceQuestion question{
            WithArgument(started_.texts.TranslateCount(
                             "%2 already holds %1 other entry. Replace the archive, or add to it?",
                             "%2 already holds %1 other entries. Replace the archive, or add to "
                             "it?",
                             static_cast<int64_t>(others.size()), State().UILanguage),
                         "%2", name),
            others, Translate("Replace"), Translate("Add")};
        const ReplaceAnswer answer = view_.AskReplaceOrAdd(question);
        if (answer == ReplaceAnswer::Cancel)
            return; // as a cancelled save dialog: the password survives
        input.replaceArchive = answer == ReplaceAnswer::Replace;
    }

    // A folder that cannot take the ZIP is said before any work.
    if (const std::string problem = app::OutputProblem(app::MonetizeJob::ZipPathFor(*chosen));
        !problem.empty()) {
        view_.ShowMessage({Message::Kind::Error, "Tolvane", problem});
        return; // nothing ran: the password stays
    }

    input_ = std::move(input);
    zipPath_ = *chosen;
    jobRunning_ = true;
    SetJobControlsEnabled(false);
    view_.StartJob({Translate("Progrgess"), Translate("The files are monetizing. Please wait..."),
                    Translate("Step 1. Creating BH archive and referral link"),
                    Translate("Step 2. Compressing in ZIP format"), Translate("Abort")},
                   [this](const platform::CancelToken& cancel,
                          const std::function<void(const app::JobProgress&)>& progress) {
                       return RunJobBody(input_, zipPath_, cancel, progress);
                   });
}

void TolvaneFormLogic::JobFinished(const app::JobResult& result) {
    jobRunning_ = false;
    result.ApplyTo(State());
    using Outcome = app::JobResult::Outcome;
    if (result.outcome == Outcome::Done || result.outcome == Outcome::DoneWithProblems)
        RememberFolder(State().SelectedFolder);
    ClosingSteps();
    SetJobControlsEnabled(true);
    ReportResult(result);
    view_.JobEnded();
    if (closeAfterJob_ || commandLine_)
        End();
}

void TolvaneFormLogic::ClosingSteps() {
    view_.HideProgress();
    State().ArchivePassword.clear();
    ShowPasswordState();
    view_.SetVisible(MainControl::StaticText2, true);
    // The working folder emptied, sparing the folders of other instances' jobs.
    if (!State().TempFolder.empty())
        app::EmptyWorkingFolder(State().TempFolder);
}

void TolvaneFormLogic::ReportResult(const app::JobResult& result) {
    using Outcome = app::JobResult::Outcome;
    // A cancel is no failure, and without a folder nothing was attempted.
    if (result.outcome == Outcome::Cancelled || result.outcome == Outcome::NotRun)
        return;
    if (result.outcome == Outcome::Failed)
        view_.ShowFailure(result);
    else
        view_.ShowResult(result);
}

void TolvaneFormLogic::SetJobControlsEnabled(bool enabled) {
    for (MainControl control :
         {MainControl::Monetize1, MainControl::SetPassword1, MainControl::Configure1,
          MainControl::Addselectedtolist1, MainControl::Removefromlist1, MainControl::Clearlist1,
          MainControl::btnPassword, MainControl::BitBtn1, MainControl::ShellTreeView1})
        view_.SetEnabled(control, enabled);
    SetOkEnabled(enabled);
}

void TolvaneFormLogic::SetOkEnabled(bool enabled) {
    okEnabled_ = enabled;
    view_.SetEnabled(MainControl::btnOK, enabled);
}

void TolvaneFormLogic::btnPasswordClick() {
    // Asks until something is typed; false when the user cancels.
    const auto ask = [this](const char* caption, const char* prompt, std::string& entry) {
        for (;;) {
            const std::optional<std::string> typed = view_.AskPassword(
                {Translate(caption), Translate(prompt), Translate("Show characters")});
            if (!typed)
                return false;
            entry = *typed;
            if (!entry.empty())
                return true;
        }
    };
    std::string first, second;
    bool entered = ask("Security Encryption...", "Enter Password:", first) &&
                   ask("Verify Password...", "Re-enter Password:", second);
    if (entered && first != second) {
        view_.ShowMessage({Message::Kind::Information, "Tolvane",
                           Translate("Password verification failed.\r\rPlease retry...")});
        entered = false;
    }
    State().ArchivePassword = entered ? first : std::string();
    ShowPasswordState();
}

void TolvaneFormLogic::ShowPasswordState() {
    // The next job's protection at a glance, said in words for screen readers too.
    const bool set = !State().ArchivePassword.empty();
    view_.ShowPasswordState(set, set ? std::string(kProtected) : Translate("Password..."),
                            set ? Translate("The next archive will be protected with a password.")
                                : Translate("The next archive will not be protected."));
}

void TolvaneFormLogic::BitBtn1Click() {
    // The sign-up window replaces the IDs, SignedUp and TargetLanguage itself when saved.
    view_.FillIds(State().PartnerID, State().SoftwareID);
    view_.ShowSignUp(SignUpPage::IDs);
}

bool TolvaneFormLogic::CloseQuery() {
    if (!jobRunning_)
        return true;
    // Stop the job and close once it has really ended: nothing half
    // written, no file left in the working folder.
    closeAfterJob_ = true;
    view_.StopJob();
    return false;
}

void TolvaneFormLogic::End() {
    closeAfterJob_ = false;
    // A job the command line ran ends the program in its own end already.
    if (ended_)
        return;
    ended_ = true;
    view_.EndProgram();
}

} // namespace tolvane::ui
