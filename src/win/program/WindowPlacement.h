// Sizing a window for the client area its layout needs at a DPI, and
// placing it centred over a rectangle without leaving that screen's work
// area: the windows lay themselves out in pixels and size their frame to fit.
#pragma once

#include <optional>

#include <windows.h>

namespace tolvane::win {

// The work area (the screen less the taskbar) of `monitor`.
RECT WorkArea(HMONITOR monitor);

// Gives `window` the frame around a `client` area at `dpi`; centred over
// `over` when given (a work area, the owner's rectangle), where it is kept
// inside the work area of the screen `over` is on; else where it is.
void PlaceWindow(HWND window, SIZE client, UINT dpi, std::optional<RECT> over);

} // namespace tolvane::win
