#include "ShellVerb.h"

#include "platform/FileSystem.h"
#include "platform/XdgFolders.h"

#include <cstdlib>
#include <fstream>
#include <sys/stat.h>

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
        chmod(path.c_str(), 0755);
}

} // namespace

void RegisterShellVerb(const std::string& classKey, const std::string& verbKey,
                       const std::string& caption, const std::string& command) {
    const std::string verb = verbKey.empty() ? caption : verbKey;
    // Folders are the only class the program registers for.
    if (classKey != "Directory" || verb.find('/') != std::string::npos ||
        caption.find('/') != std::string::npos)
        return;
    // The command is the program followed by the folder placeholder.
    std::string program = command;
    const std::string placeholder = " %1";
    if (program.size() >= placeholder.size() &&
        program.compare(program.size() - placeholder.size(), placeholder.size(), placeholder) == 0)
        program.resize(program.size() - placeholder.size());
    const std::string exec = ExecQuoted(program);
    const std::string base = platform::XdgDataHome() + "/";

    WriteFile(base + "applications/" + verb + ".desktop",
              "[Desktop Entry]\nType=Application\nName=" + caption + "\nExec=" + exec +
                  " %f\nMimeType=inode/directory;\nNoDisplay=true\nTerminal=false\n",
              false);
    WriteFile(base + "kio/servicemenus/" + verb + ".desktop",
              "[Desktop Entry]\nType=Service\nMimeType=inode/directory;\nActions=monetize;\n"
              "X-KDE-ServiceTypes=KonqPopupMenu/Plugin\n\n[Desktop Action monetize]\nName=" +
                  caption + "\nExec=" + exec + " %f\n",
              true);
    WriteFile(base + "nautilus/scripts/" + caption,
              "#!/bin/sh\n# Starts the program on the folder chosen in the file manager.\n"
              "folder=$(printf '%s\\n' \"$NAUTILUS_SCRIPT_SELECTED_FILE_PATHS\" | head -n 1)\n"
              "[ -n \"$folder\" ] || folder=\"$1\"\nexec " +
                  ShellQuoted(program) + " \"$folder\"\n",
              true);
    WriteFile(base + "nemo/actions/" + verb + ".nemo_action",
              "[Nemo Action]\nName=" + caption + "\nExec=" + exec +
                  " %F\nSelection=s\nExtensions=dir;\n",
              false);
}

} // namespace tolvane::app
