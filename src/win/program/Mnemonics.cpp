#include "Mnemonics.h"

#include <windows.h>

namespace tolvane::win {

namespace {

wchar_t Upper(wchar_t letter) {
    return static_cast<wchar_t>(reinterpret_cast<UINT_PTR>(
        CharUpperW(reinterpret_cast<LPWSTR>(static_cast<UINT_PTR>(letter)))));
}

} // namespace

void Mnemonics::Reserve(const std::wstring& letters) {
    for (wchar_t letter : letters)
        used_ += Upper(letter);
}

std::wstring Mnemonics::Marked(const std::wstring& caption) {
    std::wstring marked;
    bool placed = false;
    for (wchar_t letter : caption) {
        if (letter == L'&') {
            marked += L"&&";
            continue;
        }
        if (!placed && IsCharAlphaNumericW(letter) &&
            used_.find(Upper(letter)) == std::wstring::npos) {
            used_ += Upper(letter);
            marked += L'&';
            placed = true;
        }
        marked += letter;
    }
    return marked;
}

} // namespace tolvane::win
