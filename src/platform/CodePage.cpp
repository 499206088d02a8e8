// Entry-name conversion between the locale's character set and the OEM code
// page that Windows would use for the same language.
#include "platform/CodePage.h"

#include "platform/IconvConverter.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <utility>

namespace tolvane::platform {

namespace {

constexpr int kDefaultOemCodePage = 437;

struct LanguageCodePage {
    std::string_view language;
    int codePage;
};

// OEM code pages Windows assigns by language; languages whose code page depends
// on the territory or script are handled in OemCodePageForLocale.
constexpr LanguageCodePage kLanguageTable[] = {
    // Western European: the multilingual Latin-1 DOS page.
    {"af", 850},
    {"br", 850},
    {"ca", 850},
    {"da", 850},
    {"de", 850},
    {"es", 850},
    {"eu", 850},
    {"fi", 850},
    {"fo", 850},
    {"fr", 850},
    {"fy", 850},
    {"ga", 850},
    {"gl", 850},
    {"id", 850},
    {"is", 850},
    {"it", 850},
    {"lb", 850},
    {"ms", 850},
    {"nb", 850},
    {"nl", 850},
    {"nn", 850},
    {"no", 850},
    {"pt", 850},
    {"rm", 850},
    {"sv", 850},
    // Cyrillic.
    {"be", 866},
    {"bg", 866},
    {"kk", 866},
    {"ky", 866},
    {"mk", 866},
    {"mn", 866},
    {"ru", 866},
    {"tt", 866},
    {"uk", 866},
    // Central European.
    {"bs", 852},
    {"cs", 852},
    {"hr", 852},
    {"hu", 852},
    {"pl", 852},
    {"ro", 852},
    {"sk", 852},
    {"sl", 852},
    {"sq", 852},
    // Baltic.
    {"et", 775},
    {"lt", 775},
    {"lv", 775},
    // Others with a single page.
    {"ar", 720},
    {"az", 857},
    {"el", 737},
    {"fa", 720},
    {"he", 862},
    {"ja", 932},
    {"ko", 949},
    {"th", 874},
    {"tr", 857},
    {"ur", 720},
    {"vi", 1258},
};

char Lower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}
char Upper(char c) {
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

// The parts of a locale name language[_TERRITORY][.codeset][@modifier].
struct LocaleParts {
    std::string language;
    std::string territory;
    std::string modifier;
};

LocaleParts SplitLocale(std::string_view name) {
    LocaleParts parts;
    const size_t at = name.find('@');
    if (at != name.npos) {
        for (char c : name.substr(at + 1))
            parts.modifier.push_back(Lower(c));
        name = name.substr(0, at);
    }
    name = name.substr(0, name.find('.'));
    const size_t underscore = name.find('_');
    for (char c : name.substr(0, underscore))
        parts.language.push_back(Lower(c));
    if (underscore != name.npos) {
        for (char c : name.substr(underscore + 1))
            parts.territory.push_back(Upper(c));
    }
    return parts;
}

bool IsAscii(std::string_view text) {
    return std::all_of(text.begin(), text.end(),
                       [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

// "UTF-8" as nl_langinfo and locale names spell it ("utf8" too).
bool IsUtf8Charset(std::string_view charset) {
    std::string folded;
    for (char c : charset) {
        if (c != '-' && c != '_')
            folded.push_back(Lower(c));
    }
    return folded == "utf8";
}

std::string IconvName(int codePage) {
    return "CP" + std::to_string(codePage);
}

// A positive decimal number that fits a Windows code page, or nullopt.
std::optional<int> ParseCodePage(const char* text) {
    if (!text || !*text)
        return std::nullopt;
    int value = 0;
    for (const char* p = text; *p; ++p) {
        if (*p < '0' || *p > '9')
            return std::nullopt;
        value = value * 10 + (*p - '0');
        if (value > 65535)
            return std::nullopt;
    }
    if (value == 0)
        return std::nullopt;
    return value;
}

const char* FirstSet(std::initializer_list<const char*> names) {
    for (const char* name : names) {
        const char* value = std::getenv(name);
        if (value && *value)
            return value;
    }
    return "";
}

} // namespace

int OemCodePageForLocale(std::string_view localeName) {
    const LocaleParts parts = SplitLocale(localeName);
    const std::string& language = parts.language;
    if (language.empty() || language == "c" || language == "posix")
        return kDefaultOemCodePage;
    if (language == "en")
        return parts.territory == "GB" ? 850 : kDefaultOemCodePage;
    if (language == "zh") {
        const std::string& t = parts.territory;
        if (t == "TW" || t == "HK" || t == "MO")
            return 950;
        return 936;
    }
    if (language == "sr") {
        // glibc's plain sr_RS is written in Cyrillic; the Latin form says @latin.
        return parts.modifier == "latin" ? 852 : 855;
    }
    if (language == "uz")
        return parts.modifier == "cyrillic" ? 866 : 857;
    for (const auto& entry : kLanguageTable) {
        if (entry.language == language)
            return entry.codePage;
    }
    return kDefaultOemCodePage;
}

CodePage CodePage::FromEnvironment() {
    int oem = SystemOemCodePage().value_or(
        OemCodePageForLocale(FirstSet({"LC_ALL", "LC_CTYPE", "LANG"})));
    if (auto forced = ParseCodePage(std::getenv("TOLVANE_OEM_CODEPAGE")))
        oem = *forced;
    return CodePage(oem, LocaleCharset());
}

CodePage::CodePage(int oemCodePage, std::string ansiCharset)
    : oemCodePage_(oemCodePage), ansiCharset_(std::move(ansiCharset)) {}

std::optional<std::string> CodePage::ToOem(std::string_view ansi) const {
    // Every OEM page agrees with ASCII, and most names are ASCII.
    if (IsAscii(ansi))
        return std::string(ansi);
    const IconvConverter converter(IconvName(oemCodePage_), ansiCharset_);
    return converter.ConvertExact(ansi);
}

bool IsValidUtf8(std::string_view text) {
    size_t i = 0;
    while (i < text.size()) {
        const auto lead = static_cast<unsigned char>(text[i]);
        size_t length;
        uint32_t code;
        if (lead < 0x80) {
            ++i;
            continue;
        }
        if (lead >= 0xC2 && lead <= 0xDF) {
            length = 2;
            code = lead & 0x1F;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            length = 3;
            code = lead & 0x0F;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            length = 4;
            code = lead & 0x07;
        } else {
            return false;
        }
        if (text.size() - i < length)
            return false;
        for (size_t k = 1; k < length; ++k) {
            const auto next = static_cast<unsigned char>(text[i + k]);
            if ((next & 0xC0) != 0x80)
                return false;
            code = (code << 6) | (next & 0x3F);
        }
        if ((length == 3 && code < 0x800) || (length == 4 && code < 0x10000) ||
            (code >= 0xD800 && code <= 0xDFFF) || code > 0x10FFFF)
            return false;
        i += length;
    }
    return true;
}

std::string CodePage::ToAnsi(std::string_view stored) const {
    if (IsAscii(stored))
        return std::string(stored);
    const std::string oemName = IconvName(oemCodePage_);
    if (IsValidUtf8(stored)) {
        // A writer keeps a name that has no OEM form as it was (UTF-8); an OEM
        // name that merely looks like UTF-8 decodes to text the page can hold.
        const IconvConverter probe(oemName, "UTF-8");
        if (!probe.ConvertExact(stored))
            return std::string(stored);
    }
    const IconvConverter converter(ansiCharset_, oemName);
    return converter.ConvertKeepingRest(stored);
}

std::optional<std::string> CodePage::ToUtf8(std::string_view ansi) const {
    if (IsValidUtf8(ansi) && (IsAscii(ansi) || IsUtf8Charset(ansiCharset_)))
        return std::string(ansi);
    const IconvConverter converter("UTF-8", ansiCharset_);
    return converter.ConvertExact(ansi);
}

} // namespace tolvane::platform
