// Moving files into a home trash kept in a scratch folder.
#include "platform/Trash.h"

#include "support/TempFolder.h"

#include "support/EnvironmentGuard.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <ctime>
#include <dirent.h>
#include <map>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

namespace tolvane::platform {
namespace {

using test::ReadFileText;
using test::TempFolder;

using tolvane::test::EnvironmentGuard;

std::string RealPath(const std::string& path) {
    char resolved[PATH_MAX];
    if (!realpath(path.c_str(), resolved))
        return std::string();
    return resolved;
}

std::vector<std::string> FolderNames(const std::string& folder) {
    std::vector<std::string> names;
    DIR* dir = opendir(folder.c_str());
    if (!dir)
        return names;
    while (const dirent* item = readdir(dir)) {
        const std::string name = item->d_name;
        if (name != "." && name != "..")
            names.push_back(name);
    }
    closedir(dir);
    std::sort(names.begin(), names.end());
    return names;
}

bool Exists(const std::string& path) {
    struct stat info {};
    return lstat(path.c_str(), &info) == 0;
}

// Splits a .trashinfo record into its Path and DeletionDate values after
// checking its exact layout.
struct InfoRecord {
    std::string path;
    std::string date;
};

std::optional<InfoRecord> ParseInfo(const std::string& text) {
    const std::string head = "[Trash Info]\nPath=";
    const std::string dateKey = "\nDeletionDate=";
    if (text.rfind(head, 0) != 0 || text.empty() || text.back() != '\n')
        return std::nullopt;
    const size_t datePos = text.find(dateKey);
    if (datePos == std::string::npos)
        return std::nullopt;
    InfoRecord record;
    record.path = text.substr(head.size(), datePos - head.size());
    record.date = text.substr(datePos + dateKey.size());
    record.date.pop_back();
    return record;
}

class TrashTest : public ::testing::Test {
protected:
    TrashTest()
        : dataHome_(RealPath(tmp_.Path()) + "/data"), trash_(dataHome_ + "/Trash"),
          environment_({{"XDG_DATA_HOME", dataHome_.c_str()}}) {}

