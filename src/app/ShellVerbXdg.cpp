#include "ShellVerb.h"

#include "platform/FileMode.h"
#include "platform/FileSystem.h"
#include "platform/XdgFolders.h"

#include <fstream>

namespace tolvane::app {

namespace {

// A quoted argument of a desktop entry's Exec key.
std::string ExecQuoted(const std::string& path) {
    std::string out = "\"";
    for (char c : path) {
        // Escaped for the quoting, then every backslash doubled for the string value.
        if (c == '\\')
            out += R"(\\\\)";
        else if (c == '"' || c == '`' || c == '$')
            out += std::string(R"(\\)") + c;
        else if (c == '%')
            out += "%%"; // "%" starts a field code
        else
            out += c;
    }
    return out + "\"";
}

std::string ShellQuoted(const std::string& text) {
    std::string out = "'";
    for (char c : text)
        out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

void WriteFile(const std::string& path, const std::string& text, bool executable) {
    const std::string folder = path.substr(0, path.find_last_of('/') + 1);
    if (!platform::CreateFolderTree(folder))
        return;
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << text;
    out.close();
    if (executable)
        platform::ApplyFileMode(path, 0755);
}

// The entries as the package installs them (cmake/Install.cmake), below a
// system-wide data folder.
constexpr const char* kSystemWideEntries[] = {
    "kio/servicemenus/tolvane-monetize.desktop",
    "nemo/actions/tolvane-monetize.nemo_action",
    "nautilus-python/extensions/tolvane-monetize.py",
};

// The verb, or an empty one when the arguments are of no class the program
// registers for (folders only) or cannot make file names.
std::string VerbName(const std::string& classKey, const std::string& verbKey,
                     const std::string& caption) {
    const std::string verb = verbKey.empty() ? caption : verbKey;
    if (classKey != "Directory" || verb.find('/') != std::string::npos ||
        caption.find('/') != std::string::npos || caption.empty())
        return {};
    return verb;
}

// The per-user files of the entry, below $XDG_DATA_HOME.
struct EntryFiles {
    std::string dolphin, nautilus, nemo;
    std::string desktopEntry; // written by earlier versions only
};

EntryFiles FilesOf(const std::string& verb, const std::string& caption) {
    const std::string base = platform::XdgDataHome() + "/";
    return {base + "kio/servicemenus/" + verb + ".desktop", base + "nautilus/scripts/" + caption,
            base + "nemo/actions/" + verb + ".nemo_action",
            base + "applications/" + verb + ".desktop"};
}

} // namespace

bool SystemWideShellVerbExists() {
    for (const std::string& folder : platform::XdgDataDirs()) {
        for (const char* entry : kSystemWideEntries) {
            if (platform::PathExists(folder + "/" + entry))
                return true;
        }
    }
    return false;
}

void RegisterShellVerb(const std::string& classKey, const std::string& verbKey,
                       const std::string& caption, const std::string& command) {
    const std::string verb = VerbName(classKey, verbKey, caption);
    if (verb.empty() || SystemWideShellVerbExists())
        return;
    // The command is the program followed by the folder placeholder.
    std::string program = command;
    const std::string placeholder = " %1";
    if (program.size() >= placeholder.size() &&
        program.compare(program.size() - placeholder.size(), placeholder.size(), placeholder) == 0)
        program.resize(program.size() - placeholder.size());
    const std::string exec = ExecQuoted(program);
    const EntryFiles files = FilesOf(verb, caption);

    // Dolphin (KDE Frameworks 5) takes the kind of item from the service
    // types as it would from a MimeType key, which other desktops read as a
    // claim to open folders.
    WriteFile(files.dolphin,
              "[Desktop Entry]\nType=Service\nActions=monetize;\n"
              "X-KDE-ServiceTypes=KonqPopupMenu/Plugin,inode/directory\n\n"
              "[Desktop Action monetize]\nName=" +
                  caption + "\nExec=" + exec + " %f\n",
              true);
    WriteFile(files.nautilus,
              "#!/bin/sh\n# Starts the program on the folder chosen in the file manager.\n"
              "folder=$(printf '%s\\n' \"$NAUTILUS_SCRIPT_SELECTED_FILE_PATHS\" | head -n 1)\n"
              "[ -n \"$folder\" ] || folder=\"$1\"\nexec " +
                  ShellQuoted(program) + " \"$folder\"\n",
              true);
    WriteFile(files.nemo,
              "[Nemo Action]\nName=" + caption + "\nExec=" + exec +
                  " %F\nSelection=s\nExtensions=dir;\n",
              false);
}

UnregisterResult UnregisterShellVerb(const std::string& classKey, const std::string& verbKey,
                                     const std::string& caption) {
    UnregisterResult result;
    const std::string verb = VerbName(classKey, verbKey, caption);
    if (verb.empty())
        return result;
    const EntryFiles files = FilesOf(verb, caption);
    for (const std::string* path :
         {&files.dolphin, &files.nautilus, &files.nemo, &files.desktopEntry}) {
        const int error = platform::RemoveFile(*path);
        if (error == 0)
            result.removed.push_back(*path);
        else if (error != ENOENT)
            result.failed.push_back(*path + ": " + platform::ErrorText(error));
    }
    return result;
}

} // namespace tolvane::app
