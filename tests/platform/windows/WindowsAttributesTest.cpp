// The real attribute bits of Windows through the platform layer: listed as
// the file system keeps them (a dot-name is an ordinary name here), set and
// cleared, and no obstacle to removing a file or emptying a tree.
#include "platform/DeleteTree.h"
#include "platform/File.h"
#include "platform/FileSystem.h"

#include "support/TempFolder.h"

#include <gtest/gtest.h>

namespace tolvane::platform {
namespace {

const DirEntry* Find(const std::vector<DirEntry>& entries, const std::string& name) {
    for (const DirEntry& entry : entries) {
        if (entry.name == name)
            return &entry;
    }
    return nullptr;
}

TEST(WindowsAttributesTest, ListingsCarryTheBitsTheFileSystemKeeps) {
    test::TempFolder scratch;
    struct Case {
        const char* name;
        uint32_t set;
    };
    // Every case keeps the archive bit: Wine shows it on every file.
    const Case cases[] = {
        {"plain.txt", kAttrArchive},
        {".profile", kAttrArchive}, // no hidden bit for a dot-name
        {"secret.txt", kAttrHidden | kAttrArchive},
        {"locked.txt", kAttrReadOnly | kAttrArchive},
        {"system.dat", kAttrSystem | kAttrHidden | kAttrArchive},
    };
    for (const Case& c : cases)
        ASSERT_EQ(SetAttributes(scratch.WriteFile(c.name, "x"), c.set), 0) << c.name;
    const auto entries = ListDirectory(scratch.Path());
    ASSERT_TRUE(entries);
    for (const Case& c : cases) {
        const DirEntry* entry = Find(*entries, c.name);
        ASSERT_NE(entry, nullptr) << c.name;
        EXPECT_EQ(entry->attributes, c.set) << c.name;
        EXPECT_EQ(QueryPath(scratch / c.name)->attributes, c.set) << c.name;
    }
    EXPECT_EQ(Find(*entries, "plain.txt")->kind, EntryKind::File);
}

TEST(WindowsAttributesTest, ReadOnlyFilesAreRemovedAndReplacedAsOnPosix) {
    test::TempFolder scratch;
    const std::string locked = scratch.WriteFile("locked.txt", "old");
    ASSERT_EQ(SetAttributes(locked, kAttrReadOnly), 0);
    EXPECT_EQ(RenameFile(scratch.WriteFile("new.txt", "new"), locked), 0);
    EXPECT_EQ(test::ReadFileText(locked), "new");
    ASSERT_EQ(SetAttributes(locked, kAttrReadOnly), 0);
    EXPECT_EQ(RemoveFile(locked), 0);
    EXPECT_FALSE(PathExists(locked));
    EXPECT_EQ(RemoveFile(scratch.MakeFolder("folder")), EISDIR);
}

TEST(WindowsAttributesTest, DeleteTreeEmptiesReadOnlyTreesOnlyWhenAskedTo) {
    test::TempFolder scratch;
    const std::string root = scratch.MakeFolder("tree");
    ASSERT_EQ(SetAttributes(scratch.WriteFile("tree/a/b/locked.txt", "x"), kAttrReadOnly), 0);
    scratch.WriteFile("tree/a/plain.txt", "y");
    EXPECT_FALSE(DeleteTree(root, false, true, true)) << "a read-only file stays";
    EXPECT_TRUE(PathExists(root + "/a/b/locked.txt"));
    EXPECT_TRUE(DeleteTree(root, true, false, true));
    EXPECT_FALSE(PathExists(root));
    EXPECT_FALSE(DeleteTree(root, true, false, true)) << "nothing there to empty";
}

TEST(WindowsAttributesTest, TruncateKeepsThePositionAndStatusTellsTheSize) {
    test::TempFolder scratch;
    File file(scratch / "data.bin", File::Mode::CreateTruncate);
    ASSERT_TRUE(file.IsOpen());
    ASSERT_EQ(file.Write("0123456789", 10), 10);
    ASSERT_TRUE(file.Truncate(4));
    EXPECT_EQ(file.Seek(0, File::Origin::Current), 10);
    FileStatus status;
    ASSERT_TRUE(file.Status(status));
    EXPECT_EQ(status.size, 4);
    EXPECT_TRUE(status.regular);
    EXPECT_EQ(file.Size(), 4);
}

} // namespace
} // namespace tolvane::platform
