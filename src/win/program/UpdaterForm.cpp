#include "UpdaterForm.h"

#include "DialogDispatch.h"
#include "UpdaterFormIds.h"
#include "WideText.h"
#include "WindowPlacement.h"

#include "ui/UpdaterFormLogic.h"
#include "win/UpdateCheckThread.h"

#include <commctrl.h>

#include <algorithm>
#include <type_traits>

namespace tolvane::win {

namespace {

constexpr UINT kWakeMessage = WM_APP + 20; // the check's calls or its end wait in the thread

// Sizes at 96 dots per inch, scaled to the window's: the label and the bar
// 16 pixels in from the left, the button centred below.
constexpr int kMargin = 16;
constexpr int kBarTop = 48;
constexpr int kBarWidth = 385;
constexpr int kBarHeight = 17;
constexpr int kBarToButton = 23;
constexpr int kButtonWidth = 75;
constexpr int kButtonHeight = 25;
constexpr int kBottom = 9;

int Scaled(int pixels, UINT dpi) {
    return MulDiv(pixels, static_cast<int>(dpi), USER_DEFAULT_SCREEN_DPI);
}

// The dialog manager's own rescaling at a new DPI is turned off where the
// system has it: the window lays itself out in pixels. Looked up at run time,
// since older systems (and Wine) lack it.
void TakeOverDpiChanges(HWND dialog) {
    using Function = BOOL(WINAPI*)(HWND, DIALOG_DPI_CHANGE_BEHAVIORS, DIALOG_DPI_CHANGE_BEHAVIORS);
    HMODULE user32 = GetModuleHandleW(L"user32.dll");
    const auto set = user32 ? reinterpret_cast<Function>(reinterpret_cast<void (*)()>(
                                  GetProcAddress(user32, "SetDialogDpiChangeBehavior")))
                            : nullptr;
    if (set)
        set(dialog, DDC_DISABLE_ALL, DDC_DISABLE_ALL);
}

} // namespace

class Tupdaterform::View final : public ui::UpdaterFormView {
public:
    View(HWND owner, const app::TranslationTable& table, int language,
         const app::VendorConfig& vendor);
    ~View() override;

    bool RunStartUpCheck();

private:
    static INT_PTR CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    INT_PTR Handle(UINT message, WPARAM wParam, LPARAM lParam);
    void MakeFont();
    // Places everything in pixels at the window's DPI, the label as tall as
    // its text wrapped; centred on the owner's screen when `centre`.
    void Layout(bool centre);
    void TakeResult();
    HWND Control(int id) const { return GetDlgItem(window_, id); }

    // ui::UpdaterFormView
    void SetTitle(const std::string& title) override;
    void SetCaption(ui::UpdaterControl control, const std::string& caption) override;
    void SetEnabled(ui::UpdaterControl control, bool enabled) override;
    void SetProgress(int position, int maximum) override;
    void ShowWindow(bool shown) override;
    bool AskYesNo(const ui::Message& question) override;
    void StartCheck(ui::UpdateCheckBody body) override;
    void StopCheck() override;
    void CheckEnded() override { ended_ = true; }

    using FontHandle = std::unique_ptr<std::remove_pointer_t<HFONT>, decltype(&DeleteObject)>;

    HWND owner_;
    HWND window_ = nullptr;
    FontHandle font_{nullptr, &DeleteObject};
    bool ended_ = false;
    ui::UpdaterFormLogic logic_;
    // Made once the window exists, to post to it; joined before it goes.
    std::unique_ptr<UpdateCheckThread> thread_;
};

Tupdaterform::View::View(HWND owner, const app::TranslationTable& table, int language,
                         const app::VendorConfig& vendor)
    : owner_(owner), logic_(table, language, vendor, *this) {
    CreateDialogParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_updaterform), owner,
                       &View::Procedure, reinterpret_cast<LPARAM>(this));
    if (!window_)
        return;
    HWND window = window_;
    thread_ =
        std::make_unique<UpdateCheckThread>([window] { PostMessageW(window, kWakeMessage, 0, 0); });
    TakeOverDpiChanges(window_);
    MakeFont();
    logic_.FormShow();
    Layout(true);
}

