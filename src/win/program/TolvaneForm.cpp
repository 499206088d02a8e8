#include "TolvaneForm.h"

#include "AboutForm.h"
#include "DialogDispatch.h"
#include "MessageBoxes.h"
#include "Mnemonics.h"
#include "PasswordBox.h"
#include "SaveDialog.h"
#include "TolvaneFormIds.h"
#include "UpdaterForm.h"
#include "WideText.h"

#include "app/SettingsStore.h"
#include "platform/Environment.h"
#include "platform/FileSystem.h"
#include "platform/OpenWithDesktop.h"
#include "ui/ResultText.h"

#include <commctrl.h>

#include <algorithm>
#include <iostream>

namespace tolvane::win {

namespace {

constexpr UINT kRunJobMessage = WM_APP + 10;      // StartJob's job, run from the loop
constexpr UINT kJobFinishedMessage = WM_APP + 11; // the worker's result is in finished_
constexpr UINT kIconsMessage = WM_APP + 12;       // icons or drive names wait in the tree or list

using C = ui::MainControl;

std::string Shown(std::string path) {
    std::replace(path.begin(), path.end(), '/', '\\');
    return path;
}

std::wstring SystemPath(const std::string& path) {
    return Wide(Shown(path));
}

SIZE TextExtent(HWND window, HFONT font, const std::wstring& text) {
    HDC dc = GetDC(window);
    HGDIOBJ old = SelectObject(dc, font);
    SIZE size{0, 0};
    // The '&' of a mnemonic takes no room.
    std::wstring plain;
    for (size_t i = 0; i < text.size(); ++i)
        if (text[i] != L'&' || (i + 1 < text.size() && text[i + 1] == L'&' && (++i, true)))
            plain += text[i];
    GetTextExtentPoint32W(dc, plain.c_str(), static_cast<int>(plain.size()), &size);
    SelectObject(dc, old);
    ReleaseDC(window, dc);
    return size;
}

} // namespace

TTolvaneForm::TTolvaneForm(app::StartUpResult& started, app::VendorConfig vendor)
    : started_(started), vendor_(vendor), logic_(started, std::move(vendor), *this, {}) {}

TTolvaneForm::~TTolvaneForm() {
    if (window_)
        DestroyWindow(window_);
}

int TTolvaneForm::Run() {
    CreateDialogParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_TolvaneForm), nullptr,
                       &TTolvaneForm::Procedure, reinterpret_cast<LPARAM>(this));
    if (!window_)
        return 2;
    logic_.FormCreate();
    logic_.FormShow();
    if (!ended_)
        SelectStartFolder();
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        if (window_ && IsDialogMessageW(window_, &message))
            continue;
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return 0;
}

INT_PTR CALLBACK TTolvaneForm::Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return DispatchDialog(window, message, wParam, lParam, &TTolvaneForm::window_,
                          &TTolvaneForm::Handle);
}

void TTolvaneForm::Initialise() {
    HICON icon = LoadIconW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(1));
    if (icon)
        SendMessageW(window_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
    BuildMenu();
    MakeFonts();
    LoadLock();
    MakeTooltip();
    tree_ = std::make_unique<FolderTree>(Control(IDC_ShellTreeView1), window_, kIconsMessage);
    tree_->FillDrives();
    files_ = std::make_unique<FileList>(
        Control(IDC_ShellListView1),
        FileListTexts{logic_.Translate("Name"), logic_.Translate("Size"), logic_.Translate("Type"),
                      logic_.Translate("Modified"), logic_.Translate("Folder")},
        started_.state.UILanguage, window_, kIconsMessage);
    FitToWorkArea();
    // Nothing to monetize before a folder is selected.
    EnableWindow(Control(IDC_btnOK), FALSE);
    SendMessageW(window_, DM_SETDEFID, IDC_btnOK, 0);
}

void TTolvaneForm::FitToWorkArea() {
    // The dialog's size grows with the DPI and the font: on a small screen
    // at a large scaling it must still fit, centred.
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    GetMonitorInfoW(MonitorFromWindow(window_, MONITOR_DEFAULTTONEAREST), &monitor);
    const RECT& work = monitor.rcWork;
    RECT frame{};
    GetWindowRect(window_, &frame);
    const int width = std::min<int>(frame.right - frame.left, work.right - work.left);
    const int height = std::min<int>(frame.bottom - frame.top, work.bottom - work.top);
    SetWindowPos(window_, nullptr, work.left + (work.right - work.left - width) / 2,
                 work.top + (work.bottom - work.top - height) / 2, width, height,
                 SWP_NOZORDER | SWP_NOACTIVATE);
}

