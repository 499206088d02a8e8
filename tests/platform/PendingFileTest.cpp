// Files that become another file only when complete, and are gone otherwise.
#include "platform/PendingFile.h"

#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <sys/stat.h>

namespace fs = std::filesystem;
using namespace tolvane::platform;
using tolvane::test::ReadFileText;
using tolvane::test::TempFolder;

namespace {

size_t Count(const std::string& folder) {
    return static_cast<size_t>(std::distance(fs::directory_iterator(folder), {}));
}

TEST(PendingFileTest, NothingShowsUntilTheCommitReplacesTheTarget) {
#ifdef _WIN32
    GTEST_SKIP() << "checks POSIX mode bits (tests/platform/windows checks the replace there)";
#endif
    TempFolder tmp;
    const std::string work = tmp.MakeFolder("work");
    const std::string target = tmp.WriteFile("out/archive", "old");
    {
        PendingFile file(work, "kro");
        ASSERT_TRUE(file.IsOpen()) << file.Error();
        ASSERT_EQ(file.Handle().Write("new content", 11), 11);
        EXPECT_EQ(Count(work), file.Named() ? 1u : 0u);
        EXPECT_EQ(ReadFileText(file.Path()), "new content");
        EXPECT_EQ(ReadFileText(target), "old");
        ASSERT_EQ(file.CommitTo(target, 0640), 0);
    }
    EXPECT_EQ(ReadFileText(target), "new content");
    struct stat info {};
    ASSERT_EQ(stat(target.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0640u);
    EXPECT_EQ(Count(work), 0u);
    EXPECT_EQ(Count(tmp / "out"), 1u) << "no second name stays beside the target";
}

TEST(PendingFileTest, AFileNotCommittedLeavesNothing) {
    TempFolder tmp;
    {
        PendingFile file(tmp.Path(), "kro");
        ASSERT_TRUE(file.IsOpen());
        file.Handle().Write("x", 1);
    }
    EXPECT_EQ(Count(tmp.Path()), 0u);
    PendingFile missing(tmp / "missing", "kro");
    EXPECT_FALSE(missing.IsOpen());
    EXPECT_EQ(missing.Error(), ENOENT);
}

TEST(PendingFileTest, AnotherFileSystemIsReportedAndChangesNothing) {
    TempFolder tmp;
    struct stat here {
    }, shm{};
    if (stat(tmp.Path().c_str(), &here) != 0 || stat("/dev/shm", &shm) != 0 ||
        here.st_dev == shm.st_dev)
        GTEST_SKIP() << "no second file system at /dev/shm";
    const std::string target = "/dev/shm/tolvane-pending-test-" + std::to_string(getpid());
    PendingFile file(tmp.Path(), "kro");
    ASSERT_TRUE(file.IsOpen());
    file.Handle().Write("x", 1);
    EXPECT_EQ(file.CommitTo(target, 0600), EXDEV);
    EXPECT_FALSE(fs::exists(target));
    EXPECT_EQ(ReadFileText(file.Path()), "x") << "still readable for a copy";
}

} // namespace
