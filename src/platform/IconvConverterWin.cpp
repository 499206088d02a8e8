// Strict and lenient byte conversion through the Windows code pages: the
// source to UTF-16 and on to the target, refusing every substitution.
#include "platform/IconvConverter.h"

#include "platform/Win32Support.h"

#include <algorithm>
#include <cstdlib>

namespace tolvane::platform {

namespace {

constexpr UINT kNoCodePage = 0xFFFFFFFFu;

char Lower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

// The code page of an iconv charset name, kNoCodePage for one Windows lacks.
UINT CodePageOf(const std::string& name) {
    std::string folded;
    for (const char c : name) {
        if (c != '-' && c != '_')
            folded.push_back(Lower(c));
    }
    UINT page = kNoCodePage;
    if (folded == "utf8")
        page = CP_UTF8;
    else if (folded == "ansix3.41968" || folded == "ascii" || folded == "usascii")
        page = 20127;
    else if (folded.rfind("iso8859", 0) == 0 && folded.size() > 7)
        page = 28590 + static_cast<UINT>(std::atoi(folded.c_str() + 7));
    else if (folded.rfind("windows", 0) == 0 && folded.size() > 7)
        page = static_cast<UINT>(std::atoi(folded.c_str() + 7));
    else if (folded.rfind("cp", 0) == 0 && folded.size() > 2 &&
             folded.find_first_not_of("0123456789", 2) == std::string::npos)
        page = static_cast<UINT>(std::atoi(folded.c_str() + 2));
    return page != kNoCodePage && IsValidCodePage(page) ? page : kNoCodePage;
}

std::optional<std::wstring> ToWide(UINT page, std::string_view in) {
    if (in.empty())
        return std::wstring();
    const int size = static_cast<int>(in.size());
    const int length = MultiByteToWideChar(page, MB_ERR_INVALID_CHARS, in.data(), size, nullptr, 0);
    if (length <= 0)
        return std::nullopt;
    std::wstring wide(static_cast<size_t>(length), L'\0');
    MultiByteToWideChar(page, MB_ERR_INVALID_CHARS, in.data(), size, wide.data(), length);
    return wide;
}

std::optional<std::string> FromWide(UINT page, const std::wstring& wide) {
    if (wide.empty())
        return std::string();
    const int size = static_cast<int>(wide.size());
    // UTF-8 takes neither a default character nor best-fit mapping.
    const bool utf8 = page == CP_UTF8;
    const DWORD flags = utf8 ? WC_ERR_INVALID_CHARS : WC_NO_BEST_FIT_CHARS;
    BOOL usedDefault = FALSE;
    BOOL* used = utf8 ? nullptr : &usedDefault;
    const int length =
        WideCharToMultiByte(page, flags, wide.data(), size, nullptr, 0, nullptr, used);
    if (length <= 0 || usedDefault)
        return std::nullopt;
    std::string out(static_cast<size_t>(length), '\0');
    WideCharToMultiByte(page, flags, wide.data(), size, out.data(), length, nullptr, used);
    if (usedDefault)
        return std::nullopt;
    return out;
}

} // namespace

struct IconvConverter::State {
    UINT to = kNoCodePage;
    UINT from = kNoCodePage;

    std::optional<std::string> Convert(std::string_view in) const {
        const auto wide = ToWide(from, in);
        if (!wide)
            return std::nullopt;
        auto out = FromWide(to, *wide);
        // Some single-byte pages map bytes they do not define to private-use
        // characters: only what comes back unchanged was really converted.
        if (out && from != CP_UTF8 && FromWide(from, *wide) != std::string(in))
            return std::nullopt;
        return out;
    }
};

IconvConverter::IconvConverter(const std::string& to, const std::string& from)
    : state_(std::make_unique<State>()) {
    state_->to = CodePageOf(to);
    state_->from = CodePageOf(from);
}

IconvConverter::~IconvConverter() = default;

bool IconvConverter::IsOpen() const {
    return state_->to != kNoCodePage && state_->from != kNoCodePage;
}

std::optional<std::string> IconvConverter::ConvertExact(std::string_view input) const {
    if (!IsOpen())
        return std::nullopt;
    return state_->Convert(input);
}

std::string IconvConverter::ConvertKeepingRest(std::string_view input) const {
    if (!IsOpen())
        return std::string(input);
    if (auto whole = state_->Convert(input))
        return *whole;
    // A character is at most four bytes in every charset here: the shortest
    // run that converts is the next character, a byte that starts none is kept.
    std::string out;
    while (!input.empty()) {
        bool converted = false;
        for (size_t length = 1; length <= std::min<size_t>(4, input.size()); ++length) {
            if (auto piece = state_->Convert(input.substr(0, length))) {
                out += *piece;
                input.remove_prefix(length);
                converted = true;
                break;
            }
        }
        if (!converted) {
            out.push_back(input.front());
            input.remove_prefix(1);
        }
    }
    return out;
}

std::string LocaleCharset() {
    return "UTF-8";
}

std::optional<int> SystemOemCodePage() {
    return static_cast<int>(GetOEMCP());
}

} // namespace tolvane::platform
