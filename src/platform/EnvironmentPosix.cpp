#include "Environment.h"

#include <cstdlib>

namespace tolvane::platform {

std::optional<std::string> EnvironmentValue(const std::string& name) {
    const char* value = std::getenv(name.c_str());
    if (value == nullptr)
        return std::nullopt;
    return std::string(value);
}

} // namespace tolvane::platform
