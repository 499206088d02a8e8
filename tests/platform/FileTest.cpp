// The self-closing file handle: modes, read/write loops, seeking and errors.
#include "platform/File.h"

#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <fcntl.h>
#include <unistd.h>
#include <vector>

namespace tolvane::platform {
namespace {

using test::ReadFileBytes;
using test::TempFolder;

TEST(FileTest, CreateWriteReadBack) {
    TempFolder tmp;
    const std::string path = tmp / "out.bin";
    const auto data = test::RandomBytes(300000, 7);
    {
        File file(path, File::Mode::CreateTruncate);
        ASSERT_TRUE(file.IsOpen());
        EXPECT_EQ(file.Write(data.data(), data.size()), static_cast<int64_t>(data.size()));
        EXPECT_EQ(file.Size(), static_cast<int64_t>(data.size()));
        EXPECT_EQ(file.LastError(), 0);
    }
    EXPECT_EQ(ReadFileBytes(path), data);

    File file(path, File::Mode::Read);
    ASSERT_TRUE(file.IsOpen());
    std::vector<uint8_t> back(data.size() + 100);
    EXPECT_EQ(file.Read(back.data(), back.size()), static_cast<int64_t>(data.size()));
    back.resize(data.size());
    EXPECT_EQ(back, data);
    EXPECT_EQ(file.Read(back.data(), 10), 0);
}

TEST(FileTest, CreateTruncateEmptiesAnExistingFile) {
    TempFolder tmp;
    const std::string path = tmp.WriteFile("f", "old content");
    File file(path, File::Mode::CreateTruncate);
    ASSERT_TRUE(file.IsOpen());
    EXPECT_EQ(file.Size(), 0);
}

TEST(FileTest, ReadWriteKeepsContentAndSeeks) {
    TempFolder tmp;
    const std::string path = tmp.WriteFile("f", "0123456789");
    File file(path, File::Mode::ReadWrite);
    ASSERT_TRUE(file.IsOpen());
    EXPECT_EQ(file.Seek(4, File::Origin::Begin), 4);
    EXPECT_EQ(file.Write("AB", 2), 2);
    EXPECT_EQ(file.Seek(1, File::Origin::Current), 7);
    EXPECT_EQ(file.Seek(-1, File::Origin::End), 9);
    char last = 0;
    EXPECT_EQ(file.Read(&last, 1), 1);
    EXPECT_EQ(last, '9');
    EXPECT_TRUE(file.Truncate(5));
    EXPECT_EQ(file.Size(), 5);
    EXPECT_TRUE(file.Close());
    EXPECT_FALSE(file.IsOpen());
    EXPECT_EQ(test::ReadFileText(path), "0123A");
}

TEST(FileTest, OpenFailuresKeepErrno) {
    TempFolder tmp;
    File missing(tmp / "none", File::Mode::Read);
    EXPECT_FALSE(missing.IsOpen());
    EXPECT_EQ(missing.LastError(), ENOENT);
    File noFolder(tmp / "none/f", File::Mode::CreateTruncate);
    EXPECT_FALSE(noFolder.IsOpen());
    EXPECT_EQ(noFolder.LastError(), ENOENT);
    File folder(tmp.Path(), File::Mode::ReadWrite);
    EXPECT_FALSE(folder.IsOpen());
    EXPECT_EQ(folder.LastError(), EISDIR);
}

TEST(FileTest, WriteToFullDeviceReportsNoSpace) {
    File full("/dev/full", File::Mode::ReadWrite);
    if (!full.IsOpen())
        GTEST_SKIP() << "/dev/full is not available";
    const std::vector<char> data(4096, 'x');
    EXPECT_LT(full.Write(data.data(), data.size()), static_cast<int64_t>(data.size()));
    EXPECT_EQ(full.LastError(), ENOSPC);
}

TEST(FileTest, ReadOnlyHandleRefusesWrites) {
    TempFolder tmp;
    const std::string path = tmp.WriteFile("f", "abc");
    File file(path, File::Mode::Read);
    ASSERT_TRUE(file.IsOpen());
    EXPECT_EQ(file.Write("x", 1), 0);
    EXPECT_EQ(file.LastError(), EBADF);
    EXPECT_EQ(file.Seek(-10, File::Origin::Begin), -1);
    EXPECT_EQ(file.LastError(), EINVAL);
}

TEST(FileTest, MoveTransfersOwnership) {
    TempFolder tmp;
    const std::string path = tmp.WriteFile("f", "abc");
    File first(path, File::Mode::Read);
    ASSERT_TRUE(first.IsOpen());
    File second(std::move(first));
    EXPECT_FALSE(first.IsOpen());
    ASSERT_TRUE(second.IsOpen());
    File third;
    EXPECT_FALSE(third.IsOpen());
    third = std::move(second);
    EXPECT_FALSE(second.IsOpen());
    char buffer[3];
    EXPECT_EQ(third.Read(buffer, 3), 3);
    EXPECT_EQ(std::string(buffer, 3), "abc");
}

TEST(FileTest, DescriptorIsNotInherited) {
    TempFolder tmp;
    const std::string path = tmp.WriteFile("f", "abc");
    char real[PATH_MAX];
    ASSERT_NE(realpath(path.c_str(), real), nullptr);
    File file(path, File::Mode::Read);
    ASSERT_TRUE(file.IsOpen());
    // The handle keeps its descriptor private; find it through /proc.
    int found = -1;
    for (int fd = 0; fd < 1024 && found < 0; ++fd) {
        const std::string link = "/proc/self/fd/" + std::to_string(fd);
        char target[PATH_MAX];
        const ssize_t n = readlink(link.c_str(), target, sizeof target - 1);
        if (n > 0 && std::string(target, static_cast<size_t>(n)) == real)
            found = fd;
    }
    ASSERT_GE(found, 0);
    EXPECT_NE(fcntl(found, F_GETFD) & FD_CLOEXEC, 0);
}

} // namespace
} // namespace tolvane::platform
