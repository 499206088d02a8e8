#include "UpdateProductInfo.h"

#include <cctype>
#include <string_view>

namespace tolvane::update {

namespace {

bool BeginsWithIgnoringCase(const std::string& value, std::string_view prefix) {
    if (value.size() < prefix.size())
        return false;
    for (size_t i = 0; i < prefix.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(value[i])) != prefix[i])
            return false;
    }
    return true;
}

} // namespace

void TUpdateProductInfo::SetURL(const std::string& value) {
    static constexpr std::string_view kScheme = "http://";
    // An update page on a secure server keeps its scheme.
    const bool hasScheme =
        BeginsWithIgnoringCase(value, kScheme) || BeginsWithIgnoringCase(value, "https://");
    url_ = hasScheme ? value : std::string(kScheme) + value;
}

} // namespace tolvane::update