void TTolvaneForm::BuildMenu() {
    menu_ = CreateMenu();
    file_ = CreatePopupMenu();
    settings_ = CreatePopupMenu();
    help_ = CreatePopupMenu();
    AppendMenuW(file_, MF_STRING, IDM_Monetize1, L"Monetize!");
    AppendMenuW(file_, MF_SEPARATOR, 0, nullptr);
    AppendMenuW(file_, MF_STRING, IDM_Exit1, L"Exit");
    AppendMenuW(settings_, MF_STRING, IDM_SetPassword1, L"Set Password...");
    AppendMenuW(settings_, MF_STRING, IDM_Configure1, L"Configure...");
    AppendMenuW(help_, MF_STRING, IDM_HomePage1, L"Home Page");
    AppendMenuW(help_, MF_STRING, IDM_VideoTutorial1, L"Video Tutorial");
    AppendMenuW(help_, MF_SEPARATOR, 0, nullptr);
    AppendMenuW(help_, MF_STRING, IDM_About1, L"About...");
    AppendMenuW(menu_, MF_POPUP, reinterpret_cast<UINT_PTR>(file_), L"File");
    AppendMenuW(menu_, MF_POPUP, reinterpret_cast<UINT_PTR>(settings_), L"Settings");
    AppendMenuW(menu_, MF_POPUP, reinterpret_cast<UINT_PTR>(help_), L"Help");
    SetMenu(window_, menu_);
}

void TTolvaneForm::MakeFonts() {
    // Panel1's bold is the dialog's font, at the window's DPI, in bold.
    auto font = reinterpret_cast<HFONT>(SendMessageW(window_, WM_GETFONT, 0, 0));
    LOGFONTW description{};
    if (font && GetObjectW(font, sizeof description, &description)) {
        description.lfWeight = FW_BOLD;
        bold_.reset(CreateFontIndirectW(&description));
    }
    SendMessageW(Control(IDC_Panel1), WM_SETFONT,
                 reinterpret_cast<WPARAM>(folderShown_ && bold_ ? bold_.get() : font), TRUE);
}

void TTolvaneForm::MakeTooltip() {
    tooltip_ = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP,
                               CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, window_,
                               nullptr, GetModuleHandleW(nullptr), nullptr);
    if (!tooltip_)
        return;
    TTTOOLINFOW tool{};
    tool.cbSize = sizeof tool;
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tool.hwnd = window_;
    tool.uId = reinterpret_cast<UINT_PTR>(Control(IDC_btnPassword));
    tool.lpszText = const_cast<wchar_t*>(L"");
    SendMessageW(tooltip_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
}

void TTolvaneForm::SetPasswordTip(const std::wstring& text) {
    if (!tooltip_)
        return;
    TTTOOLINFOW tool{};
    tool.cbSize = sizeof tool;
    tool.hwnd = window_;
    tool.uId = reinterpret_cast<UINT_PTR>(Control(IDC_btnPassword));
    tool.lpszText = const_cast<wchar_t*>(text.c_str());
    SendMessageW(tooltip_, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&tool));
}

