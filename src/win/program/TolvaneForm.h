// TTolvaneForm in Win32: the main window of tolvane.exe started without a
// folder. The folder tree, the selected folder's files, the password, and
// "Monetize!", whose job runs on a worker thread behind the progress window.
// What happens when is TolvaneFormLogic's; this class only shows it.
#pragma once

#include "FileList.h"
#include "FolderTree.h"
#include "ProgressForm.h"
#include "WelcomeForm.h"

#include "app/StartUp.h"
#include "app/VendorConfig.h"
#include "ui/TolvaneFormLogic.h"

#include <map>
#include <memory>
#include <optional>
#include <type_traits>

#include <windows.h>

namespace tolvane::win {

class TTolvaneForm : private ui::TolvaneFormView {
public:
    // `started` must outlive this object.
    TTolvaneForm(app::StartUpResult& started, app::VendorConfig vendor);
    ~TTolvaneForm() override;
    TTolvaneForm(const TTolvaneForm&) = delete;
    TTolvaneForm& operator=(const TTolvaneForm&) = delete;

    // Creates the window, runs the start-up through the logic and then the
    // messages until the program ends; the exit status.
    int Run();

private:
    static INT_PTR CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    INT_PTR Handle(UINT message, WPARAM wParam, LPARAM lParam);
    void Initialise();
    void BuildMenu();
    void FitToWorkArea();
    void Command(int id);
    void Notify(const NMHDR& header);
    void RunPendingJob();
    // Places the controls for the client size, the DPI and the captions.
    void Layout();
    void MakeFonts();
    void ApplyCaptions();
    void SelectStartFolder();
    // The bar between the tree and the list, dragged with the mouse.
    bool OverSplitter() const;
    void DragSplitter(int x);
    // The password button's lock at the window's DPI.
    void LoadLock();
    // The password button's tip: the next job's protection in words, which
    // screen readers say too.
    void MakeTooltip();
    void SetPasswordTip(const std::wstring& text);
    HWND Control(int id) const { return GetDlgItem(window_, id); }

    // ui::TolvaneFormView
    void SetCaption(ui::MainControl control, const std::string& caption) override;
    void SetEnabled(ui::MainControl control, bool enabled) override;
    void SetVisible(ui::MainControl control, bool visible) override;
    void ShowSelectedFolder(const std::string& folder, const std::string& line) override;
    void ShowPasswordState(bool set, const std::string& caption,
                           const std::string& description) override;
    std::optional<std::string> ChooseSavePath(const ui::SaveRequest& request) override;
    ui::ReplaceAnswer AskReplaceOrAdd(const ui::ReplaceQuestion& question) override;
    std::optional<std::string> AskPassword(const ui::PasswordPrompt& prompt) override;
    void ShowMessage(const ui::Message& message) override;
    void StartJob(const ui::ProgressTexts& texts, ui::JobBody job) override;
    void StopJob() override;
    void HideProgress() override;
    void ShowResult(const app::JobResult& result) override;
    void ShowFailure(const app::JobResult& result) override;
    bool RunUpdateCheck() override;
    int32_t ShowSignUp(ui::SignUpPage page) override;
    void FillIds(const std::string& partnerId, const std::string& softwareId) override;
    void ShowWindow() override;
    void EndProgram() override;

    using FontHandle = std::unique_ptr<std::remove_pointer_t<HFONT>, decltype(&DeleteObject)>;

    app::StartUpResult& started_;
    app::VendorConfig vendor_;
    ui::TolvaneFormLogic logic_;
    HWND window_ = nullptr;
    HMENU menu_ = nullptr; // the window's, destroyed with it
    HMENU file_ = nullptr;
    HMENU settings_ = nullptr;
    HMENU help_ = nullptr;
    HWND tooltip_ = nullptr; // owned by the window, destroyed with it
    std::unique_ptr<FolderTree> tree_;
    std::unique_ptr<FileList> files_;
    // The sign-up window, made at its first showing and kept for the run.
    std::unique_ptr<TWelcomeForm> welcome_;
    FontHandle bold_{nullptr, &DeleteObject};
    std::unique_ptr<std::remove_pointer_t<HICON>, decltype(&DestroyIcon)> lock_{nullptr,
                                                                                &DestroyIcon};
    int lockSize_ = 16;
    bool lockShown_ = false; // the next ZIP gets a password
    double treeShare_ = 0.4; // the tree's part of the panes' width
    RECT splitter_{};        // between the tree and the list, in client coordinates
    bool dragging_ = false;
    bool folderShown_ = false; // Panel1 in bold
    bool revealing_ = false;   // the start's folder is being selected in the tree
    std::map<ui::MainControl, std::wstring> captions_;
    // The job between StartJob and the message that runs it, then its result
    // until JobFinished has it.
    std::optional<ui::ProgressTexts> pendingTexts_;
    ui::JobBody pendingJob_;
    std::optional<app::JobResult> finished_;
    TProgressForm* progress_ = nullptr; // while the job runs
    bool stopAsked_ = false;
    bool ended_ = false;
};

} // namespace tolvane::win
