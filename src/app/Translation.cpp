#include "Translation.h"

#include "platform/FileSystem.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <fstream>
#include <unistd.h>

namespace tolvane::app {

TranslationTable TranslationTable::Load(const std::string& path, int requiredColumns,
                                        std::ostream& warnings) {
    TranslationTable table;
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return table;
    std::vector<std::string> lines;
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back(); // CR LF as written; LF alone is accepted too
        lines.push_back(std::move(line));
    }
    const std::string first = lines.empty() ? "" : lines.front();
    errno = 0;
    char* end = nullptr;
    const long n = std::strtol(first.c_str(), &end, 10);
    if (first.empty() || *end != '\0' || errno != 0) {
        warnings << "warning: " << path << ": the first line ('" << first
                 << "') is not a number of languages; the interface stays in English\n";
        return table;
    }
    // Every language needs at least its name line: a count the file cannot
    // hold is damage, not a table to allocate.
    if (n > 0 && static_cast<size_t>(n) > lines.size() - 1) {
        warnings << "warning: " << path << ": " << n << " languages, but the file has only "
                 << lines.size() - 1 << " lines of text; the interface stays in English\n";
        return table;
    }
    if (n <= 0 || n < requiredColumns || n > INT_MAX) {
        warnings << "warning: " << path << ": " << n << " languages, but " << requiredColumns
                 << " are needed; the interface stays in English\n";
        return table;
    }
    const size_t languages = static_cast<size_t>(n);
    const size_t entries = (lines.size() - 1) / languages;
    auto lineAt = [&lines](size_t i) { return i < lines.size() ? lines[i] : std::string(); };
    table.columns_.assign(languages, {});
    for (size_t l = 0; l < languages; ++l) {
        table.shortcutNames_.push_back(lineAt(languages + 1 + l) + ".URL");
        table.columns_[l].reserve(entries);
        for (size_t e = 0; e < entries; ++e)
            table.columns_[l].push_back(lineAt(1 + e * languages + l));
    }
    return table;
}

std::string TranslationTable::At(size_t entry, size_t language) const {
    if (language >= columns_.size() || entry >= columns_[language].size())
        return "";
    return columns_[language][entry];
}

std::string TranslationTable::Translate(const std::string& text, int language) const {
    if (columns_.empty() || language < 0 || static_cast<size_t>(language) >= columns_.size())
        return text;
    const auto& english = columns_.front();
    for (size_t e = 0; e < english.size(); ++e) {
        if (english[e] == text)
            return columns_[static_cast<size_t>(language)][e];
    }
    return text;
}

std::string TranslationFileBesideProgram() {
    std::string exe(PATH_MAX, '\0');
    const ssize_t n = readlink("/proc/self/exe", exe.data(), exe.size() - 1);
    if (n <= 0)
        return "transl.dat";
    exe.resize(static_cast<size_t>(n));
    const std::string folder = exe.substr(0, exe.find_last_of('/') + 1);
    // The build tree keeps it beside the program, an installed copy in
    // PREFIX/share/tolvane beside PREFIX/bin.
    const std::string beside = folder + "transl.dat";
    const std::string installed = folder + "../share/tolvane/transl.dat";
    if (!platform::PathExists(beside) && platform::PathExists(installed))
        return installed;
    return beside;
}

} // namespace tolvane::app