void TTolvaneForm::ApplyCaptions() {
    const auto caption = [this](C control, const wchar_t* fallback) {
        const auto found = captions_.find(control);
        return found == captions_.end() ? std::wstring(fallback) : found->second;
    };
    const auto setMenu = [](HMENU menu, UINT item, BOOL byPosition, const std::wstring& text) {
        MENUITEMINFOW info{};
        info.cbSize = sizeof info;
        info.fMask = MIIM_STRING;
        info.dwTypeData = const_cast<wchar_t*>(text.c_str());
        SetMenuItemInfoW(menu, item, byPosition, &info);
    };
    Mnemonics bar;
    setMenu(menu_, 0, TRUE, bar.Marked(caption(C::File1, L"File")));
    setMenu(menu_, 1, TRUE, bar.Marked(caption(C::Settings1, L"Settings")));
    setMenu(menu_, 2, TRUE, bar.Marked(caption(C::Help1, L"Help")));
    Mnemonics file, settings, help;
    setMenu(file_, IDM_Monetize1, FALSE, file.Marked(caption(C::Monetize1, L"Monetize!")));
    setMenu(file_, IDM_Exit1, FALSE, file.Marked(caption(C::Exit1, L"Exit")));
    setMenu(settings_, IDM_SetPassword1, FALSE,
            settings.Marked(caption(C::SetPassword1, L"Set Password...")));
    // The logic names Configure with the Settings button's word; the menu
    // says it opens a window.
    setMenu(settings_, IDM_Configure1, FALSE,
            settings.Marked(caption(C::Configure1, L"Configure") + L"..."));
    setMenu(help_, IDM_HomePage1, FALSE, help.Marked(caption(C::HomePage1, L"Home Page")));
    setMenu(help_, IDM_VideoTutorial1, FALSE,
            help.Marked(caption(C::VideoTutorial1, L"Video Tutorial")));
    setMenu(help_, IDM_About1, FALSE, help.Marked(caption(C::About1, L"About...")));
    DrawMenuBar(window_);

    // Alt and a letter of the menu bar opens the menu: the buttons take others.
    Mnemonics buttons;
    for (C menu : {C::File1, C::Settings1, C::Help1}) {
        const std::wstring text = caption(menu, L"");
        if (!text.empty())
            buttons.Reserve(text.substr(0, 1));
    }
    for (const auto& [control, id] :
         {std::pair{C::btnOK, IDC_btnOK}, std::pair{C::btnPassword, IDC_btnPassword},
          std::pair{C::BitBtn1, IDC_BitBtn1}, std::pair{C::btnClose, IDC_btnClose}})
        SetDlgItemTextW(window_, id, buttons.Marked(caption(control, L"")).c_str());
    if (!folderShown_)
        SetDlgItemTextW(window_, IDC_Panel1, caption(C::Panel1, L"").c_str());
    Layout();
}

void TTolvaneForm::Layout() {
    if (!window_)
        return;
    RECT client{};
    GetClientRect(window_, &client);
    RECT units{7, 4, 50, 14}; // margin, gap, least button width, button height
    MapDialogRect(window_, &units);
    const int margin = units.left, gap = units.top;
    const int buttonHeight = units.bottom;
    const auto font = reinterpret_cast<HFONT>(SendMessageW(window_, WM_GETFONT, 0, 0));

    const auto buttonWidth = [&](int id) {
        wchar_t text[256] = L"";
        GetDlgItemTextW(window_, id, text, 256);
        return std::max<int>(units.right, TextExtent(window_, font, text).cx + 4 * gap);
    };
    const int password = buttonWidth(IDC_btnPassword) + (lockShown_ ? lockSize_ + gap : 0);
    const int settings = buttonWidth(IDC_BitBtn1);
    const int ok = buttonWidth(IDC_btnOK), close = buttonWidth(IDC_btnClose);
    const int width = client.right - 2 * margin;

    // Panel1 as many lines high as its text needs at this width.
    wchar_t hint[2048] = L"";
    GetDlgItemTextW(window_, IDC_Panel1, hint, 2048);
    HDC dc = GetDC(window_);
    HGDIOBJ old = SelectObject(dc, folderShown_ && bold_ ? bold_.get() : font);
    RECT text{0, 0, std::max(width, 1), 0};
    DrawTextW(dc, hint, -1, &text, DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX);
    SelectObject(dc, old);
    ReleaseDC(window_, dc);
    const int panelHeight = text.bottom - text.top;

    const int top = margin + panelHeight + gap;
    const int buttonsTop = client.bottom - margin - buttonHeight;
    const int paneHeight = std::max(0, buttonsTop - gap - top);
    // The tree's share of the width is the splitter's; each pane keeps room
    // for a scroll bar and a few letters.
    const int least = std::min(width / 2, MulDiv(units.right, 3, 2));
    const int treeWidth = std::clamp(static_cast<int>(width * treeShare_), least,
                                     std::max(least, width - gap - least));
    splitter_ = {margin + treeWidth, top, margin + treeWidth + gap, top + paneHeight};
    HDWP placing = BeginDeferWindowPos(7);
    const auto place = [&](int id, int x, int y, int w, int h) {
        placing = DeferWindowPos(placing, Control(id), nullptr, x, y, w, h, SWP_NOZORDER);
    };
    place(IDC_Panel1, margin, margin, width, panelHeight);
    place(IDC_ShellTreeView1, margin, top, treeWidth, paneHeight);
    place(IDC_ShellListView1, margin + treeWidth + gap, top, width - treeWidth - gap, paneHeight);
    place(IDC_btnPassword, margin, buttonsTop, password, buttonHeight);
    place(IDC_BitBtn1, margin + password + gap, buttonsTop, settings, buttonHeight);
    place(IDC_btnClose, client.right - margin - close, buttonsTop, close, buttonHeight);
    place(IDC_btnOK, client.right - margin - close - gap - ok, buttonsTop, ok, buttonHeight);
    EndDeferWindowPos(placing);
    InvalidateRect(window_, nullptr, TRUE);
}

