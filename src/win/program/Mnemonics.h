// The '&' accelerators the Win32 captions get: the translated captions come
// without them, so each gets the first of its letters not yet taken by its
// neighbours (the same menu, the buttons of one window).
#pragma once

#include <string>

namespace tolvane::win {

class Mnemonics {
public:
    // `caption` with a literal '&' doubled and the accelerator marked; a
    // caption whose letters are all taken gets none.
    std::wstring Marked(const std::wstring& caption);
    // Letters that are taken already (by the menu bar, say).
    void Reserve(const std::wstring& letters);

private:
    std::wstring used_; // upper case
};

} // namespace tolvane::win
