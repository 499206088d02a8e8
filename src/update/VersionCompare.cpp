#include "VersionCompare.h"

#include <charconv>
#include <cstdint>
#include <optional>

namespace tolvane::update {

namespace {

// The whole text as an integer (optional sign, decimal digits), else 0.
int64_t IntegerOrZero(const std::string& text) {
    const char* first = text.data();
    const char* last = first + text.size();
    if (first != last && *first == '+')
        ++first;
    int64_t value = 0;
    const auto [end, ec] = std::from_chars(first, last, value);
    return (first != last && ec == std::errc() && end == last) ? value : 0;
}

// The whole text, blanks around it allowed, as a floating-point number.
std::optional<double> Number(const std::string& text) {
    const size_t begin = text.find_first_not_of(' ');
    if (begin == std::string::npos)
        return std::nullopt;
    const size_t stop = text.find_last_not_of(' ') + 1;
    const char* first = text.data() + begin;
    const char* last = text.data() + stop;
    if (*first == '+')
        ++first;
    double value = 0;
    const auto [end, ec] = std::from_chars(first, last, value);
    if (first == last || ec != std::errc() || end != last)
        return std::nullopt;
    return value;
}

// The text before the first "." (all of it without one); `rest` keeps what
// follows the dot, or becomes empty.
std::string TakePart(std::string& rest) {
    const size_t dot = rest.find('.');
    std::string part = rest.substr(0, dot);
    rest = dot == std::string::npos ? std::string() : rest.substr(dot + 1);
    return part;
}

bool StandardIsNewer(std::string installed, std::string offered) {
    for (;;) {
        const bool installedHasMore = installed.find('.') != std::string::npos;
        const int64_t have = IntegerOrZero(TakePart(installed));
        const int64_t offer = IntegerOrZero(TakePart(offered));
        if (offer != have)
            return offer > have;
        if (!installedHasMore)
            return false;
    }
}

} // namespace

bool OfferedIsNewer(TVersionFormat format, const std::string& installed,
                    const std::string& offered) {
    switch (format) {
    case vfStandard:
        return StandardIsNewer(installed, offered);
    case vfString:
        return offered.compare(installed) > 0;
    case vfNumber: {
        const std::optional<double> have = Number(installed);
        const std::optional<double> offer = Number(offered);
        return have && offer && *offer > *have;
    }
    }
    return false;
}

} // namespace tolvane::update