bool TTolvaneForm::OverSplitter() const {
    POINT cursor{};
    GetCursorPos(&cursor);
    ScreenToClient(window_, &cursor);
    return PtInRect(&splitter_, cursor) != FALSE;
}

void TTolvaneForm::DragSplitter(int x) {
    RECT client{};
    GetClientRect(window_, &client);
    RECT units{7, 4, 0, 0};
    MapDialogRect(window_, &units);
    const int width = client.right - 2 * units.left;
    if (width <= 0)
        return;
    // The cursor stays in the middle of the bar.
    treeShare_ = std::clamp(static_cast<double>(x - units.left - units.top / 2) / width, 0.0, 1.0);
    Layout();
}

void TTolvaneForm::LoadLock() {
    // The small-icon size at the window's DPI, from the icon's own images.
    lockSize_ = GetSystemMetricsForDpi(SM_CXSMICON, GetDpiForWindow(window_));
    lock_.reset(static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_Lock),
                                              IMAGE_ICON, lockSize_, lockSize_, LR_DEFAULTCOLOR)));
    SendMessageW(Control(IDC_btnPassword), BM_SETIMAGE, IMAGE_ICON,
                 reinterpret_cast<LPARAM>(lockShown_ ? lock_.get() : nullptr));
}

void TTolvaneForm::SelectStartFolder() {
    // For the checks that drive the window without a user: the folder
    // selected as if clicked in the tree.
    std::optional<std::string> folder = platform::EnvironmentValue("TOLVANE_TEST_SELECT_FOLDER");
    const bool test = folder && !folder->empty();
    if (!test)
        folder = app::SettingsStore(app::SettingsStore::DefaultPath()).LastFolder();
    if (!folder || folder->empty())
        return;
    // Not selected otherwise: a check then sees the tree's fault.
    revealing_ = true;
    const bool revealed = tree_->Reveal(SystemPath(CorePath(Wide(*folder))));
    revealing_ = false;
    if (!revealed && test)
        std::cerr << "tolvane: " << *folder << " is not in the folder tree\n";
}

void TTolvaneForm::Command(int id) {
    switch (id) {
    case IDC_btnOK:
    case IDM_Monetize1:
        logic_.btnOKClick();
        break;
    case IDC_btnPassword:
    case IDM_SetPassword1:
        logic_.btnPasswordClick();
        break;
    case IDC_BitBtn1:
    case IDM_Configure1:
        logic_.BitBtn1Click();
        break;
    case IDC_btnClose:
    case IDM_Exit1:
    case IDCANCEL: // Escape
        SendMessageW(window_, WM_CLOSE, 0, 0);
        break;
    case IDM_HomePage1:
    case IDM_VideoTutorial1:
        if (const platform::Expected<void> opened =
                platform::OpenWithDesktop("http://" + vendor_.homeHost, "");
            !opened)
            std::cerr << "tolvane: " << platform::TextWithCause(opened.Error()) << "\n";
        break;
    case IDM_About1:
        TAboutForm(started_.texts, started_.state, vendor_).ShowModal(window_);
        break;
    }
}

void TTolvaneForm::Notify(const NMHDR& header) {
    if (header.idFrom != IDC_ShellTreeView1)
        return;
    if (header.code == TVN_ITEMEXPANDINGW) {
        const auto& change = reinterpret_cast<const NMTREEVIEWW&>(header);
        if (change.action & TVE_EXPAND)
            tree_->Expand(change.itemNew.hItem);
    } else if (header.code == TVN_SELCHANGEDW) {
        const auto& change = reinterpret_cast<const NMTREEVIEWW&>(header);
        // A tree that gets the focus without a selection selects its first
        // item (a drive) itself: that is no folder the user chose, and
        // Enter would monetize the whole drive.
        if (change.action != TVC_BYMOUSE && change.action != TVC_BYKEYBOARD && !revealing_)
            return;
        if (const std::optional<std::wstring> path = tree_->PathOf(change.itemNew.hItem))
            logic_.SelectFolder(CorePath(*path));
    }
}