Tupdaterform::View::~View() {
    // The worker goes first: it posts to the window.
    thread_.reset();
    if (window_)
        DestroyWindow(window_);
}

bool Tupdaterform::View::RunStartUpCheck() {
    if (!window_ || !logic_.RunCheck())
        return true;
    ended_ = false;
    MSG message;
    while (!ended_) {
        const BOOL got = GetMessageW(&message, nullptr, 0, 0);
        if (got <= 0) {
            // The program is being ended: the check stops, and the quit
            // goes on to the loop that waits for it.
            thread_->RequestStop();
            if (thread_->Running())
                logic_.CheckFinished(thread_->Take());
            PostQuitMessage(got == 0 ? static_cast<int>(message.wParam) : 1);
            return true;
        }
        if (IsDialogMessageW(window_, &message))
            continue;
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return logic_.ProgramGoesOn();
}

INT_PTR CALLBACK Tupdaterform::View::Procedure(HWND window, UINT message, WPARAM wParam,
                                               LPARAM lParam) {
    return DispatchDialog(window, message, wParam, lParam, &View::window_, &View::Handle);
}

INT_PTR Tupdaterform::View::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG:
        return FALSE; // the focus is placed when the window is shown
    case kWakeMessage:
        TakeResult();
        return TRUE;
    case WM_COMMAND:
        // Escape is IDCANCEL, Enter the default button: both are "Abort".
        if (LOWORD(wParam) == IDC_Updater_CancelBtn || LOWORD(wParam) == IDCANCEL)
            logic_.CancelBtnClick();
        return TRUE;
    case WM_CLOSE:
        logic_.CancelBtnClick();
        return TRUE;
    case WM_DPICHANGED: {
        const auto* suggested = reinterpret_cast<const RECT*>(lParam);
        SetWindowPos(window_, nullptr, suggested->left, suggested->top, 0, 0,
                     SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOSIZE);
        MakeFont();
        Layout(false);
        return TRUE;
    }
    case WM_NCDESTROY:
        SetWindowLongPtrW(window_, DWLP_USER, 0);
        window_ = nullptr;
        return FALSE;
    }
    return FALSE;
}

void Tupdaterform::View::TakeResult() {
    if (!thread_ || !thread_->RunPending())
        return;
    logic_.CheckFinished(thread_->Take());
}

void Tupdaterform::View::MakeFont() {
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof metrics;
    SystemParametersInfoForDpi(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0,
                               GetDpiForWindow(window_));
    font_.reset(CreateFontIndirectW(&metrics.lfMessageFont));
    for (int id : {IDC_Updater_lblInfo, IDC_Updater_CancelBtn})
        SendMessageW(Control(id), WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), FALSE);
}

