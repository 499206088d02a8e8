// Opens a web or mail link in the user's browser or mail program; where none
// is set up, a box shows the address, selectable and with a "Copy" button, so
// that the user can take it elsewhere.
#pragma once

#include "UiTexts.h"

#include <QUrl>

#include <functional>

class QWidget;

namespace tolvane::gui {

struct LinkOpener {
    // Hands the link to the desktop; false when nothing took it. Tests and
    // the windows' callers may replace it.
    std::function<bool(const QUrl&)> openUrl;

    LinkOpener();
    // Opens `url`, or shows the box (objectName "LinkFailedBox") over `parent`.
    void Open(QWidget* parent, const QUrl& url, const UiTexts& texts) const;
};

} // namespace tolvane::gui
