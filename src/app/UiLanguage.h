// The interface language from the locale: the column of transl.dat.
#pragma once

namespace tolvane::app {

// The primary language of the first of LANGUAGE (its first element), LC_ALL,
// LC_MESSAGES, LANG that is set and not C/POSIX: de 3, es 1, fr 2, ru 4, else 0.
int GetUILanguageIndex();

} // namespace tolvane::app
