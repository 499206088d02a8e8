// The process's environment variables.
#pragma once

#include <optional>
#include <string>

namespace tolvane::platform {

// The value of the variable `name` (UTF-8), or nullopt when it is not set.
std::optional<std::string> EnvironmentValue(const std::string& name);

} // namespace tolvane::platform
