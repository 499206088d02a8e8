// One conversion between two charsets named as iconv names them ("UTF-8",
// "CP850"), closed with its owner: glibc's iconv on POSIX, the code-page
// calls (MultiByteToWideChar, WideCharToMultiByte) on Windows.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace tolvane::platform {

class IconvConverter {
public:
    // `to` and `from` are charset names such as "CP850" or "UTF-8".
    IconvConverter(const std::string& to, const std::string& from);
    ~IconvConverter();
    IconvConverter(const IconvConverter&) = delete;
    IconvConverter& operator=(const IconvConverter&) = delete;

    // False when the system does not know one of the two charsets.
    bool IsOpen() const;

    // The whole input converted, or nullopt when any character is invalid in
    // the source charset or has no form in the target one. Never substitutes.
    std::optional<std::string> ConvertExact(std::string_view input) const;

    // The input converted where possible; every byte that cannot be converted
    // is copied through unchanged and conversion resumes after it.
    std::string ConvertKeepingRest(std::string_view input) const;

private:
    struct State;
    std::unique_ptr<State> state_;
};

// The charset of the program's own text, as a name the converter takes: the
// locale's on POSIX (nl_langinfo), UTF-8 on Windows, where the program keeps
// every text in UTF-8.
std::string LocaleCharset();

// The OEM code page the system itself uses (GetOEMCP on Windows); nullopt
// where there is none and the locale's language decides.
std::optional<int> SystemOemCodePage();

} // namespace tolvane::platform
