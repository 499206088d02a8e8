// The system temporary folder and unique temporary files.
#include "platform/TempFile.h"

#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <set>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace tolvane::platform {
namespace {

namespace fs = std::filesystem;

using test::TempFolder;

// Sets or clears TMPDIR for one test and restores it afterwards.
class TmpDirGuard {
public:
    explicit TmpDirGuard(const char* value) {
        if (const char* old = std::getenv("TMPDIR"))
            saved_ = old;
        if (value)
            setenv("TMPDIR", value, 1);
        else
            unsetenv("TMPDIR");
    }
    ~TmpDirGuard() {
        if (saved_)
            setenv("TMPDIR", saved_->c_str(), 1);
        else
            unsetenv("TMPDIR");
    }
    TmpDirGuard(const TmpDirGuard&) = delete;
    TmpDirGuard& operator=(const TmpDirGuard&) = delete;

private:
    std::optional<std::string> saved_;
};

TEST(SystemTempFolderTest, TakesTmpDirWhenItIsAnExistingFolder) {
    TempFolder tmp;
    {
        TmpDirGuard guard(tmp.Path().c_str());
        EXPECT_EQ(SystemTempFolder(), tmp.Path() + "/");
    }
    {
        TmpDirGuard guard((tmp.Path() + "/").c_str());
        EXPECT_EQ(SystemTempFolder(), tmp.Path() + "/");
    }
}

TEST(SystemTempFolderTest, FallsBackToTmp) {
    TempFolder tmp;
    const std::string file = tmp.WriteFile("file", "x");
    const std::string missing = tmp / "missing";
    for (const char* value :
         {static_cast<const char*>(nullptr), "", missing.c_str(), file.c_str()}) {
        TmpDirGuard guard(value);
        EXPECT_EQ(SystemTempFolder(), "/tmp/") << (value ? value : "(unset)");
    }
}

TEST(CreateUniqueFileTest, CreatesEmptyPrivateFileWithPrefixAndExtension) {
    TempFolder tmp;
    int error = -1;
    const std::string path = CreateUniqueFile(tmp.Path(), "kro", error);
    ASSERT_FALSE(path.empty());
    EXPECT_EQ(error, 0);
    // kro-PID-START-XXXXXX.tmp: the name tells which process made it.
    const std::string prefix = tmp.Path() + "/kro-" + std::to_string(getpid()) + "-";
    EXPECT_EQ(path.substr(0, prefix.size()), prefix);
    EXPECT_EQ(path.substr(path.size() - 4), ".tmp");
    struct stat info {};
    ASSERT_EQ(stat(path.c_str(), &info), 0);
    EXPECT_TRUE(S_ISREG(info.st_mode));
    EXPECT_EQ(info.st_size, 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);
}

TEST(CreateUniqueFileTest, NamesAreUnique) {
    TempFolder tmp;
    std::set<std::string> names;
    for (int i = 0; i < 200; ++i) {
        int error = 0;
        const std::string path = CreateUniqueFile(tmp.Path() + "/", "kro", error);
        ASSERT_FALSE(path.empty()) << i;
        EXPECT_EQ(path.find("//"), std::string::npos);
        names.insert(path);
    }
    EXPECT_EQ(names.size(), 200u);
}

TEST(CreateUniqueFileTest, FailureGivesEmptyPathAndErrno) {
    TempFolder tmp;
    int error = 0;
    EXPECT_EQ(CreateUniqueFile(tmp / "missing", "kro", error), "");
    EXPECT_EQ(error, ENOENT);
    const std::string file = tmp.WriteFile("plain", "x");
    EXPECT_EQ(CreateUniqueFile(file, "kro", error), "");
    EXPECT_EQ(error, ENOTDIR);
}

TEST(RemoveStaleTempFilesTest, RemovesOnlyTheFilesOfProcessesThatAreGone) {
    TempFolder tmp;
    const pid_t child = fork();
    if (child == 0)
        _exit(0);
    ASSERT_GT(child, 0);
    ASSERT_EQ(waitpid(child, nullptr, 0), child);
    const std::string dead = std::to_string(child);
    const std::string self = std::to_string(getpid());
    int error = 0;
    const std::string ours = CreateUniqueFile(tmp.Path(), "kro", error);
    const std::string gone = tmp.WriteFile("kro-" + dead + "-4242-abcDEF.tmp", "left over");
    // Our id with another start time: a process that had our id before us.
    const std::string reused = tmp.WriteFile("kro-" + self + "-1-abcDEF.tmp", "left over");
    const std::string other = tmp.WriteFile("kro-" + dead + "-4242-abcDEF.bak", "not ours");
    const std::string prefix = tmp.WriteFile("zip-" + dead + "-4242-abcDEF.tmp", "not ours");
    RemoveStaleTempFiles(tmp.Path(), "kro");
    EXPECT_TRUE(fs::exists(ours));
    EXPECT_FALSE(fs::exists(gone));
    EXPECT_FALSE(fs::exists(reused));
    EXPECT_TRUE(fs::exists(other));
    EXPECT_TRUE(fs::exists(prefix));
}

} // namespace
} // namespace tolvane::platform
