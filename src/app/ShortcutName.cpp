#include "ShortcutName.h"

namespace tolvane::app {

std::string ShortcutNameProblem(const std::string& name) {
    constexpr std::string_view kSuffix = ".URL";
    const std::string base =
        name.size() >= kSuffix.size() &&
                name.compare(name.size() - kSuffix.size(), kSuffix.size(), kSuffix) == 0
            ? name.substr(0, name.size() - kSuffix.size())
            : name;
    if (base.empty())
        return "the name is empty";
    if (base == "." || base == "..")
        return "the name is \"" + base + "\"";
    for (char c : base) {
        const auto byte = static_cast<unsigned char>(c);
        // "\\" becomes a folder separator in the ZIP's stored names.
        if (c == '/' || c == '\\')
            return "the name holds a folder separator";
        if (byte < 0x20 || byte == 0x7F)
            return "the name holds a control character";
    }
    return "";
}

} // namespace tolvane::app
