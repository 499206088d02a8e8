#include "SettingsStore.h"

#include "platform/FileSystem.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <map>
#include <sys/stat.h>
#include <unistd.h>

namespace tolvane::app {

namespace {

// Lines "name=dword:123" or "name=sz:text"; "\\", "\n" and "\r" escaped in text.
std::string Escape(const std::string& text) {
    std::string out;
    for (char c : text) {
        if (c == '\\')
            out += "\\\\";
        else if (c == '\n')
            out += "\\n";
        else if (c == '\r')
            out += "\\r";
        else
            out += c;
    }
    return out;
}

std::string Unescape(const std::string& text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\' || i + 1 == text.size()) {
            out += text[i];
            continue;
        }
        const char next = text[++i];
        out += next == 'n' ? '\n' : next == 'r' ? '\r' : next;
    }
    return out;
}

struct Value {
    std::string type;
    std::string data;
};

} // namespace

std::string SettingsStore::DefaultPath() {
    const char* config = std::getenv("XDG_CONFIG_HOME");
    std::string base;
    if (config && config[0] == '/') {
        base = config;
    } else {
        const char* home = std::getenv("HOME");
        base = std::string(home ? home : "") + "/.config";
    }
    return base + "/Tolvane/settings";
}

bool SettingsStore::Load(Settings& settings, const std::string& supportEmail,
                         std::string& error) const {
    const std::string failure =
        "Could not read data from Registry.\r\nPlease contact us at " + supportEmail;
    std::map<std::string, Value> values;
    std::ifstream in(path_, std::ios::binary);
    // No file is the missing key: defaults. One that is there but cannot be
    // read is the key that would not open (access denied): a failure.
    if (!in && access(path_.c_str(), F_OK) == 0) {
        error = failure;
        return false;
    }
    std::string line;
    while (in && std::getline(in, line)) {
        if (line.empty() || line[0] == '#')
            continue;
        const auto eq = line.find('=');
        const auto colon = line.find(':', eq == std::string::npos ? 0 : eq);
        if (eq == std::string::npos || colon == std::string::npos)
            continue; // not a value line: ignored, as a registry would not show it
        values[line.substr(0, eq)] = {line.substr(eq + 1, colon - eq - 1), line.substr(colon + 1)};
    }
    auto readDword = [&](const char* name, int64_t& out) {
        auto it = values.find(name);
        if (it == values.end())
            return true;
        char* end = nullptr;
        errno = 0;
        const long long v = std::strtoll(it->second.data.c_str(), &end, 10);
        if (it->second.type != "dword" || it->second.data.empty() || *end != '\0' || errno != 0 ||
            v < INT32_MIN || v > UINT32_MAX)
            return false;
        out = v;
        return true;
    };
    auto readString = [&](const char* name, std::string& out) {
        auto it = values.find(name);
        if (it == values.end())
            return true;
        if (it->second.type != "sz")
            return false;
        out = Unescape(it->second.data);
        return true;
    };
    int64_t number = 0;
    if (!readDword("signedup", number)) {
        error = failure;
        return false;
    }
    settings.signedUp = values.count("signedup") ? number != 0 : settings.signedUp;
    if (!readString("partnerid", settings.partnerId) ||
        !readString("softwareid", settings.softwareId)) {
        error = failure;
        return false;
    }
    if (!readDword("targetlanguage", number)) {
        error = failure;
        return false;
    }
    if (values.count("targetlanguage"))
        settings.targetLanguage = static_cast<int32_t>(number);
    return true;
}

bool SettingsStore::Save(const Settings& settings, std::string& error) const {
    const std::string folder = path_.substr(0, path_.find_last_of('/') + 1);
    auto fail = [&](int err) {
        error = "Error writing data to Registry (" + path_ + ": " + platform::ErrorText(err) + ")";
        return false;
    };
    if (!folder.empty() && !platform::CreateFolderTree(folder))
        return fail(errno ? errno : EACCES);
    const std::string text =
        "# Tolvane settings\n"
        "signedup=dword:" +
        std::to_string(settings.signedUp ? 1 : 0) + "\npartnerid=sz:" + Escape(settings.partnerId) +
        "\nsoftwareid=sz:" + Escape(settings.softwareId) +
        "\ntargetlanguage=dword:" + std::to_string(settings.targetLanguage) + "\n";
    std::string temp = path_ + ".XXXXXX";
    const int fd = mkstemp(temp.data());
    if (fd < 0)
        return fail(errno);
    size_t done = 0;
    int err = 0;
    while (done < text.size()) {
        const ssize_t n = write(fd, text.data() + done, text.size() - done);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            err = errno;
            break;
        }
        done += static_cast<size_t>(n);
    }
    if (err == 0 && fsync(fd) != 0)
        err = errno;
    fchmod(fd, 0600);
    if (close(fd) != 0 && err == 0)
        err = errno;
    if (err == 0 && rename(temp.c_str(), path_.c_str()) != 0)
        err = errno;
    if (err != 0) {
        unlink(temp.c_str());
        return fail(err);
    }
    // The rename itself reaches the disk only with the folder's own entries.
    const int folderFd = open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY);
    if (folderFd >= 0) {
        fsync(folderFd);
        close(folderFd);
    }
    return true;
}

} // namespace tolvane::app
