// The handles of the platform layer own what they hold: a move hands it on,
// and an assignment over a handle gives up what that handle held.
#include "platform/File.h"
#include "platform/FileLock.h"
#include "platform/FolderHandle.h"

#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <utility>

#ifndef _WIN32
#include <fcntl.h>
#endif

namespace tolvane::platform {
namespace {

using test::TempFolder;

// Whether a descriptor is still open, where a closed one can be asked about
// (the C runtime of Windows stops a program that names one). The moves are
// the same code on every system.
bool DescriptorOpen([[maybe_unused]] int fd, [[maybe_unused]] bool expected) {
#ifdef _WIN32
    return expected;
#else
    return fcntl(fd, F_GETFD) != -1;
#endif
}

std::string ReadAll(File& file) {
    std::string text(64, '\0');
    const int64_t got = file.Read(text.data(), text.size());
    text.resize(got < 0 ? 0 : static_cast<size_t>(got));
    return text;
}

TEST(HandleOwnershipTest, AFileMovesItsDescriptorAndClosesTheOneItReplaces) {
    TempFolder scratch;
    File first(scratch.WriteFile("first", "one"), File::Mode::Read);
    File second(scratch.WriteFile("second", "two"), File::Mode::Read);
    ASSERT_TRUE(first.IsOpen() && second.IsOpen());
    const int replaced = first.Descriptor();

    first = std::move(second);
    EXPECT_FALSE(DescriptorOpen(replaced, false));
    EXPECT_FALSE(second.IsOpen());
    EXPECT_TRUE(second.Close());
    EXPECT_EQ(ReadAll(first), "two");

    File moved(std::move(first));
    EXPECT_FALSE(first.IsOpen());
    const int kept = moved.Descriptor();
    {
        File gone(std::move(moved));
        EXPECT_TRUE(DescriptorOpen(kept, true));
    }
    EXPECT_FALSE(DescriptorOpen(kept, false));
    // A failed open keeps its error through a move.
    File missing(scratch / "missing", File::Mode::Read);
    const int error = missing.LastError();
    ASSERT_NE(error, 0);
    File taken(std::move(missing));
    EXPECT_EQ(taken.LastError(), error);
    EXPECT_EQ(missing.LastError(), 0);
}

TEST(HandleOwnershipTest, AnAssignedLockGivesUpTheLockItHeld) {
    TempFolder scratch;
    Expected<FileLock> first = FileLock::Acquire(scratch / "first");
    Expected<FileLock> second = FileLock::Acquire(scratch / "second");
    ASSERT_TRUE(first && second);

    *first = std::move(*second);
    EXPECT_TRUE(first->Holds());
    EXPECT_FALSE(second->Holds());
    std::optional<FileLock> retaken = FileLock::TryExisting(scratch / "first");
    ASSERT_TRUE(retaken);
    EXPECT_TRUE(retaken->Holds());
    EXPECT_FALSE(FileLock::TryExisting(scratch / "second"));
}

TEST(HandleOwnershipTest, AFolderHandleIsMadeWithItsFolderAndHandedOnByAMove) {
    TempFolder scratch;
    FolderHandle first = FolderHandle::OpenOrCreate(scratch / "a/b");
    ASSERT_TRUE(first.IsOpen()) << first.Error();
    EXPECT_TRUE(std::filesystem::is_directory(scratch / "a/b"));
    FolderHandle second = FolderHandle::OpenOrCreate(scratch / "c");
    ASSERT_TRUE(second.IsOpen()) << second.Error();
    const int replaced = first.Descriptor();

    first = std::move(second);
    EXPECT_FALSE(second.IsOpen());
    EXPECT_FALSE(DescriptorOpen(replaced, false));
    // The handle given up holds the folder no longer (Windows refuses to
    // remove a held one).
    std::error_code removed;
    EXPECT_TRUE(std::filesystem::remove(scratch / "a/b", removed)) << removed.message();
    EXPECT_TRUE(first.Child("d", true).IsOpen());
    EXPECT_TRUE(std::filesystem::is_directory(scratch / "c/d"));

    // A file in the way of the folder is the failure's cause.
    scratch.WriteFile("file", "");
    const FolderHandle failed = FolderHandle::OpenOrCreate(scratch / "file/sub");
    EXPECT_FALSE(failed.IsOpen());
    EXPECT_NE(failed.Error(), 0);
}

} // namespace
} // namespace tolvane::platform
