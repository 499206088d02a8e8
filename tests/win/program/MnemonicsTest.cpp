// The accelerators of one group of captions (a menu, a window's buttons):
// each caption gets a letter of its own where one is left, a literal '&'
// stays one, and letters taken beforehand are left to their owners.
#include "Mnemonics.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tolvane::win {
namespace {

struct Group {
    const char* what;
    std::wstring reserved;
    std::vector<std::wstring> captions;
    std::vector<std::wstring> marked;
};

TEST(MnemonicsTest, EachCaptionOfAGroupGetsALetterOfItsOwn) {
    const std::vector<Group> groups = {
        {"first letters", L"", {L"File", L"Settings", L"Help"}, {L"&File", L"&Settings", L"&Help"}},
        {"taken letters are skipped, whatever their case",
         L"",
         {L"Settings", L"Set Password...", L"SETUP"},
         {L"&Settings", L"S&et Password...", L"SE&TUP"}},
        {"the menu bar's letters are left to it",
         L"DEH",
         {L"Kennwort...", L"Einstellungen", L"Monetarisieren!", L"Beenden"},
         {L"&Kennwort...", L"E&instellungen", L"&Monetarisieren!", L"&Beenden"}},
        {"letters outside ASCII, upper- and lower-case alike",
         L"",
         {L"Über", L"über uns", L"Ölfeld"},
         {L"&Über", L"ü&ber uns", L"&Ölfeld"}},
        {"a literal & is doubled, and no accelerator",
         L"",
         {L"Save & close", L"&"},
         {L"&Save && close", L"&&"}},
        {"signs and spaces are no accelerators; a caption without a free letter has none",
         L"",
         {L"...!", L"ab", L"ba", L"ab"},
         {L"...!", L"&ab", L"&ba", L"ab"}},
        {"a second caption of the same letters", L"", {L"Exit", L"Exit"}, {L"&Exit", L"E&xit"}},
    };
    for (const Group& group : groups) {
        Mnemonics mnemonics;
        mnemonics.Reserve(group.reserved);
        std::vector<std::wstring> marked;
        for (const std::wstring& caption : group.captions)
            marked.push_back(mnemonics.Marked(caption));
        EXPECT_EQ(group.marked, marked) << group.what;
    }
}

} // namespace
} // namespace tolvane::win
