// The English texts shown for keys of transl.dat that are plain typos. The
// keys stay as they are (the windows look them up by them and translators
// know them by them); only the English a user reads is corrected.
#pragma once

#include <span>
#include <string>

namespace tolvane::app {

struct EnglishCorrection {
    const char* key;   // as the program looks it up and transl.dat holds it
    const char* shown; // what an English reader sees instead
};

// Every key that is shown corrected, in no particular order.
std::span<const EnglishCorrection> EnglishCorrections();

// The English text to show for `key`: its correction, or the key itself.
std::string ShownEnglish(const std::string& key);

} // namespace tolvane::app
