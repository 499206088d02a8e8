#include "ProgressForm.h"

#include "ProgressFormIds.h"
#include "WideText.h"
#include "WindowPlacement.h"

#include <commctrl.h>

#include <algorithm>

namespace tolvane::win {

namespace {

constexpr UINT kProgressMessage = WM_APP + 1; // progress waits in the mailbox
constexpr UINT kFinishedMessage = WM_APP + 2; // the job's result is in
constexpr wchar_t kClassName[] = L"TolvaneProgressForm";

// Sizes at 96 dots per inch, scaled to the window's.
constexpr int kClientWidth = 338;
constexpr int kMargin = 11;
constexpr int kBarHeight = 16;
constexpr int kButtonWidth = 89;
constexpr int kMaxClientWidth = 720;

int Scaled(int pixels, UINT dpi) {
    return MulDiv(pixels, static_cast<int>(dpi), USER_DEFAULT_SCREEN_DPI);
}

void RegisterClassOnce(WNDPROC procedure) {
    WNDCLASSEXW existing{};
    existing.cbSize = sizeof existing;
    if (GetClassInfoExW(GetModuleHandleW(nullptr), kClassName, &existing))
        return;
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = procedure;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
    windowClass.hIcon = LoadIconW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(1));
    windowClass.lpszClassName = kClassName;
    RegisterClassExW(&windowClass);
}

SIZE TextExtent(HDC dc, const std::wstring& text) {
    SIZE size{0, 0};
    GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
    return size;
}

std::string FileName(const std::string& path) {
    const size_t cut = path.find_last_of("/\\");
    return cut == std::string::npos ? path : path.substr(cut + 1);
}

} // namespace

TProgressForm::TProgressForm(const ProgressTexts& texts) : texts_(texts) {
    RegisterClassOnce(&TProgressForm::Procedure);
    window_ = CreateWindowExW(WS_EX_DLGMODALFRAME | WS_EX_TOPMOST | WS_EX_CONTROLPARENT, kClassName,
                              Wide(texts_.caption).c_str(), WS_POPUP | WS_CAPTION | WS_SYSMENU,
                              CW_USEDEFAULT, CW_USEDEFAULT, kClientWidth, 185, nullptr, nullptr,
                              GetModuleHandleW(nullptr), this);
    if (!window_)
        return;
    CreateControls();
    Layout(true);
}

TProgressForm::~TProgressForm() {
    if (window_)
        DestroyWindow(window_);
}

void TProgressForm::CreateControls() {
    const auto control = [this](const wchar_t* windowClass, const std::string& text, DWORD style,
                                int id) {
        return CreateWindowExW(0, windowClass, Wide(text).c_str(), WS_CHILD | WS_VISIBLE | style, 0,
                               0, 0, 0, window_, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                               GetModuleHandleW(nullptr), nullptr);
    };
    heading_ = control(WC_STATICW, texts_.heading, SS_LEFT | SS_NOPREFIX, IDC_Progress_Label1);
    stage1_ = control(WC_STATICW, texts_.stage1, SS_LEFT | SS_NOPREFIX, IDC_Progress_Label2);
    bar1_ = control(PROGRESS_CLASSW, "", PBS_SMOOTH, IDC_Progress_ProgressBar1);
    stage2_ = control(WC_STATICW, texts_.stage2, SS_LEFT | SS_NOPREFIX, IDC_Progress_Label3);
    bar2_ = control(PROGRESS_CLASSW, "", PBS_SMOOTH, IDC_Progress_ProgressBar2);
    // The file's own name; a long one loses its middle so that its end shows.
    file_ =
        control(WC_STATICW, "", SS_LEFT | SS_NOPREFIX | SS_PATHELLIPSIS, IDC_Progress_FileLabel);
    EnableWindow(file_, FALSE);
    abort_ = control(WC_BUTTONW, texts_.abort, WS_TABSTOP | BS_DEFPUSHBUTTON, IDC_Progress_Button1);
    for (HWND bar : {bar1_, bar2_})
        SendMessageW(bar, PBM_SETRANGE32, 0, 100);
}