void TTolvaneForm::RunPendingJob() {
    if (!pendingTexts_ || !pendingJob_)
        return;
    TProgressForm progress(*pendingTexts_);
    const ui::JobBody job = std::move(pendingJob_);
    pendingJob_ = nullptr;
    pendingTexts_.reset();
    progress_ = &progress;
    if (stopAsked_)
        progress.Abort();
    // The progress window's own loop until the worker has ended; this
    // window's messages are dispatched from there meanwhile.
    finished_ = progress.Run(job);
    progress_ = nullptr;
    PostMessageW(window_, kJobFinishedMessage, 0, 0);
}

INT_PTR TTolvaneForm::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG:
        Initialise();
        return TRUE;
    case WM_COMMAND:
        Command(LOWORD(wParam));
        return TRUE;
    case WM_NOTIFY:
        Notify(*reinterpret_cast<const NMHDR*>(lParam));
        return FALSE;
    case WM_SIZE:
        Layout();
        return TRUE;
    case WM_GETMINMAXINFO: {
        RECT least{0, 0, 300, 180};
        MapDialogRect(window_, &least);
        auto* limits = reinterpret_cast<MINMAXINFO*>(lParam);
        limits->ptMinTrackSize = {least.right, least.bottom};
        return TRUE;
    }
    case WM_DPICHANGED: {
        const auto* suggested = reinterpret_cast<const RECT*>(lParam);
        SetWindowPos(window_, nullptr, suggested->left, suggested->top,
                     suggested->right - suggested->left, suggested->bottom - suggested->top,
                     SWP_NOZORDER | SWP_NOACTIVATE);
        MakeFonts();
        LoadLock();
        files_->FitColumns();
        Layout();
        return TRUE;
    }
    case kIconsMessage:
        tree_->TakeIcons();
        files_->TakeIcons();
        return TRUE;
    case WM_SETCURSOR:
        if (reinterpret_cast<HWND>(wParam) == window_ && LOWORD(lParam) == HTCLIENT &&
            OverSplitter()) {
            SetCursor(LoadCursorW(nullptr, IDC_SIZEWE));
            SetWindowLongPtrW(window_, DWLP_MSGRESULT, TRUE);
            return TRUE;
        }
        return FALSE;
    case WM_LBUTTONDOWN:
        if (OverSplitter()) {
            dragging_ = true;
            SetCapture(window_);
        }
        return TRUE;
    case WM_MOUSEMOVE:
        if (dragging_)
            DragSplitter(static_cast<short>(LOWORD(lParam)));
        return TRUE;
    case WM_LBUTTONUP:
    case WM_CAPTURECHANGED:
        if (dragging_) {
            dragging_ = false;
            if (message == WM_LBUTTONUP)
                ReleaseCapture();
        }
        return TRUE;
    case kRunJobMessage:
        RunPendingJob();
        return TRUE;
    case kJobFinishedMessage:
        if (finished_) {
            const app::JobResult result = std::move(*finished_);
            finished_.reset();
            stopAsked_ = false;
            logic_.JobFinished(result);
            if (window_ && !GetFocus())
                SetFocus(Control(IDC_ShellTreeView1));
        }
        return TRUE;
    case WM_CLOSE:
        if (logic_.CloseQuery())
            EndProgram();
        return TRUE;
    case WM_DESTROY:
        PostQuitMessage(0);
        return FALSE;
    case WM_NCDESTROY:
        window_ = nullptr;
        return FALSE;
    }
    return FALSE;
}

void TTolvaneForm::SetCaption(C control, const std::string& caption) {
    captions_[control] = Wide(caption);
    ApplyCaptions();
}

void TTolvaneForm::SetEnabled(C control, bool enabled) {
    const UINT state = enabled ? MF_ENABLED : MF_GRAYED;
    switch (control) {
    case C::Monetize1:
        EnableMenuItem(file_, IDM_Monetize1, MF_BYCOMMAND | state);
        break;
    case C::SetPassword1:
        EnableMenuItem(settings_, IDM_SetPassword1, MF_BYCOMMAND | state);
        break;
    case C::Configure1:
        EnableMenuItem(settings_, IDM_Configure1, MF_BYCOMMAND | state);
        break;
    case C::ShellTreeView1:
        EnableWindow(Control(IDC_ShellTreeView1), enabled);
        break;
    case C::btnPassword:
        EnableWindow(Control(IDC_btnPassword), enabled);
        break;
    case C::BitBtn1:
        EnableWindow(Control(IDC_BitBtn1), enabled);
        break;
    case C::btnOK:
        EnableWindow(Control(IDC_btnOK), enabled);
        break;
    default:
        break; // the hidden Edit menu's commands and the drop list are not here
    }
}

