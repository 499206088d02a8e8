#include "Translation.h"

#include "EnglishCorrections.h"

#include "platform/FileSystem.h"
#include "platform/ProgramPath.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <fstream>

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

std::string TranslationTable::Find(const std::string& text, int language) const {
    if (columns_.empty() || language < 0 || static_cast<size_t>(language) >= columns_.size())
        return text;
    const auto& english = columns_.front();
    for (size_t e = 0; e < english.size(); ++e) {
        if (english[e] == text)
            return columns_[static_cast<size_t>(language)][e];
    }
    return text;
}

std::string TranslationTable::Translate(const std::string& text, int language) const {
    std::string found = Find(text, language);
    return found == text ? ShownEnglish(text) : found;
}

namespace {

std::string WithCount(std::string text, int64_t n) {
    const std::string number = std::to_string(n);
    for (size_t at = text.find("%1"); at != std::string::npos;
         at = text.find("%1", at + number.size()))
        text.replace(at, 2, number);
    return text;
}

} // namespace

std::string TranslationTable::TranslateCount(const std::string& singular, const std::string& plural,
                                             int64_t n, int language) const {
    const std::string key = CountKey(singular, plural);
    const std::string found = Find(key, language);
    if (found == key || found.empty())
        return EnglishCount(singular, plural, n);
    std::vector<std::string> forms;
    for (size_t start = 0;;) {
        const size_t end = found.find(kCountFormSeparator, start);
        forms.push_back(found.substr(start, end - start));
        if (end == std::string::npos)
            break;
        start = end + 1;
    }
    const size_t form = PluralForm(n, language);
    return WithCount(forms[form < forms.size() ? form : forms.size() - 1], n);
}

std::string CountKey(const std::string& singular, const std::string& plural) {
    return singular + kCountFormSeparator + plural;
}

size_t PluralForms(int language) {
    return language == 4 ? 3 : 2;
}

size_t PluralForm(int64_t n, int language) {
    const uint64_t magnitude =
        n < 0 ? uint64_t{0} - static_cast<uint64_t>(n) : static_cast<uint64_t>(n);
    switch (language) {
    case 2: // French: "0 fichier", "1 fichier", "2 fichiers"
        return magnitude <= 1 ? 0 : 1;
    case 4: { // Russian: "1 файл", "2 файла", "5 файлов"; 11-14 take the last
        const uint64_t ones = magnitude % 10;
        const uint64_t tens = magnitude % 100;
        if (ones == 1 && tens != 11)
            return 0;
        if (ones >= 2 && ones <= 4 && (tens < 12 || tens > 14))
            return 1;
        return 2;
    }
    default: // English, Spanish, German and columns the program does not know
        return magnitude == 1 ? 0 : 1;
    }
}

std::string EnglishCount(const std::string& singular, const std::string& plural, int64_t n) {
    return WithCount(ShownEnglish(PluralForm(n, 0) == 0 ? singular : plural), n);
}

std::string TranslationFileBesideProgram() {
    const std::string exe = platform::ProgramPath();
    if (exe.empty())
        return "transl.dat";
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
