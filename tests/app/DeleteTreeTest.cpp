// Emptying folders: nested trees, read-only entries, links never followed.
#include "app/DeleteTree.h"

#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sys/stat.h>

namespace fs = std::filesystem;
using namespace tolvane;
using namespace tolvane::test;

namespace {

TEST(DeleteTreeTest, EmptiesANestedTreeAndKeepsTheFolder) {
    TempFolder scratch;
    scratch.WriteFile("w/a.txt", "a");
    scratch.WriteFile("w/sub/deep/b.txt", "b");
    const std::string ro = scratch.WriteFile("w/sub/ro.txt", "r");
    chmod(ro.c_str(), 0444);
    chmod((scratch / "w/sub").c_str(), 0555);
    EXPECT_TRUE(app::DeleteTree(scratch / "w", true, false, false));
    EXPECT_TRUE(fs::is_directory(scratch / "w"));
    EXPECT_TRUE(fs::is_empty(scratch / "w"));
    EXPECT_TRUE(app::DeleteTree(scratch / "w/", true, false, true));
    EXPECT_FALSE(fs::exists(scratch / "w"));
}

TEST(DeleteTreeTest, LinksAreRemovedNeverFollowed) {
    TempFolder scratch;
    const std::string keep = scratch.WriteFile("outside/keep.txt", "keep");
    scratch.MakeFolder("w");
    fs::create_symlink(scratch / "outside", scratch / "w/folder-link");
    fs::create_symlink(keep, scratch / "w/file-link");
    fs::create_symlink(scratch / "nowhere", scratch / "w/dangling");
    EXPECT_TRUE(app::DeleteTree(scratch / "w", true, false, false));
    EXPECT_TRUE(fs::is_empty(scratch / "w"));
    EXPECT_EQ(ReadFileText(keep), "keep");
    // A link given as the folder itself is not emptied through.
    fs::create_symlink(scratch / "outside", scratch / "alias");
    EXPECT_FALSE(app::DeleteTree(scratch / "alias", true, false, false));
    EXPECT_EQ(ReadFileText(keep), "keep");
}

TEST(DeleteTreeTest, AMissingFolderIsFalse) {
    TempFolder scratch;
    EXPECT_FALSE(app::DeleteTree(scratch / "none", true, false, false));
    EXPECT_FALSE(app::DeleteTree(scratch.WriteFile("file", "x"), true, false, false));
}

} // namespace
