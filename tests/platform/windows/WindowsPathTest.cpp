// The path forms of Windows through the platform calls: "\" and "/" alike,
// drive letters, trailing separators, and paths past MAX_PATH, which need
// the "\\?\" form at the system.
#include "platform/File.h"
#include "platform/FileSystem.h"
#include "platform/XdgFolders.h"

#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <string>

namespace tolvane::platform {
namespace {

std::string Backslashed(std::string path) {
    for (char& c : path) {
        if (c == '/')
            c = '\\';
    }
    return path;
}

TEST(WindowsPathTest, EveryFormOfAPathReachesTheSameFile) {
    test::TempFolder scratch;
    const std::string file = scratch.WriteFile("sub/data.txt", "12345");
    const std::string forms[] = {file, Backslashed(file), scratch / "sub\\data.txt",
                                 scratch / "sub/./data.txt"};
    for (const std::string& form : forms) {
        SCOPED_TRACE(form);
        const auto entry = QueryPath(form);
        ASSERT_TRUE(entry);
        EXPECT_EQ(entry->name, "data.txt");
        EXPECT_EQ(entry->size, 5u);
        EXPECT_TRUE(PathExists(form));
    }
    // A folder named with a trailing separator of either kind.
    for (const std::string& folder : {scratch / "sub/", Backslashed(scratch / "sub\\")}) {
        EXPECT_TRUE(DirectoryExists(folder)) << folder;
        ASSERT_TRUE(ListDirectory(folder)) << folder;
        EXPECT_EQ(ListDirectory(folder)->size(), 1u) << folder;
    }
    EXPECT_TRUE(DirectoryExists("C:\\"));
    EXPECT_TRUE(DirectoryExists("C:/"));
    EXPECT_TRUE(QueryVolume("C:\\no\\such\\folder"));
    EXPECT_EQ(CurrentFolder().back(), '/');
}

TEST(WindowsPathTest, PathsPastMaxPathWork) {
    test::TempFolder scratch;
    std::string folder = Backslashed(scratch.Path());
    while (folder.size() < 300)
        folder += "\\a-rather-long-folder-name";
    ASSERT_TRUE(CreateFolderTree(folder));
    EXPECT_TRUE(DirectoryExists(folder + "\\"));
    const std::string path = folder + "\\file.txt";
    ASSERT_GT(path.size(), 260u);
    {
        File file(path, File::Mode::CreateTruncate);
        ASSERT_TRUE(file.IsOpen()) << file.LastError();
        EXPECT_EQ(file.Write("long", 4), 4);
    }
    const auto listed = ListDirectory(folder);
    ASSERT_TRUE(listed);
    ASSERT_EQ(listed->size(), 1u);
    EXPECT_EQ(listed->front().size, 4u);
    EXPECT_EQ(RenameFile(path, folder + "/renamed.txt"), 0);
    EXPECT_EQ(RemoveFile(folder + "/renamed.txt"), 0);
    EXPECT_EQ(RemoveFile(folder + "/renamed.txt"), ENOENT);
}

TEST(WindowsPathTest, ErrorsAreErrnoValuesWithTheirTexts) {
    test::TempFolder scratch;
    EXPECT_EQ(RemoveFile(scratch / "missing"), ENOENT);
    EXPECT_EQ(ErrorText(ENOENT), "No such file or directory");
    int error = 0;
    EXPECT_FALSE(ListDirectory(scratch.WriteFile("file", "x"), &error));
    EXPECT_EQ(error, ENOTDIR);
    EXPECT_EQ(RenameFile(scratch / "missing", scratch / "other"), ENOENT);
}

TEST(WindowsPathTest, AProfileFolderOutsideTheAnsiCodePageIsReadAsItIs) {
    // Cyrillic is in no Western ANSI code page: the narrow environment would
    // turn it into question marks.
    const wchar_t* old = _wgetenv(L"USERPROFILE");
    const std::optional<std::wstring> saved = old ? std::optional<std::wstring>(old) : std::nullopt;
    _wputenv_s(L"USERPROFILE", L"C:\\Users\\\u042E\u043B\u0438\u044F");
    const std::optional<std::string> home = HomeFolder();
    _wputenv_s(L"USERPROFILE", saved ? saved->c_str() : L"");
    EXPECT_EQ(home, std::optional<std::string>("C:\\Users\\\xD0\xAE\xD0\xBB\xD0\xB8\xD1\x8F"));
}

} // namespace
} // namespace tolvane::platform
