// Interface texts from transl.dat: one column per language, English (column
// 0) the key; entry 0 names the languages, entry 1 the shortcut files.
#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace tolvane::app {

class TranslationTable {
public:
    // An empty table: every lookup returns its English text.
    TranslationTable() = default;

    // Loads `path`. A missing file gives an empty table. A first line that is
    // no decimal number, no languages, more languages than the file has lines
    // for, or fewer than `requiredColumns` give an
    // empty table and a warning on `warnings` (the lookup would read a column
    // the file does not have).
    static TranslationTable Load(const std::string& path, int requiredColumns,
                                 std::ostream& warnings);

    // The text in column `language`, found by its English text (first entry
    // wins, case-sensitive); the English text itself when there is none.
    std::string Translate(const std::string& text, int language) const;

    size_t Languages() const { return columns_.size(); }
    size_t Entries() const { return columns_.empty() ? 0 : columns_.front().size(); }
    // Entry `entry` in column `language` ("" outside the table).
    std::string At(size_t entry, size_t language) const;
    // One per language: entry 1 followed by ".URL".
    const std::vector<std::string>& ShortcutNames() const { return shortcutNames_; }

private:
    std::vector<std::vector<std::string>> columns_;
    std::vector<std::string> shortcutNames_;
};

// transl.dat in the folder of the running program, else in ../share/tolvane/
// relative to it (an installed copy); the first when neither exists.
std::string TranslationFileBesideProgram();

} // namespace tolvane::app
