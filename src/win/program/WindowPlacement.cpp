#include "WindowPlacement.h"

#include <algorithm>

namespace tolvane::win {

RECT WorkArea(HMONITOR monitor) {
    MONITORINFO info{};
    info.cbSize = sizeof info;
    GetMonitorInfoW(monitor, &info);
    return info.rcWork;
}

void PlaceWindow(HWND window, SIZE client, UINT dpi, std::optional<RECT> over) {
    const auto style = static_cast<DWORD>(GetWindowLongPtrW(window, GWL_STYLE));
    const auto exStyle = static_cast<DWORD>(GetWindowLongPtrW(window, GWL_EXSTYLE));
    RECT frame{0, 0, client.cx, client.cy};
    AdjustWindowRectExForDpi(&frame, style, FALSE, exStyle, dpi);
    const int width = frame.right - frame.left;
    const int height = frame.bottom - frame.top;
    if (!over) {
        SetWindowPos(window, nullptr, 0, 0, width, height,
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        return;
    }
    const RECT work = WorkArea(MonitorFromRect(&*over, MONITOR_DEFAULTTOPRIMARY));
    const int x = std::clamp<int>(over->left + (over->right - over->left - width) / 2, work.left,
                                  std::max<int>(work.left, work.right - width));
    const int y = std::clamp<int>(over->top + (over->bottom - over->top - height) / 2, work.top,
                                  std::max<int>(work.top, work.bottom - height));
    SetWindowPos(window, nullptr, x, y, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
}

} // namespace tolvane::win
