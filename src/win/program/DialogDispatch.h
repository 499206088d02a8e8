// The body of a dialog procedure whose window object came as the dialog's
// creation parameter: the object learns its window with WM_INITDIALOG, is
// kept in the dialog's user data, and answers every message from then on.
#pragma once

#include <windows.h>

namespace tolvane::win {

template <class Window>
INT_PTR DispatchDialog(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam,
                       HWND Window::*handle, INT_PTR (Window::*handler)(UINT, WPARAM, LPARAM)) {
    if (message == WM_INITDIALOG) {
        SetWindowLongPtrW(dialog, DWLP_USER, lParam);
        reinterpret_cast<Window*>(lParam)->*handle = dialog;
    }
    auto* self = reinterpret_cast<Window*>(GetWindowLongPtrW(dialog, DWLP_USER));
    return self ? (self->*handler)(message, wParam, lParam) : FALSE;
}

} // namespace tolvane::win