    TempFolder tmp_;
    std::string dataHome_;
    std::string trash_;
    EnvironmentGuard environment_;
};

TEST_F(TrashTest, MovesFileAndWritesRecord) {
    const std::string source = RealPath(tmp_.MakeFolder("src")) + "/a b%c.txt";
    tmp_.WriteFile("src/a b%c.txt", "payload");
    const time_t before = std::time(nullptr);
    std::string error;
    ASSERT_TRUE(MoveToTrash(source, error)) << error;
    const time_t after = std::time(nullptr);
    EXPECT_EQ(error, "");

    EXPECT_FALSE(Exists(source));
    EXPECT_EQ(ReadFileText(trash_ + "/files/a b%c.txt"), "payload");
    EXPECT_EQ(FolderNames(trash_ + "/info"), std::vector<std::string>{"a b%c.txt.trashinfo"});

    const auto record = ParseInfo(ReadFileText(trash_ + "/info/a b%c.txt.trashinfo"));
    ASSERT_TRUE(record);
    EXPECT_EQ(record->path, RealPath(tmp_.Path()) + "/src/a%20b%25c.txt");
    std::tm parsed{};
    const char* end = strptime(record->date.c_str(), "%Y-%m-%dT%H:%M:%S", &parsed);
    ASSERT_NE(end, nullptr) << record->date;
    EXPECT_EQ(*end, '\0') << record->date;
    EXPECT_EQ(record->date.size(), 19u);
    parsed.tm_isdst = -1;
    const time_t stamp = std::mktime(&parsed);
    EXPECT_GE(stamp, before - 1);
    EXPECT_LE(stamp, after + 1);
}

TEST_F(TrashTest, CreatesPrivateTrashFolders) {
    const std::string source = tmp_.WriteFile("f.txt", "x");
    std::string error;
    ASSERT_TRUE(MoveToTrash(source, error)) << error;
    for (const std::string& folder : {trash_, trash_ + "/files", trash_ + "/info"}) {
        struct stat info {};
        ASSERT_EQ(stat(folder.c_str(), &info), 0) << folder;
        EXPECT_TRUE(S_ISDIR(info.st_mode));
        EXPECT_EQ(info.st_mode & 0777, 0700u) << folder;
    }
}

TEST_F(TrashTest, EncodesNonAsciiAndReservedBytes) {
    const std::string source = tmp_.WriteFile("Grüße #1?.txt", "x");
    std::string error;
    ASSERT_TRUE(MoveToTrash(source, error)) << error;
    const auto record = ParseInfo(ReadFileText(trash_ + "/info/Grüße #1?.txt.trashinfo"));
    ASSERT_TRUE(record);
    EXPECT_EQ(record->path, RealPath(tmp_.Path()) + "/Gr%C3%BC%C3%9Fe%20%231%3F.txt");
}

TEST_F(TrashTest, CollidingNamesGetNumberedSuffixes) {
    std::string error;
    for (const char* folder : {"one", "two", "three"}) {
        const std::string source = tmp_.WriteFile(std::string(folder) + "/x.txt", folder);
        ASSERT_TRUE(MoveToTrash(source, error)) << error;
    }
    EXPECT_EQ(FolderNames(trash_ + "/files"),
              (std::vector<std::string>{"x.txt", "x.txt.2", "x.txt.3"}));
    EXPECT_EQ(
        FolderNames(trash_ + "/info"),
        (std::vector<std::string>{"x.txt.2.trashinfo", "x.txt.3.trashinfo", "x.txt.trashinfo"}));
    EXPECT_EQ(ReadFileText(trash_ + "/files/x.txt.2"), "two");
    const auto record = ParseInfo(ReadFileText(trash_ + "/info/x.txt.3.trashinfo"));
    ASSERT_TRUE(record);
    EXPECT_EQ(record->path, RealPath(tmp_.Path()) + "/three/x.txt");
}

TEST_F(TrashTest, NameTakenInFilesOrInfoIsSkipped) {
    tmp_.WriteFile("data/Trash/files/y.txt", "orphan without record");
    tmp_.WriteFile("data/Trash/info/y.txt.2.trashinfo", "record without file");
    const std::string source = tmp_.WriteFile("y.txt", "new");
    std::string error;
    ASSERT_TRUE(MoveToTrash(source, error)) << error;
    EXPECT_EQ(ReadFileText(trash_ + "/files/y.txt"), "orphan without record");
    EXPECT_EQ(ReadFileText(trash_ + "/info/y.txt.2.trashinfo"), "record without file");
    EXPECT_EQ(ReadFileText(trash_ + "/files/y.txt.3"), "new");
    EXPECT_TRUE(Exists(trash_ + "/info/y.txt.3.trashinfo"));
}

TEST_F(TrashTest, RelativePathIsRecordedAbsolute) {
    tmp_.WriteFile("work/rel.txt", "r");
    const std::string saved = RealPath(".");
    ASSERT_EQ(chdir((tmp_ / "work").c_str()), 0);
    std::string error;
    const bool moved = MoveToTrash("rel.txt", error);
    ASSERT_EQ(chdir(saved.c_str()), 0);
    ASSERT_TRUE(moved) << error;
    const auto record = ParseInfo(ReadFileText(trash_ + "/info/rel.txt.trashinfo"));
    ASSERT_TRUE(record);
    EXPECT_EQ(record->path, RealPath(tmp_.Path()) + "/work/rel.txt");
}

TEST_F(TrashTest, SymbolicLinkIsTrashedNotItsTarget) {
    const std::string target = tmp_.WriteFile("target.txt", "keep");
    const std::string link = tmp_ / "link.txt";
    ASSERT_EQ(symlink(target.c_str(), link.c_str()), 0);
    std::string error;
    ASSERT_TRUE(MoveToTrash(link, error)) << error;
    EXPECT_EQ(ReadFileText(target), "keep");
    struct stat info {};
    ASSERT_EQ(lstat((trash_ + "/files/link.txt").c_str(), &info), 0);
    EXPECT_TRUE(S_ISLNK(info.st_mode));
}

TEST_F(TrashTest, MissingFileFailsAndLeavesNoRecord) {
    std::string error;
    EXPECT_FALSE(MoveToTrash(tmp_ / "absent.txt", error));
    EXPECT_NE(error.find("absent.txt"), std::string::npos) << error;
    EXPECT_NE(error.find("No such file or directory"), std::string::npos) << error;
    EXPECT_TRUE(FolderNames(trash_ + "/info").empty());
}

TEST_F(TrashTest, UnusableTrashLeavesFileInPlace) {
    tmp_.WriteFile("data", "a file where the data folder should be");
    const std::string source = tmp_.WriteFile("stay.txt", "x");
    std::string error;
    EXPECT_FALSE(MoveToTrash(source, error));
    EXPECT_NE(error.find("stay.txt"), std::string::npos) << error;
    EXPECT_EQ(ReadFileText(source), "x");
}

TEST_F(TrashTest, RefusesFileOnAnotherFileSystem) {
    struct stat shm {};
    struct stat home {};
    if (stat("/dev/shm", &shm) != 0 || stat(tmp_.Path().c_str(), &home) != 0 ||
        shm.st_dev == home.st_dev)
        GTEST_SKIP() << "/dev/shm is missing or on the same file system as the trash";
    char pattern[] = "/dev/shm/tolvane-trash-XXXXXX";
    const int fd = mkstemp(pattern);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(write(fd, "shm", 3), 3);
    close(fd);
    const std::string source = pattern;

    std::string error;
    const bool moved = MoveToTrash(source, error);
    const std::string content = ReadFileText(source);
    unlink(source.c_str());
    EXPECT_FALSE(moved);
    EXPECT_EQ(content, "shm");
    EXPECT_NE(error.find(source), std::string::npos) << error;
    EXPECT_NE(error.find("another file system"), std::string::npos) << error;
    EXPECT_TRUE(FolderNames(trash_ + "/info").empty());
    EXPECT_TRUE(FolderNames(trash_ + "/files").empty());
}

TEST(TrashLocationTest, DefaultsToHomeWhenDataHomeIsUnsetOrRelative) {
    TempFolder tmp;
    const std::string home = RealPath(tmp.Path());
    for (const char* dataHome : {static_cast<const char*>(nullptr), "", "relative/data"}) {
        EnvironmentGuard environment({{"HOME", home.c_str()}, {"XDG_DATA_HOME", dataHome}});
        const std::string source = tmp.WriteFile("h.txt", "h");
        std::string error;
        ASSERT_TRUE(MoveToTrash(source, error)) << error;
    }
    EXPECT_EQ(FolderNames(home + "/.local/share/Trash/files"),
              (std::vector<std::string>{"h.txt", "h.txt.2", "h.txt.3"}));
}

} // namespace
} // namespace tolvane::platform
