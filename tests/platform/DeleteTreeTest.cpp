// Emptying folders: nested trees, read-only entries, links never followed.
#include "platform/DeleteTree.h"

#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <filesystem>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;
using namespace tolvane;
using namespace tolvane::test;

namespace {

// Sets or clears the immutable flag, which stops removal even for root.
bool SetImmutable(const std::string& path, bool on) {
    const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK);
    if (fd < 0)
        return false;
    int flags = 0;
    bool ok = ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
    flags = on ? flags | FS_IMMUTABLE_FL : flags & ~FS_IMMUTABLE_FL;
    ok = ok && ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
    close(fd);
    return ok;
}

// Clears the flag again even when an expectation fails.
class Immutable {
public:
    explicit Immutable(std::string path)
        : path_(std::move(path)), set_(SetImmutable(path_, true)) {}
    ~Immutable() {
        if (set_)
            SetImmutable(path_, false);
    }
    Immutable(const Immutable&) = delete;
    Immutable& operator=(const Immutable&) = delete;
    bool IsSet() const { return set_; }

private:
    std::string path_;
    bool set_;
};

TEST(DeleteTreeTest, EmptiesANestedTreeAndKeepsTheFolder) {
    TempFolder scratch;
    scratch.WriteFile("w/a.txt", "a");
    scratch.WriteFile("w/sub/deep/b.txt", "b");
    const std::string ro = scratch.WriteFile("w/sub/ro.txt", "r");
    chmod(ro.c_str(), 0444);
    chmod((scratch / "w/sub").c_str(), 0555);
    EXPECT_TRUE(platform::DeleteTree(scratch / "w", true, false, false));
    EXPECT_TRUE(fs::is_directory(scratch / "w"));
    EXPECT_TRUE(fs::is_empty(scratch / "w"));
    EXPECT_TRUE(platform::DeleteTree(scratch / "w/", true, false, true));
    EXPECT_FALSE(fs::exists(scratch / "w"));
}

TEST(DeleteTreeTest, LinksAreRemovedNeverFollowed) {
    TempFolder scratch;
    const std::string keep = scratch.WriteFile("outside/keep.txt", "keep");
    scratch.MakeFolder("w");
    fs::create_symlink(scratch / "outside", scratch / "w/folder-link");
    fs::create_symlink(keep, scratch / "w/file-link");
    fs::create_symlink(scratch / "nowhere", scratch / "w/dangling");
    EXPECT_TRUE(platform::DeleteTree(scratch / "w", true, false, false));
    EXPECT_TRUE(fs::is_empty(scratch / "w"));
    EXPECT_EQ(ReadFileText(keep), "keep");
    // A link given as the folder itself is not emptied through.
    fs::create_symlink(scratch / "outside", scratch / "alias");
    EXPECT_FALSE(platform::DeleteTree(scratch / "alias", true, false, false));
    EXPECT_EQ(ReadFileText(keep), "keep");
}

TEST(DeleteTreeTest, AFailureStopsOnlyWhenAsked) {
    TempFolder scratch;
    const std::string stuck = scratch.WriteFile("w/sub/stuck.txt", "s");
    scratch.WriteFile("w/sub/other.txt", "o");
    scratch.WriteFile("w/top.txt", "t");
    Immutable guard(stuck);
    if (!guard.IsSet())
        GTEST_SKIP() << "the file system cannot mark files immutable here";

    // Stopping: false at once and the folder stays, whatever was listed first.
    EXPECT_FALSE(platform::DeleteTree(scratch / "w", true, true, true));
    EXPECT_TRUE(fs::exists(stuck));
    EXPECT_TRUE(fs::is_directory(scratch / "w"));

    // Going on: everything else goes; "sub" cannot be removed, so neither can "w".
    EXPECT_FALSE(platform::DeleteTree(scratch / "w", true, false, true));
    EXPECT_TRUE(fs::exists(stuck));
    EXPECT_FALSE(fs::exists(scratch / "w/sub/other.txt"));
    EXPECT_FALSE(fs::exists(scratch / "w/top.txt"));
    EXPECT_TRUE(fs::is_directory(scratch / "w"));
}

TEST(DeleteTreeTest, AMissingFolderIsFalse) {
    TempFolder scratch;
    EXPECT_FALSE(platform::DeleteTree(scratch / "none", true, false, false));
    EXPECT_FALSE(platform::DeleteTree(scratch.WriteFile("file", "x"), true, false, false));
}

} // namespace
