// TTolvaneForm's logic without a toolkit: the start-up once the windows
// exist (update check, captions, then the command-line job or the sign-up
// check), "Monetize!" from the save dialog to the result with its closing
// steps, the password prompts, Configure, the folder selected and which
// controls a running job leaves enabled. The window is its TolvaneFormView.
#pragma once

#include "TolvaneFormView.h"

#include "app/MonetizeJob.h"
#include "app/StartUp.h"
#include "app/VendorConfig.h"

#include <functional>
#include <string>
#include <vector>

namespace tolvane::ui {

class TolvaneFormLogic {
public:
    // `started` and `view` must outlive this object; `arguments` are the
    // program's (without its name).
    TolvaneFormLogic(app::StartUpResult& started, app::VendorConfig vendor, TolvaneFormView& view,
                     std::vector<std::string> arguments);

    // After the start-up steps of the core: the settings that could not be
    // read are said, with whom to ask.
    void FormCreate();
    // Update check, captions, then the command-line job or the sign-up
    // check; shows the window unless the program ends. Runs once.
    void FormShow();
    void TranslateCaptions();

    // `folder` became current in the tree. Ignored while a job runs: the job
    // packs the folder it was started on.
    void SelectFolder(const std::string& folder);
    void btnOKClick();
    // The job's end, on the window's thread.
    void JobFinished(const app::JobResult& result);
    void btnPasswordClick();
    void BitBtn1Click();
    // The window is asked to close: true when it may close now; false when
    // a job was asked to stop, and the window closes once the job has ended.
    bool CloseQuery();

    bool JobRunning() const { return jobRunning_; }
    bool CommandLine() const { return commandLine_; }
    app::ProgramState& State() { return started_.state; }
    // The interface text for `english` in the interface language.
    std::string Translate(const char* english) const;

    // The job itself; MonetizeJob::Run unless a test puts in its own.
    std::function<app::JobResult(const app::JobInput&, const std::string& zipPath,
                                 const platform::CancelToken&,
                                 const std::function<void(const app::JobProgress&)>&)>
        RunJobBody;
    // Keeps the folder where the next start opens the tree.
    std::function<void(const std::string& folder)> RememberFolder;
    // The folder a command-line argument names is relative to this one.
    std::function<std::string()> CurrentFolder;

private:
    void ClosingSteps();
    void ReportResult(const app::JobResult& result);
    void SetJobControlsEnabled(bool enabled);
    void ShowPasswordState();
    void SetOkEnabled(bool enabled);
    void End();

    app::StartUpResult& started_;
    app::VendorConfig vendor_;
    TolvaneFormView& view_;
    std::vector<std::string> arguments_;
    bool okEnabled_ = false;
    bool jobRunning_ = false;
    bool formShown_ = false;
    bool commandLine_ = false;
    bool closeAfterJob_ = false;
    bool ended_ = false;
    // What the job in progress was started with, read by its worker.
    app::JobInput input_;
    std::string zipPath_;
};

} // namespace tolvane::ui
