// TUpdateProductInfo: the installed product, whose update page the check reads.
#pragma once

#include "UpdateTypes.h"

#include <string>

namespace tolvane::update {

class TUpdateProductInfo {
public:
    // The address of the update page; always begins with "http://" or "https://".
    const std::string& URL() const { return url_; }
    // Stores `value`, prefixed with "http://" unless it already begins with
    // that scheme or "https://" in any letter case.
    void SetURL(const std::string& value);

    std::string Version = "1.0";
    TVersionFormat VersionFormat = vfStandard;

private:
    std::string url_ = "http://";
};

} // namespace tolvane::update
