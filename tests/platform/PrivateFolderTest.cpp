// Folders of this user alone: unique job folders and the checked fallback.
#include "platform/PrivateFolder.h"

#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <set>

namespace fs = std::filesystem;
using namespace tolvane;
using tolvane::test::TempFolder;

namespace {

TEST(PrivateFolderTest, UniqueFoldersAreNewPrivateAndKeepTheirPrefix) {
    TempFolder scratch;
    const std::string prefix = scratch / "new-42-";
    std::set<std::string> made;
    for (int i = 0; i < 20; ++i) {
        const platform::Expected<std::string> folder = platform::CreateUniqueFolder(prefix);
        ASSERT_TRUE(folder) << platform::CauseLine(folder.Error());
        EXPECT_EQ(folder->rfind(prefix, 0), 0u) << *folder;
        EXPECT_EQ(folder->size(), prefix.size() + 6) << *folder;
        EXPECT_TRUE(fs::is_directory(*folder));
        EXPECT_TRUE(platform::CheckPrivateFolder(*folder)) << *folder;
        made.insert(*folder);
    }
    EXPECT_EQ(made.size(), 20u);
    EXPECT_FALSE(platform::CreateUniqueFolder(scratch / "no-such/x-"));
}

TEST(PrivateFolderTest, OnlyAFolderOfThisUserClosedToOthersPasses) {
#ifdef _WIN32
    GTEST_SKIP() << "opens the folder to others with POSIX mode bits and makes a symbolic link";
#endif
    TempFolder scratch;
    const std::string own = scratch / "own";
    ASSERT_TRUE(platform::MakePrivateFolder(own));
    EXPECT_TRUE(platform::MakePrivateFolder(own)) << "an existing private folder is kept";

    const std::string open = scratch.MakeFolder("open");
    fs::permissions(open, fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec);
    const platform::Expected<void> refused = platform::MakePrivateFolder(open);
    ASSERT_FALSE(refused);
    EXPECT_EQ(refused.Error().fileName, open);
    EXPECT_NE(refused.Error().extendedMsg.find("open to others"), std::string::npos);

    EXPECT_FALSE(platform::CheckPrivateFolder(scratch.WriteFile("file", "x")));
    fs::create_symlink(own, scratch / "link");
    EXPECT_FALSE(platform::CheckPrivateFolder(scratch / "link"));
    EXPECT_FALSE(platform::MakePrivateFolder(scratch / "no-such/x"));
}

} // namespace
