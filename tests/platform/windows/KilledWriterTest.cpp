// A process killed outright (TerminateProcess: no handler, no destructor)
// while it writes leaves its pending and part files; the next run tells
// them from those of live processes by the writer's ID and start time and
// removes them.
#include "platform/FileSystem.h"
#include "platform/FolderHandle.h"
#include "platform/PartFiles.h"
#include "platform/PendingFile.h"
#include "platform/TempFile.h"

#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <filesystem>
#include <string>

namespace tolvane::platform {
namespace {

std::wstring Wide(const std::string& text) {
    return std::filesystem::path(std::u8string(text.begin(), text.end())).wstring();
}

std::vector<std::string> Names(const std::string& folder) {
    std::vector<std::string> names;
    for (const DirEntry& entry : ListDirectory(folder).value_or(std::vector<DirEntry>{}))
        names.push_back(entry.name);
    return names;
}

// KilledWriterChild.exe, built beside this test.
std::wstring ChildProgram() {
    wchar_t self[MAX_PATH];
    const DWORD length = GetModuleFileNameW(nullptr, self, MAX_PATH);
    return std::filesystem::path(std::wstring(self, length))
        .replace_filename(L"KilledWriterChild.exe");
}

// Runs the child on `folder` until it is ready, then kills it.
void KillWriterIn(const std::string& folder, const std::string& ready) {
    std::wstring command =
        L"\"" + ChildProgram() + L"\" \"" + Wide(folder) + L"\" \"" + Wide(ready) + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION child{};
    ASSERT_TRUE(CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                               nullptr, &startup, &child))
        << GetLastError();
    for (int i = 0; i < 300 && !std::filesystem::exists(Wide(ready)); ++i)
        Sleep(50);
    EXPECT_TRUE(std::filesystem::exists(Wide(ready))) << "the child never got ready";
    EXPECT_TRUE(TerminateProcess(child.hProcess, 9));
    WaitForSingleObject(child.hProcess, 10000);
    CloseHandle(child.hThread);
    CloseHandle(child.hProcess);
}

TEST(KilledWriterTest, TheNextRunRemovesWhatAKilledWriterLeftAndKeepsLiveFiles) {
    test::TempFolder scratch;
    const std::string folder = scratch.MakeFolder("out");
    KillWriterIn(folder, scratch / "ready");
    const std::vector<std::string> left = Names(folder);
    ASSERT_EQ(left.size(), 2u) << "a pending and a part file stay after the kill";

    // This process's own pending file is a live writer's: it stays.
    PendingFile mine(folder, "archive");
    ASSERT_TRUE(mine.IsOpen());
    RemoveStaleTempFiles(folder, "archive");
    const FolderHandle handle = FolderHandle::OpenOrCreate(folder);
    EXPECT_EQ(RemoveStalePartFiles(handle), 1);
    const std::vector<std::string> kept = Names(folder);
    ASSERT_EQ(kept.size(), 1u);
    EXPECT_EQ(folder + "/" + kept.front(), mine.Path());
    for (const std::string& name : left)
        EXPECT_FALSE(PathExists(folder + "/" + name)) << name;
}

} // namespace
} // namespace tolvane::platform
