// Interface texts from transl.dat: one column per language, English (column
// 0) the key; entry 0 names the languages, entry 1 the shortcut files.
#pragma once

#include <cstdint>
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
    // wins, case-sensitive). Where that is the English text itself (column 0,
    // or no such entry) it is shown as ShownEnglish() corrects it: a key that
    // is a plain typo still finds its row, but reads right in English.
    std::string Translate(const std::string& text, int language) const;

    // A text with a count in it, for `n` in column `language`, with every
    // "%1" replaced by `n`. `singular` and `plural` are its English forms
    // ("%1 file was left out of the archive.", "%1 files were left out of the
    // archive."); its row's key is CountKey() of both, and each language's
    // text holds that language's forms in the same way, joined by "|", as
    // many as PluralForms() says and in that order (Russian: 1 and 21, 31...;
    // 2-4 and 22-24...; the others). A text with fewer forms gives its last
    // for the missing ones; without a row, or without a text in `language`,
    // the English form for `n` (EnglishCount()).
    std::string TranslateCount(const std::string& singular, const std::string& plural, int64_t n,
                               int language) const;

    size_t Languages() const { return columns_.size(); }
    size_t Entries() const { return columns_.empty() ? 0 : columns_.front().size(); }
    // Entry `entry` in column `language` ("" outside the table).
    std::string At(size_t entry, size_t language) const;
    // One per language: entry 1 followed by ".URL".
    const std::vector<std::string>& ShortcutNames() const { return shortcutNames_; }

private:
    // The text in column `language` for `text`, or `text` itself.
    std::string Find(const std::string& text, int language) const;

    std::vector<std::vector<std::string>> columns_;
    std::vector<std::string> shortcutNames_;
};

// The forms of a count text are joined by this character in transl.dat.
inline constexpr char kCountFormSeparator = '|';

// The key of a count text's row: its English forms joined by "|".
std::string CountKey(const std::string& singular, const std::string& plural);

// How many forms a count text has in column `language` (0 English, 1 Spanish,
// 2 French, 3 German: two; 4 Russian: three; a column the program does not
// know: two, as English), and which of them (from 0) reads right for `n`.
// French takes its singular for 0 and 1 too.
size_t PluralForms(int language);
size_t PluralForm(int64_t n, int language);

// A count text that is never translated (the command line's own): `singular`
// for 1, `plural` for any other `n`, with every "%1" replaced by `n`.
std::string EnglishCount(const std::string& singular, const std::string& plural, int64_t n);

// transl.dat in the folder of the running program, else in ../share/tolvane/
// relative to it (an installed copy); the first when neither exists.
std::string TranslationFileBesideProgram();

} // namespace tolvane::app
