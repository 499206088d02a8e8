// The windows' view of the interface texts: lookups through the core's
// translation table in the interface language (English keys that are plain
// typos shown corrected, counts in the form their number takes), Qt's own
// texts (standard buttons, file dialog) in the same language, and the string
// conversions between the core (UTF-8 std::string) and Qt.
#pragma once

#include "app/Translation.h"

#include <QString>

#include <string>

namespace tolvane::gui {

class UiTexts {
public:
    // `table` must outlive this object.
    UiTexts(const app::TranslationTable& table, int language)
        : table_(&table), language_(language) {}

    // Translate(`english`): the English text is the key.
    QString operator()(const char* english) const;
    // A key with "%1" in it, the argument put in after the lookup.
    QString operator()(const char* english, const QString& argument) const;
    // A text with a count, in the form that reads right for `n`
    // (app::TranslationTable::TranslateCount): TranslateCount("%1 file was
    // left out of the archive.", "%1 files were left out of the archive.", n).
    QString TranslateCount(const char* singular, const char* plural, qint64 n) const;

    int Language() const { return language_; }
    // The table behind the lookups, for the window logic that looks up its own.
    const app::TranslationTable& Table() const { return *table_; }

private:
    const app::TranslationTable* table_;
    int language_;
};

// Loads Qt's own translations for the interface language (column of
// transl.dat: 0 English, 1 Spanish, 2 French, 3 German, 4 Russian) into the
// application, once. Quietly keeps English when none are installed.
void InstallQtTranslations(int language);

// The Windows-style line breaks of the program's messages ("\r\n", "\r")
// as plain line breaks.
QString MessageText(const std::string& text);

inline QString FromCore(const std::string& text) {
    return QString::fromStdString(text);
}
inline std::string ToCore(const QString& text) {
    return text.toStdString();
}

// The menu and button captions carry no accelerators in transl.dat: the
// first letter becomes one.
QString WithAccelerator(const QString& caption);

} // namespace tolvane::gui
