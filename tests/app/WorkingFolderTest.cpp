// The working folder and its guarded fallback.
#include "app/WorkingFolder.h"

#include "support/EnvironmentGuard.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;
using namespace tolvane;
using namespace tolvane::test;

namespace {

TEST(WorkingFolderTest, LivesUnderXdgDataHome) {
    TempFolder scratch;
    EnvironmentGuard env({{"XDG_DATA_HOME", scratch.Path().c_str()}});
    std::string error;
    EXPECT_EQ(app::PrepareWorkingFolder(error), scratch / "Tolvane/");
    EXPECT_TRUE(fs::is_directory(scratch / "Tolvane"));
}

TEST(WorkingFolderTest, TheFallbackRefusesALinkPlantedByOthers) {
    TempFolder scratch;
    const std::string blocker = scratch.WriteFile("file", "x"); // data home under a file
    const std::string tmp = scratch.MakeFolder("tmp");
    EnvironmentGuard env({{"XDG_DATA_HOME", (blocker + "/data").c_str()}, {"TMPDIR", tmp.c_str()}});
    std::string error;
    const std::string own = tmp + "/tolvane-" + std::to_string(geteuid()) + "/";
    EXPECT_EQ(app::PrepareWorkingFolder(error), own);
    struct stat st {};
    ASSERT_EQ(stat(own.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);

    // Another user's folder of that name is refused (root can make one to test).
    if (geteuid() == 0) {
        ASSERT_EQ(chown(own.c_str(), 65534, 65534), 0);
        EXPECT_EQ(app::PrepareWorkingFolder(error), "");
        EXPECT_NE(error.find("another user"), std::string::npos) << error;
    }

    fs::remove(own);
    fs::create_symlink(scratch.MakeFolder("elsewhere"),
                       tmp + "/tolvane-" + std::to_string(geteuid()));
    EXPECT_EQ(app::PrepareWorkingFolder(error), "");
    EXPECT_NE(error.find("refusing"), std::string::npos) << error;
}

} // namespace
