#include "UrlShortcut.h"

#include <cstdio>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <vector>

namespace tolvane::app {

namespace {

std::string Trim(const std::string& text) {
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string::npos)
        return "";
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

bool EqualsIgnoreCase(const std::string& a, const std::string& b) {
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(a[i])) !=
            std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    }
    return true;
}

} // namespace

void WriteUrlShortcut(const std::string& fileName, const std::string& url) {
    // Read the lines of an existing file, dropping their line ends.
    std::vector<std::string> lines;
    if (std::ifstream in(fileName, std::ios::binary); in) {
        std::string line;
        while (std::getline(in, line)) {
            if (!line.empty() && line.back() == '\r')
                line.pop_back();
            lines.push_back(line);
        }
    }
    // Profile-file rules: section and key names ignore case; the key is set in
    // place, added at the end of its section, or the section is added.
    const std::string keyLine = "URL=" + url;
    bool inSection = false;
    bool done = false;
    size_t sectionEnd = lines.size();
    bool sectionFound = false;
    for (size_t i = 0; i < lines.size() && !done; ++i) {
        const std::string t = Trim(lines[i]);
        if (!t.empty() && t.front() == '[') {
            if (inSection) {
                sectionEnd = i;
                break;
            }
            inSection = EqualsIgnoreCase(t, "[InternetShortcut]");
            sectionFound = sectionFound || inSection;
            continue;
        }
        const auto eq = t.find('=');
        if (inSection && eq != std::string::npos &&
            EqualsIgnoreCase(Trim(t.substr(0, eq)), "URL")) {
            lines[i] = keyLine;
            done = true;
        }
    }
    if (!done) {
        if (sectionFound) {
            // Before trailing blank lines of the section.
            size_t at = sectionEnd;
            while (at > 0 && Trim(lines[at - 1]).empty())
                --at;
            lines.insert(lines.begin() + static_cast<long>(at), keyLine);
        } else {
            lines.push_back("[InternetShortcut]");
            lines.push_back(keyLine);
        }
    }
    std::ostringstream text;
    for (const auto& line : lines)
        text << line << "\r\n";
    std::ofstream out(fileName, std::ios::binary | std::ios::trunc);
    out << text.str();
    out.flush();
    if (!out)
        throw std::runtime_error("Unable to write to " + fileName);
}

} // namespace tolvane::app
