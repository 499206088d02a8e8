// Internet shortcut files: an INI file with the section "InternetShortcut"
// and the key "URL".
#pragma once

#include <string>

namespace tolvane::app {

// Sets URL in the [InternetShortcut] section of `fileName`, keeping every
// other line of an existing file; a new file is the section line and the key
// line, CR LF ended. Throws std::runtime_error "Unable to write to <file>".
void WriteUrlShortcut(const std::string& fileName, const std::string& url);

} // namespace tolvane::app