void TProgressForm::Layout(bool centre) {
    const UINT dpi = GetDpiForWindow(window_);
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof metrics;
    SystemParametersInfoForDpi(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0, dpi);
    font_.reset(CreateFontIndirectW(&metrics.lfMessageFont));
    for (HWND child : {heading_, stage1_, stage2_, file_, abort_})
        SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), FALSE);

    // Every text on one line: the window grows for the longest, up to a limit.
    HDC dc = GetDC(window_);
    HGDIOBJ old = SelectObject(dc, font_.get());
    TEXTMETRICW text{};
    GetTextMetricsW(dc, &text);
    int widest = 0;
    for (const std::string* caption : {&texts_.heading, &texts_.stage1, &texts_.stage2})
        widest = std::max<int>(widest, TextExtent(dc, Wide(*caption)).cx);
    const int abortText = TextExtent(dc, Wide(texts_.abort)).cx;
    SelectObject(dc, old);
    ReleaseDC(window_, dc);

    const int margin = Scaled(kMargin, dpi);
    const int line = text.tmHeight + text.tmExternalLeading;
    const int width =
        std::clamp(widest + 2 * margin, Scaled(kClientWidth, dpi), Scaled(kMaxClientWidth, dpi));
    const int inner = width - 2 * margin;
    const int barHeight = Scaled(kBarHeight, dpi);
    const int buttonWidth = std::max(Scaled(kButtonWidth, dpi), abortText + 2 * margin);
    const int buttonHeight = line + Scaled(10, dpi);
    const int gap = Scaled(8, dpi);
    const int small = Scaled(3, dpi);

    int y = margin;
    MoveWindow(heading_, margin, y, inner, line, FALSE);
    y += line + gap + small;
    MoveWindow(stage1_, margin, y, inner, line, FALSE);
    y += line + small;
    MoveWindow(bar1_, margin, y, inner, barHeight, FALSE);
    y += barHeight + gap + small;
    MoveWindow(stage2_, margin, y, inner, line, FALSE);
    y += line + small;
    MoveWindow(bar2_, margin, y, inner, barHeight, FALSE);
    y += barHeight + small;
    MoveWindow(file_, margin, y, inner, line, FALSE);
    y += line + gap;
    MoveWindow(abort_, (width - buttonWidth) / 2, y, buttonWidth, buttonHeight, FALSE);
    y += buttonHeight + margin;

    std::optional<RECT> over;
    if (centre) {
        // The middle of the screen the mouse is on: Explorer's.
        POINT cursor{};
        GetCursorPos(&cursor);
        over = WorkArea(MonitorFromPoint(cursor, MONITOR_DEFAULTTOPRIMARY));
    }
    PlaceWindow(window_, {width, y}, dpi, over);
    InvalidateRect(window_, nullptr, TRUE);
}

app::JobResult TProgressForm::Run(const JobBody& job) {
    HWND window = window_;
    thread_.Start(
        job, [window] { PostMessageW(window, kProgressMessage, 0, 0); },
        [window] { PostMessageW(window, kFinishedMessage, 0, 0); });
    if (window_) {
        ShowWindow(window_, SW_SHOW);
        SetForegroundWindow(window_);
        SetFocus(abort_);
        MSG message;
        while (!finished_ && GetMessageW(&message, nullptr, 0, 0) > 0) {
            if (!IsDialogMessageW(window_, &message)) {
                TranslateMessage(&message);
                DispatchMessageW(&message);
            }
        }
        ShowWindow(window_, SW_HIDE);
    }
    return thread_.Take();
}

void TProgressForm::ShowProgress() {
    const std::optional<ProgressSnapshot> progress = thread_.Progress().Take();
    if (!progress)
        return;
    if (progress->stage == 1) {
        SendMessageW(bar1_, PBM_SETPOS, progress->byArchive, 0);
    } else {
        SendMessageW(bar1_, PBM_SETPOS, 100, 0);
        SendMessageW(bar2_, PBM_SETPOS, progress->byArchive, 0);
    }
    SetWindowTextW(file_, Wide(FileName(progress->file)).c_str());
}

void TProgressForm::Abort() {
    if (thread_.StopRequested())
        return;
    EnableWindow(abort_, FALSE);
    thread_.RequestStop();
}

LRESULT CALLBACK TProgressForm::Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
        auto* self = static_cast<TProgressForm*>(create->lpCreateParams);
        self->window_ = window;
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    auto* self = reinterpret_cast<TProgressForm*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (!self)
        return DefWindowProcW(window, message, wParam, lParam);
    return self->Handle(message, wParam, lParam);
}

LRESULT TProgressForm::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case kProgressMessage:
        ShowProgress();
        return 0;
    case kFinishedMessage:
        ShowProgress();
        finished_ = true;
        return 0;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDC_Progress_Button1)
            Abort();
        return 0;
    case WM_CLOSE:
        // The title bar's close is "Abort"; the job's end closes the window.
        Abort();
        return 0;
    case WM_DPICHANGED:
        Layout(false);
        return 0;
    case WM_NCDESTROY: {
        HWND window = window_;
        SetWindowLongPtrW(window, GWLP_USERDATA, 0);
        window_ = nullptr;
        return DefWindowProcW(window, message, wParam, lParam);
    }
    }
    return DefWindowProcW(window_, message, wParam, lParam);
}

} // namespace tolvane::win
