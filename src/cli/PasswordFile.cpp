#include "PasswordFile.h"

#include "platform/File.h"
#include "platform/FileSystem.h"

namespace tolvane::cli {

bool ReadPasswordFile(const std::string& path, std::string& password, std::string& error) {
    platform::File file(path, platform::File::Mode::Read);
    if (!file.IsOpen()) {
        error = path + ": " + platform::ErrorText(file.LastError());
        return false;
    }
    constexpr size_t kLimit = 4096; // far beyond any password
    std::string text(kLimit + 1, '\0');
    const int64_t got = file.Read(text.data(), text.size());
    if (got < 0) {
        error = path + ": " + platform::ErrorText(file.LastError());
        return false;
    }
    if (static_cast<size_t>(got) > kLimit) {
        error = path + ": too long for a password file";
        return false;
    }
    text.resize(static_cast<size_t>(got));
    if (!text.empty() && text.back() == '\n') {
        text.pop_back();
        if (!text.empty() && text.back() == '\r')
            text.pop_back();
    }
    if (text.empty()) {
        error = path + ": the password file is empty; an archive is never encrypted with an "
                       "empty password";
        return false;
    }
    password = std::move(text);
    return true;
}

} // namespace tolvane::cli
