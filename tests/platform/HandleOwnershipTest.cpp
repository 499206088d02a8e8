// An assignment over a handle gives up what that handle held, and a moved
// handle holds nothing.
#include "platform/File.h"
#include "platform/FileLock.h"
#include "platform/FolderHandle.h"

#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <filesystem>
#ifndef _WIN32
#include <fcntl.h>
#endif

namespace tolvane::platform {
namespace {

// Whether a descriptor is open; Windows stops a program that names a closed
// one, so there the moves (the same code) are checked on what they show.
bool Closed([[maybe_unused]] int fd) {
#ifdef _WIN32
    return true;
#else
    return fcntl(fd, F_GETFD) == -1;
#endif
}

TEST(HandleOwnershipTest, AnAssignedHandleGivesUpWhatItHeld) {
    test::TempFolder scratch;
    File file(scratch.WriteFile("one", "1"), File::Mode::Read);
    File other(scratch.WriteFile("two", "22"), File::Mode::Read);
    const int fileFd = file.Descriptor();
    file = std::move(other);
    EXPECT_TRUE(Closed(fileFd));
    EXPECT_FALSE(other.IsOpen());
    EXPECT_EQ(file.Size(), 2);

    Expected<FileLock> lock = FileLock::Acquire(scratch / "one.lock");
    Expected<FileLock> otherLock = FileLock::Acquire(scratch / "two.lock");
    ASSERT_TRUE(lock && otherLock);
    *lock = std::move(*otherLock);
    EXPECT_FALSE(otherLock->Holds());
    EXPECT_TRUE(FileLock::TryExisting(scratch / "one.lock"));
    EXPECT_FALSE(FileLock::TryExisting(scratch / "two.lock"));

    FolderHandle folder = FolderHandle::OpenOrCreate(scratch / "a/b");
    FolderHandle otherFolder = FolderHandle::OpenOrCreate(scratch / "c");
    ASSERT_TRUE(folder.IsOpen() && otherFolder.IsOpen());
    const int folderFd = folder.Descriptor();
    folder = std::move(otherFolder);
    EXPECT_TRUE(Closed(folderFd));
    EXPECT_FALSE(otherFolder.IsOpen());
    // Windows refuses to remove a folder while a handle holds it.
    EXPECT_TRUE(std::filesystem::remove(scratch / "a/b"));
    EXPECT_TRUE(folder.Child("d", true).IsOpen());
    EXPECT_TRUE(std::filesystem::is_directory(scratch / "c/d"));
}

} // namespace
} // namespace tolvane::platform
