#include "UpdateProductInfo.h"

#include <cctype>
#include <string_view>

namespace tolvane::update {

void TUpdateProductInfo::SetURL(const std::string& value) {
    static constexpr std::string_view kScheme = "http://";
    bool hasScheme = value.size() >= kScheme.size();
    for (size_t i = 0; hasScheme && i < kScheme.size(); ++i)
        hasScheme = std::tolower(static_cast<unsigned char>(value[i])) == kScheme[i];
    url_ = hasScheme ? value : std::string(kScheme) + value;
}

} // namespace tolvane::update
