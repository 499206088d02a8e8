// The Explorer verb: a key of the folder class's "Shell" key with the menu
// text as its unnamed value and a "Command" key holding the command line.
// HKEY_CLASSES_ROOT shows the current user's classes of
// HKEY_CURRENT_USER\Software\Classes above the machine's, and those can be
// written without an administrator.
#include "ShellVerb.h"

#include "platform/RegistryKey.h"

#include <algorithm>

namespace tolvane::app {

namespace {

constexpr const char* kClassesRoot = "Software\\Classes\\";

std::string WithBackslash(std::string key) {
    if (key.empty() || key.back() != '\\')
        key += '\\';
    return key;
}

// The verb's key below HKEY_CURRENT_USER, ending in "\".
std::string VerbKeyPath(std::string classKey, const std::string& verbKey,
                        const std::string& caption) {
    const std::string verb = verbKey.empty() ? caption : verbKey;
    if (!classKey.empty() && classKey[0] == '.')
        classKey = classKey.substr(1) + "_auto_file"; // ".txt" is "txt_auto_file"
    return kClassesRoot + WithBackslash(classKey) + "Shell\\" + WithBackslash(verb);
}

// "PROGRAM %1" as Explorer must be given it: the program's path and the
// folder each in quotes, so that a space in either splits nothing. The
// program's path comes in the core's form with "/"; the value is written in
// Windows' own, as the installer writes it, so that a start rewrites nothing.
std::string QuotedCommand(const std::string& command) {
    const std::string placeholder = " %1";
    if (command.size() < placeholder.size() ||
        command.compare(command.size() - placeholder.size(), placeholder.size(), placeholder) != 0)
        return command;
    std::string program = command.substr(0, command.size() - placeholder.size());
    std::replace(program.begin(), program.end(), '/', '\\');
    return "\"" + program + "\" \"%1\"";
}

void SetUnnamedValue(const std::string& key, const std::string& value) {
    if (auto opened = platform::RegistryKey::Create(key))
        (void)opened->WriteString("", value);
}

} // namespace

bool SystemWideShellVerbExists() {
    // The installer registers the verb for its user, as the program does.
    return false;
}

void RegisterShellVerb(const std::string& classKey, const std::string& verbKey,
                       const std::string& caption, const std::string& command) {
    // Failures (no write access) are ignored: the verb is a convenience.
    const std::string key = VerbKeyPath(classKey, verbKey, caption);
    SetUnnamedValue(key, caption);
    SetUnnamedValue(key + "Command\\", QuotedCommand(command));
}

UnregisterResult UnregisterShellVerb(const std::string& classKey, const std::string& verbKey,
                                     const std::string& caption) {
    UnregisterResult result;
    std::string key = VerbKeyPath(classKey, verbKey, caption);
    key.pop_back();
    const std::string name = "HKEY_CURRENT_USER\\" + key;
    if (const auto opened = platform::RegistryKey::Open(key); opened && !opened->has_value())
        return result; // nothing there
    if (const auto removed = platform::RegistryKey::RemoveTree(key); removed)
        result.removed.push_back(name);
    else
        result.failed.push_back(name + ": " + removed.Error().extendedMsg);
    return result;
}

} // namespace tolvane::app
