// The job folders' lock: held while the object lives, and what another
// opener of the same file sees meanwhile.
#include "platform/FileLock.h"

#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace tolvane;
using tolvane::test::TempFolder;

namespace {

TEST(FileLockTest, AHeldLockIsRefusedToOthersUntilItIsReleased) {
    TempFolder scratch;
    const std::string path = scratch / "lock";
    {
        platform::Expected<platform::FileLock> held = platform::FileLock::Acquire(path);
        ASSERT_TRUE(held) << platform::CauseLine(held.Error());
        EXPECT_TRUE(held->Holds());
        EXPECT_FALSE(platform::FileLock::TryExisting(path).has_value());

        // Moving the lock keeps it held; the moved-from object gives nothing up.
        platform::FileLock moved = std::move(*held);
        EXPECT_TRUE(moved.Holds());
        EXPECT_FALSE(platform::FileLock::TryExisting(path).has_value());
    }
    std::optional<platform::FileLock> free = platform::FileLock::TryExisting(path);
    ASSERT_TRUE(free.has_value());
    EXPECT_TRUE(free->Holds());
    EXPECT_FALSE(platform::FileLock::TryExisting(path).has_value());
}

TEST(FileLockTest, AMissingFileHasNoLockToRespect) {
    TempFolder scratch;
    std::optional<platform::FileLock> none = platform::FileLock::TryExisting(scratch / "none");
    ASSERT_TRUE(none.has_value());
    EXPECT_FALSE(none->Holds());
    EXPECT_FALSE(std::filesystem::exists(scratch / "none"));
}

TEST(FileLockTest, AcquireFailsNamingTheFileWhenItCannotBeMade) {
    TempFolder scratch;
    const std::string path = scratch / "missing-folder/lock";
    const platform::Expected<platform::FileLock> held = platform::FileLock::Acquire(path);
    ASSERT_FALSE(held);
    EXPECT_EQ(held.Error().fileName, path);
    EXPECT_FALSE(held.Error().extendedMsg.empty());
}

} // namespace
