// The icon reader against the real shell (Wine's under CI): results come
// to the owner's thread through its message, for every item of the latest
// read only, and an entry the shell cannot open still gets its kind's icon.
#include "IconReader.h"

#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <chrono>
#include <map>

namespace tolvane::win {
namespace {

constexpr UINT kIcons = WM_APP + 1;

struct MessageWindow {
    HWND handle =
        CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    ~MessageWindow() { DestroyWindow(handle); }
};

std::wstring SystemPath(const std::string& path) {
    std::wstring wide(path.begin(), path.end()); // the scratch folder's path is ASCII
    for (wchar_t& c : wide)
        if (c == L'/')
            c = L'\\';
    return wide;
}

// What the reader finds, taken whenever its message arrives, until `count`
// keys are in or ten seconds went by.
std::map<LPARAM, IconReader::Found> Collect(IconReader& reader, HWND window, size_t count) {
    std::map<LPARAM, IconReader::Found> found;
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (found.size() < count && std::chrono::steady_clock::now() < end) {
        MSG message;
        if (!PeekMessageW(&message, window, kIcons, kIcons, PM_REMOVE)) {
            Sleep(10);
            continue;
        }
        for (IconReader::Found& entry : reader.Take())
            found[entry.key] = std::move(entry);
    }
    return found;
}

TEST(IconReaderTest, EveryItemOfTheLatestReadArrivesThroughTheOwnersMessage) {
    const test::TempFolder folder;
    const std::string text = folder.WriteFile("notes.txt", "x");
    const std::string sub = folder.MakeFolder("Sub");
    const MessageWindow window;
    IconReader reader(window.handle, kIcons);

    // A first read that the second replaces once it has found something,
    // which nobody took.
    std::vector<IconReader::Item> many;
    for (int i = 0; i < 5000; ++i)
        many.push_back({1000 + i, SystemPath(text), FILE_ATTRIBUTE_NORMAL});
    reader.Read(std::move(many));
    MSG first;
    for (int i = 0; i < 1000 && !PeekMessageW(&first, window.handle, kIcons, kIcons, PM_REMOVE);
         ++i)
        Sleep(10);
    reader.Read({{1, SystemPath(text), FILE_ATTRIBUTE_NORMAL},
                 {2, SystemPath(sub), FILE_ATTRIBUTE_DIRECTORY},
                 {3, SystemPath(folder / "gone.txt"), FILE_ATTRIBUTE_NORMAL}});

    const std::map<LPARAM, IconReader::Found> found = Collect(reader, window.handle, 3);
    ASSERT_EQ(found.size(), 3u);
    for (LPARAM key : {1, 2, 3}) {
        ASSERT_EQ(found.count(key), 1u) << "key " << key << " (a key of the first read came)";
        EXPECT_GE(found.at(key).icon, 0) << "key " << key;
        EXPECT_FALSE(found.at(key).typeName.empty()) << "key " << key;
    }
    EXPECT_EQ(found.at(1).displayName, L"notes.txt");
    // Nothing more comes: the first read's items were dropped.
    Sleep(200);
    EXPECT_TRUE(reader.Take().empty());
}

} // namespace
} // namespace tolvane::win
