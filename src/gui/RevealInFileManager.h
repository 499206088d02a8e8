// Shows a file in the user's file manager, selected: the freedesktop
// FileManager1.ShowItems call over the session bus, which Dolphin, Nautilus,
// Nemo and Thunar answer; without one, the file's folder is opened.
#pragma once

#include <QString>

namespace tolvane::gui {

// True when the file manager or the desktop took the request.
bool RevealInFileManager(const QString& path);

} // namespace tolvane::gui
