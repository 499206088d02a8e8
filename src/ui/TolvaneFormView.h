// What the main window's logic asks of the main window: captions and
// enabled states of its controls, the folder selected, the password state,
// the save dialog, the questions and messages, the progress window with the
// job behind it, the result window, and the other windows of the start-up.
// The Qt window and the Win32 one implement it; the tests fake it.
#pragma once

#include "ViewRequests.h"

#include "app/MonetizeJob.h"

#include <cstdint>
#include <optional>
#include <string>

namespace tolvane::ui {

// The main window's controls that the logic names, by their names in the
// window: the menus and their commands, the hint line, the drop list's
// caption, the folder tree and the buttons.
enum class MainControl {
    File1,
    Monetize1,
    Exit1,
    Settings1,
    SetPassword1,
    Configure1,
    Help1,
    HomePage1,
    About1,
    VideoTutorial1,
    Addselectedtolist1,
    Removefromlist1,
    Clearlist1,
    Panel1,
    StaticText2,
    ShellTreeView1,
    btnPassword,
    BitBtn1,
    btnOK,
    btnClose,
};

class TolvaneFormView {
public:
    virtual ~TolvaneFormView() = default;

    // A menu's or button's caption as the interface language has it; the
    // view adds its toolkit's accelerator.
    virtual void SetCaption(MainControl control, const std::string& caption) = 0;
    virtual void SetEnabled(MainControl control, bool enabled) = 0;
    virtual void SetVisible(MainControl control, bool visible) = 0;
    // `folder` became the selected one: Panel1 says `line` (in bold), the
    // file list shows the folder.
    virtual void ShowSelectedFolder(const std::string& folder, const std::string& line) = 0;
    // The password button: `caption`, a lock when `set`, and `description`
    // for screen readers.
    virtual void ShowPasswordState(bool set, const std::string& caption,
                                   const std::string& description) = 0;

    // The path the user chose, or nothing when the dialog was cancelled.
    virtual std::optional<std::string> ChooseSavePath(const SaveRequest& request) = 0;
    virtual ReplaceAnswer AskReplaceOrAdd(const ReplaceQuestion& question) = 0;
    // The text typed, or nothing when the prompt was cancelled.
    virtual std::optional<std::string> AskPassword(const PasswordPrompt& prompt) = 0;
    virtual void ShowMessage(const Message& message) = 0;

    // Shows the progress window and runs `job` off the window's thread, its
    // progress shown as it comes; returns at once. The view hands the
    // result to TolvaneFormLogic::JobFinished on the window's thread once
    // the worker has ended.
    virtual void StartJob(const ProgressTexts& texts, JobBody job) = 0;
    // Asks the running job to stop; its end still comes through JobFinished.
    virtual void StopJob() = 0;
    virtual void HideProgress() = 0;
    // The result window of a job that wrote its ZIP (with or without problems).
    virtual void ShowResult(const app::JobResult& result) = 0;
    // A failed job: its message and the writers' reports behind it.
    virtual void ShowFailure(const app::JobResult& result) = 0;
    // A job's closing steps and its report are done.
    virtual void JobEnded() {}

    // The update check to its end, with its own windows; false when the
    // program is to end now (an installer was started).
    virtual bool RunUpdateCheck() = 0;
    // The sign-up window modally on `page`; its Tag (non-zero once IDs were saved).
    virtual int32_t ShowSignUp(SignUpPage page) = 0;
    // The IDs page's fields, as Configure fills them before showing it.
    virtual void FillIds(const std::string& partnerId, const std::string& softwareId) = 0;
    // The main window appears (the start-up found nothing to end on).
    virtual void ShowWindow() = 0;
    // The program is to end: the window closes. Asked once.
    virtual void EndProgram() = 0;
};

} // namespace tolvane::ui
