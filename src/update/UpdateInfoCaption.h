// TUpdateInfoCaption: the captions of the info window's buttons and check box.
#pragma once

#include <string>

namespace tolvane::update {

struct TUpdateInfoCaption {
    std::string OkButton = "&OK";
    std::string CancelButton = "&Cancel";
    std::string CheckForUpdate = "C&heck for updates in the future";
};

} // namespace tolvane::update
