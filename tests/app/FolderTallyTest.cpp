// What a job on a folder will take, counted as the job packs: hidden entries
// in, links to folders and other unusable entries out; a cancel or an
// unreadable folder gives no count.
#include "app/FolderTally.h"

#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sys/stat.h>

namespace fs = std::filesystem;
using namespace tolvane;
using namespace tolvane::test;

namespace {

TEST(FolderTallyTest, CountsWhatTheJobPacks) {
    TempFolder scratch;
    scratch.WriteFile("book/a.txt", std::string(100, 'a'));
    scratch.WriteFile("book/.hidden", "hh");
    scratch.WriteFile("book/sub/deeper/b.bin", std::string(3000, 'b'));
    scratch.MakeFolder("book/empty");
    scratch.MakeFolder("book/.git");
    fs::create_symlink(scratch / "book/a.txt", scratch / "book/link-to-file");
    fs::create_symlink(scratch / "book/sub", scratch / "book/link-to-folder");
    fs::create_symlink(scratch / "nowhere", scratch / "book/dangling");
    ASSERT_EQ(mkfifo((scratch / "book/pipe").c_str(), 0600), 0);
    platform::CancelToken cancel;
    const auto tally = app::CountFolder(scratch / "book", cancel);
    ASSERT_TRUE(tally);
    // a.txt, .hidden, b.bin and the link to a file (packed as the file).
    EXPECT_EQ(tally->files, 4);
    // sub, sub/deeper, empty, .git; never the link to a folder.
    EXPECT_EQ(tally->folders, 4);
    EXPECT_EQ(tally->bytes, 100u + 2u + 3000u + 100u);
}

TEST(FolderTallyTest, ACancelOrAnUnreadableFolderGivesNoCount) {
    TempFolder scratch;
    scratch.WriteFile("book/a.txt", "a");
    platform::CancelToken cancel;
    EXPECT_FALSE(app::CountFolder(scratch / "missing", cancel));
    cancel.Request();
    EXPECT_FALSE(app::CountFolder(scratch / "book", cancel));
    // An empty folder is a count of nothing, not a failure.
    platform::CancelToken fresh;
    const auto empty = app::CountFolder(scratch.MakeFolder("none"), fresh);
    ASSERT_TRUE(empty);
    EXPECT_EQ(empty->files + empty->folders, 0);
}

} // namespace