void TTolvaneForm::SetVisible(C, bool) {
    // Only the drop list's caption is shown and hidden, and this window has no drop list.
}

void TTolvaneForm::ShowSelectedFolder(const std::string& folder, const std::string& line) {
    // The line ends in the core's form of the path: shown the system's way.
    std::string shown = line;
    if (shown.size() >= folder.size() &&
        shown.compare(shown.size() - folder.size(), folder.size(), folder) == 0)
        shown = shown.substr(0, shown.size() - folder.size()) + Shown(folder);
    folderShown_ = true;
    SetDlgItemTextW(window_, IDC_Panel1, Wide(shown).c_str());
    MakeFonts();
    Layout();
    files_->Show(folder);
}

void TTolvaneForm::ShowPasswordState(bool set, const std::string& caption,
                                     const std::string& description) {
    // The next job's protection at a glance: a lock beside the caption.
    lockShown_ = set;
    SendMessageW(Control(IDC_btnPassword), BM_SETIMAGE, IMAGE_ICON,
                 reinterpret_cast<LPARAM>(set ? lock_.get() : nullptr));
    captions_[C::btnPassword] = Wide(caption);
    ApplyCaptions();
    SetPasswordTip(Wide(description));
}

std::optional<std::string> TTolvaneForm::ChooseSavePath(const ui::SaveRequest& request) {
    return AskSavePath(window_, request);
}

ui::ReplaceAnswer TTolvaneForm::AskReplaceOrAdd(const ui::ReplaceQuestion& question) {
    return AskReplaceOrAddBox(window_, question);
}

std::optional<std::string> TTolvaneForm::AskPassword(const ui::PasswordPrompt& prompt) {
    TPasswordBox dialog(prompt, logic_.Translate("OK"), logic_.Translate("Cancel"));
    return dialog.Ask(window_);
}

void TTolvaneForm::ShowMessage(const ui::Message& message) {
    ShowMessageBox(window_, message);
}

void TTolvaneForm::StartJob(const ui::ProgressTexts& texts, ui::JobBody job) {
    // Returns at once: the job runs from the message loop, not inside the
    // click that started it.
    pendingTexts_ = texts;
    pendingJob_ = std::move(job);
    stopAsked_ = false;
    PostMessageW(window_, kRunJobMessage, 0, 0);
}

void TTolvaneForm::StopJob() {
    stopAsked_ = true;
    if (progress_)
        progress_->Abort();
}

void TTolvaneForm::HideProgress() {
    // The progress window hides itself once the job has ended.
}

void TTolvaneForm::ShowResult(const app::JobResult& result) {
    const std::optional<platform::DirEntry> zip = platform::QueryPath(result.zipPath);
    app::JobResult shown = result;
    shown.zipPath = Shown(result.zipPath);
    ShowMessageBox(window_,
                   {result.outcome == app::JobResult::Outcome::Done ? ui::Message::Kind::Information
                                                                    : ui::Message::Kind::Warning,
                    "Tolvane",
                    ui::ResultText(shown, zip ? std::optional<uint64_t>(zip->size) : std::nullopt,
                                   started_.texts, started_.state.UILanguage)});
}

void TTolvaneForm::ShowFailure(const app::JobResult& result) {
    ShowMessageBox(window_, {ui::Message::Kind::Error, "Tolvane", ui::FailureText(result)});
}

bool TTolvaneForm::RunUpdateCheck() {
    Tupdaterform updater(window_, started_.texts, started_.state.UILanguage, vendor_);
    return updater.RunStartUpCheck();
}

int32_t TTolvaneForm::ShowSignUp(ui::SignUpPage page) {
    if (!welcome_)
        welcome_ = std::make_unique<TWelcomeForm>(window_, started_.state, started_.texts, vendor_);
    return welcome_->ShowModal(page);
}

void TTolvaneForm::FillIds(const std::string& partnerId, const std::string& softwareId) {
    if (!welcome_)
        welcome_ = std::make_unique<TWelcomeForm>(window_, started_.state, started_.texts, vendor_);
    welcome_->FillIds(partnerId, softwareId);
}

void TTolvaneForm::ShowWindow() {
    ::ShowWindow(window_, SW_SHOW);
    SetForegroundWindow(window_);
    SetFocus(Control(IDC_ShellTreeView1));
}

void TTolvaneForm::EndProgram() {
    if (ended_)
        return;
    ended_ = true;
    if (window_)
        DestroyWindow(window_);
    else
        PostQuitMessage(0);
}

} // namespace tolvane::win
