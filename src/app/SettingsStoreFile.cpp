#include "SettingsStore.h"

#include "platform/FileSystem.h"
#include "platform/PendingFile.h"
#include "platform/XdgFolders.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <map>
#include <optional>

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

using Values = std::map<std::string, Value>;

// The "name=type:data" lines of `text`, or which line is no setting.
platform::Expected<Values> ParseValues(const std::string& text) {
    Values values;
    size_t lineNumber = 0;
    for (size_t pos = 0; pos < text.size();) {
        const size_t end = text.find('\n', pos);
        std::string line = text.substr(pos, end - pos);
        pos = end == std::string::npos ? text.size() : end + 1;
        ++lineNumber;
        if (!line.empty() && line.back() == '\r')
            line.pop_back(); // edited on Windows: CR LF is a line end too
        if (line.empty() || line[0] == '#')
            continue;
        const auto eq = line.find('=');
        const auto colon = line.find(':', eq == std::string::npos ? 0 : eq);
        if (eq == std::string::npos || eq == 0 || colon == std::string::npos)
            return platform::Unexpected{
                platform::Failure("", "line " + std::to_string(lineNumber) + " is not a setting")};
        values[line.substr(0, eq)] = {line.substr(eq + 1, colon - eq - 1), line.substr(colon + 1)};
    }
    return values;
}

// The values of a readable, well-formed file; nullopt for no file or one
// that cannot be taken apart.
std::optional<Values> ReadValues(const std::string& path) {
    const auto entry = platform::QueryPath(path);
    if (!entry || entry->kind != platform::EntryKind::File)
        return std::nullopt;
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return std::nullopt;
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad() || text.empty() || text.back() != '\n')
        return std::nullopt;
    platform::Expected<Values> values = ParseValues(text);
    if (!values)
        return std::nullopt;
    return std::move(*values);
}

constexpr const char* kWriteError = "Error writing data to Registry";

platform::Unexpected<platform::Report> WriteFailure(const std::string& path, std::string why) {
    platform::Report report = platform::Failure(path, std::move(why));
    report.text = kWriteError;
    return platform::Unexpected{std::move(report)};
}

// Replaces the file at `path` with `values`.
platform::Expected<void> WriteValues(const std::string& path, const Values& values, bool durable) {
    const std::string folder = path.substr(0, path.find_last_of('/') + 1);
    auto fail = [&](int err) { return WriteFailure(path, platform::ErrorText(err)); };
    if (!folder.empty() && !platform::CreateFolderTree(folder))
        return fail(errno ? errno : EACCES);
    // The sign-up's values first, in their reading order, then any others.
    std::string text = "# Tolvane settings\n";
    static constexpr const char* kOrder[] = {"signedup", "partnerid", "softwareid",
                                             "targetlanguage"};
    for (const char* name : kOrder) {
        if (const auto it = values.find(name); it != values.end())
            text += it->first + "=" + it->second.type + ":" + it->second.data + "\n";
    }
    for (const auto& [name, value] : values) {
        if (std::find(std::begin(kOrder), std::end(kOrder), name) == std::end(kOrder))
            text += name + "=" + value.type + ":" + value.data + "\n";
    }
    // Written in full beside the file, then put in its place in one step:
    // a crash never leaves half a file; `durable` also waits for the disk.
    platform::PendingFile file(folder.empty() ? "." : folder, ".settings");
    if (!file.IsOpen())
        return fail(file.Error());
    if (file.Handle().Write(text.data(), text.size()) != static_cast<int64_t>(text.size()))
        return fail(file.Handle().LastError());
    if (const int err = file.CommitTo(path, 0600, durable); err != 0)
        return fail(err);
    return {};
}

} // namespace

std::string SettingsStore::DefaultPath() {
    return platform::XdgConfigHome() + "/Tolvane/settings";
}

platform::Expected<Settings, SettingsReadFailure> SettingsStore::Read() const {
    Settings settings;
    auto fail = [&](const std::string& why) {
        return platform::Unexpected{
            SettingsReadFailure{platform::Failure(path_, why), std::move(settings)}};
    };
    // No file is the missing key: defaults. One that is there but cannot be
    // read is the key that would not open (access denied): a failure, and so
    // is anything there that is no file (a folder would throw from the read).
    if (const auto entry = platform::QueryPath(path_);
        entry && entry->kind != platform::EntryKind::File)
        return fail(entry->IsDirectory() ? "it is a folder, not a file" : "it is not a file");
    std::ifstream in(path_, std::ios::binary);
    if (!in) {
        if (!platform::PathExists(path_))
            return settings;
        return fail(platform::ErrorText(errno ? errno : EACCES));
    }
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad())
        return fail(platform::ErrorText(EIO));
    if (text.empty())
        return fail("the file is empty");
    if (text.back() != '\n')
        return fail("the file is cut short (its last line has no end)");

    const platform::Expected<Values> parsed = ParseValues(text);
    if (!parsed)
        return fail(parsed.Error().extendedMsg);
    const Values& values = *parsed;
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
    if (!readDword("signedup", number))
        return fail("\"signedup\" is not a number");
    settings.signedUp = values.count("signedup") ? number != 0 : settings.signedUp;
    if (!readString("partnerid", settings.partnerId))
        return fail("\"partnerid\" is not a text");
    if (!readString("softwareid", settings.softwareId))
        return fail("\"softwareid\" is not a text");
    if (!readDword("targetlanguage", number))
        return fail("\"targetlanguage\" is not a number");
    if (values.count("targetlanguage"))
        settings.targetLanguage = static_cast<int32_t>(number);
    return settings;
}

platform::Expected<void> SettingsStore::Save(const Settings& settings) const {
    Values values = ReadValues(path_).value_or(Values{});
    values["signedup"] = {"dword", std::to_string(settings.signedUp ? 1 : 0)};
    values["partnerid"] = {"sz", Escape(settings.partnerId)};
    values["softwareid"] = {"sz", Escape(settings.softwareId)};
    values["targetlanguage"] = {"dword", std::to_string(settings.targetLanguage)};
    return WriteValues(path_, values, true);
}

std::string SettingsStore::LastFolder() const {
    const std::optional<Values> values = ReadValues(path_);
    if (!values)
        return {};
    const auto it = values->find("lastfolder");
    return it != values->end() && it->second.type == "sz" ? Unescape(it->second.data) : "";
}

platform::Expected<void> SettingsStore::SaveLastFolder(const std::string& folder) const {
    std::optional<Values> values = ReadValues(path_);
    if (!values) {
        // A damaged file is the user's to repair: it is not replaced by one
        // that would lose its IDs.
        if (platform::PathExists(path_))
            return WriteFailure(path_, "the file cannot be read");
        values.emplace();
    }
    (*values)["lastfolder"] = {"sz", Escape(folder)};
    // Only a hint for the next start, saved just after a job wrote its
    // archive: a sync here would wait for the whole archive to reach the
    // disk (the file system commits both together).
    return WriteValues(path_, *values, false);
}

} // namespace tolvane::app
