// The window in which the update component shows the product's web page
// before a download; the GUI supplies it.
#pragma once

#include "UpdateInfoCaption.h"

#include <string>

namespace tolvane::update {

class UpdateInfoWindow {
public:
    virtual ~UpdateInfoWindow() = default;
    // Shows `address` modally with the given captions and the check box set to
    // `checkForUpdate`, which receives the box's state on return. True when
    // the window was closed with OK.
    virtual bool ShowModal(const TUpdateInfoCaption& captions, const std::string& address,
                           bool& checkForUpdate) = 0;
};

} // namespace tolvane::update
