// Arbitrary bytes as transl.dat: the table loads or is refused with a
// warning, and lookups follow their rules.
#include "app/EnglishCorrections.h"
#include "app/Translation.h"

#include "FuzzSupport.h"

#include <sstream>

using namespace tolvane;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    const std::string path = fuzz::Scratch::Get().Write("transl.dat", data, size);
    std::ostringstream warnings;
    const app::TranslationTable table = app::TranslationTable::Load(path, 1, warnings);
    const int languages = static_cast<int>(table.Languages());
    FUZZ_CHECK(table.ShortcutNames().size() == table.Languages());
    FUZZ_CHECK(languages > 0 || !warnings.str().empty());

    // No line holds a line feed, so this key is in no table.
    const std::string absent = "not\na key";
    const std::string firstLine = text.substr(0, text.find('\n'));
    for (int language = -1; language <= languages; ++language) {
        FUZZ_CHECK(table.Translate(absent, language) == absent);
        table.Translate(firstLine, language);
        table.Translate("Exit", language);
    }
    // The first entry with a key wins.
    for (size_t e = 0; e < table.Entries(); ++e) {
        const std::string key = table.At(e, 0);
        size_t first = 0;
        while (table.At(first, 0) != key)
            ++first;
        for (int language = 0; language < languages; ++language) {
            // The English text itself reads as corrected where the key is a typo.
            const std::string text = table.At(first, static_cast<size_t>(language));
            FUZZ_CHECK(table.Translate(key, language) ==
                       (text == key ? app::ShownEnglish(key) : text));
        }
    }
    return 0;
}
