// The interface language: the column of transl.dat.
#pragma once

namespace tolvane::app {

// The primary language of the user's interface language: German 3, Spanish 1,
// French 2, Russian 4, any other 0 (English).
int GetUILanguageIndex();

} // namespace tolvane::app