void Tupdaterform::View::Layout(bool centre) {
    const UINT dpi = GetDpiForWindow(window_);
    const int margin = Scaled(kMargin, dpi);
    const int barWidth = Scaled(kBarWidth, dpi);
    const int width = barWidth + margin + Scaled(11, dpi);

    const auto text = [this](int id) {
        std::wstring value(static_cast<size_t>(GetWindowTextLengthW(Control(id))) + 1, L'\0');
        value.resize(static_cast<size_t>(
            GetWindowTextW(Control(id), value.data(), static_cast<int>(value.size()))));
        return value;
    };
    const std::wstring info = text(IDC_Updater_lblInfo);
    const std::wstring button = text(IDC_Updater_CancelBtn);
    HDC dc = GetDC(window_);
    HGDIOBJ old = SelectObject(dc, font_.get());
    TEXTMETRICW metrics{};
    GetTextMetricsW(dc, &metrics);
    RECT infoRect{0, 0, barWidth, 0};
    DrawTextW(dc, info.c_str(), static_cast<int>(info.size()), &infoRect,
              DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX);
    SIZE buttonText{0, 0};
    GetTextExtentPoint32W(dc, button.c_str(), static_cast<int>(button.size()), &buttonText);
    SelectObject(dc, old);
    ReleaseDC(window_, dc);

    const int line = metrics.tmHeight + metrics.tmExternalLeading;
    const int infoHeight = std::max<int>(infoRect.bottom, line);
    // One line leaves the bar where it always was; more push it down.
    const int barTop = std::max(Scaled(kBarTop, dpi), margin + infoHeight + Scaled(8, dpi));
    const int barHeight = Scaled(kBarHeight, dpi);
    const int buttonTop = barTop + barHeight + Scaled(kBarToButton, dpi);
    const int buttonWidth =
        std::max<int>(Scaled(kButtonWidth, dpi), buttonText.cx + Scaled(24, dpi));
    const int buttonHeight = std::max(Scaled(kButtonHeight, dpi), line + Scaled(8, dpi));
    const int height = buttonTop + buttonHeight + Scaled(kBottom, dpi);
    MoveWindow(Control(IDC_Updater_lblInfo), margin, margin, barWidth, infoHeight, FALSE);
    MoveWindow(Control(IDC_Updater_ProgressBar1), margin, barTop, barWidth, barHeight, FALSE);
    MoveWindow(Control(IDC_Updater_CancelBtn), (width - buttonWidth) / 2, buttonTop, buttonWidth,
               buttonHeight, FALSE);

    std::optional<RECT> over;
    if (centre)
        over = WorkArea(MonitorFromWindow(owner_ ? owner_ : window_, MONITOR_DEFAULTTOPRIMARY));
    PlaceWindow(window_, {width, height}, dpi, over);
    InvalidateRect(window_, nullptr, TRUE);
}

void Tupdaterform::View::SetTitle(const std::string& title) {
    SetWindowTextW(window_, Wide(title).c_str());
}

void Tupdaterform::View::SetCaption(ui::UpdaterControl control, const std::string& caption) {
    SetWindowTextW(Control(control == ui::UpdaterControl::lblInfo ? IDC_Updater_lblInfo
                                                                  : IDC_Updater_CancelBtn),
                   Wide(caption).c_str());
    Layout(false);
}

void Tupdaterform::View::SetEnabled(ui::UpdaterControl control, bool enabled) {
    HWND item = Control(control == ui::UpdaterControl::lblInfo ? IDC_Updater_lblInfo
                                                               : IDC_Updater_CancelBtn);
    // A disabled button that has the focus would leave the keys nowhere.
    if (!enabled && GetFocus() == item)
        SetFocus(window_);
    EnableWindow(item, enabled ? TRUE : FALSE);
}

void Tupdaterform::View::SetProgress(int position, int maximum) {
    SendMessageW(Control(IDC_Updater_ProgressBar1), PBM_SETRANGE32, 0, maximum);
    SendMessageW(Control(IDC_Updater_ProgressBar1), PBM_SETPOS, position, 0);
}

void Tupdaterform::View::ShowWindow(bool shown) {
    if (!shown) {
        ::ShowWindow(window_, SW_HIDE);
        return;
    }
    if (!IsWindowVisible(window_))
        Layout(true);
    ::ShowWindow(window_, SW_SHOW);
    SetForegroundWindow(window_);
    SendMessageW(window_, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(Control(IDC_Updater_CancelBtn)),
                 TRUE);
}

bool Tupdaterform::View::AskYesNo(const ui::Message& question) {
    // The window is still hidden: the box comes to the front on its own.
    return MessageBoxW(window_, Wide(question.text).c_str(), Wide(question.title).c_str(),
                       MB_YESNO | MB_ICONWARNING | MB_SETFOREGROUND) == IDYES;
}

void Tupdaterform::View::StartCheck(ui::UpdateCheckBody body) {
    thread_->Start(std::move(body));
}

void Tupdaterform::View::StopCheck() {
    thread_->RequestStop();
}

Tupdaterform::Tupdaterform(HWND owner, const app::TranslationTable& table, int language,
                           const app::VendorConfig& vendor)
    : view_(std::make_unique<View>(owner, table, language, vendor)) {}

Tupdaterform::~Tupdaterform() = default;

bool Tupdaterform::RunStartUpCheck() {
    return view_->RunStartUpCheck();
}

} // namespace tolvane::win
