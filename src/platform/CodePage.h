// Conversion of stored entry names between the "ANSI" side (the locale's
// character set) and the OEM code page that archive names use.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace tolvane::platform {

class CodePage {
public:
    // The OEM code page: GetOEMCP() on Windows, elsewhere as Windows would
    // pick it for the locale's language (TOLVANE_OEM_CODEPAGE overrides it);
    // the ANSI side the locale's charset (UTF-8 on Windows).
    static CodePage FromEnvironment();

    // `oemCodePage` such as 437 or 850; `ansiCharset` an iconv name such as "UTF-8".
    CodePage(int oemCodePage, std::string ansiCharset);

    int OemCodePage() const { return oemCodePage_; }
    const std::string& AnsiCharset() const { return ansiCharset_; }

    // The name in the OEM code page, or nullopt when a character has no OEM form
    // (the caller then keeps the name's own bytes).
    std::optional<std::string> ToOem(std::string_view ansi) const;

    // The inverse of what a writer stores: bytes that are valid UTF-8 and have no
    // OEM form were kept as they were and come back unchanged; all other bytes are
    // read as OEM.
    std::string ToAnsi(std::string_view stored) const;

    // The name in UTF-8, or nullopt when it is not valid text of the ANSI charset.
    std::optional<std::string> ToUtf8(std::string_view ansi) const;

private:
    int oemCodePage_;
    std::string ansiCharset_;
};

// The OEM code page for a locale name such as "de_DE.UTF-8" (437 for "C").
int OemCodePageForLocale(std::string_view localeName);

// Strict UTF-8: no overlong forms, no surrogates, nothing above U+10FFFF.
bool IsValidUtf8(std::string_view text);

} // namespace tolvane::platform
