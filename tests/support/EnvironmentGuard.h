// Sets (or clears, for nullptr) environment variables for one test and
// restores their previous values afterwards.
#pragma once

#include <cstdlib>
#include <initializer_list>
#include <map>
#include <optional>
#include <string>
#include <utility>

namespace tolvane::test {

class EnvironmentGuard {
#ifdef _WIN32
    // The C runtime's forms, which keep its narrow and wide copies alike.
    static void setenv(const char* name, const char* value, int) {
        _putenv_s(name, value);
    }
    static void unsetenv(const char* name) {
        _putenv_s(name, "");
    }
#endif

public:
    EnvironmentGuard(std::initializer_list<std::pair<const char*, const char*>> values) {
        for (const auto& [name, value] : values) {
            const char* old = std::getenv(name);
            saved_.emplace(name, old ? std::optional<std::string>(old) : std::nullopt);
            if (value)
                setenv(name, value, 1);
            else
                unsetenv(name);
        }
    }
    ~EnvironmentGuard() {
        for (const auto& [name, value] : saved_) {
            if (value)
                setenv(name.c_str(), value->c_str(), 1);
            else
                unsetenv(name.c_str());
        }
    }
    EnvironmentGuard(const EnvironmentGuard&) = delete;
    EnvironmentGuard& operator=(const EnvironmentGuard&) = delete;

private:
    std::map<std::string, std::optional<std::string>> saved_;
};

} // namespace tolvane::test
