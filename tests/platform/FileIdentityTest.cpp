// File identities: every name of one file gives the same, a copy another; a
// listing and an open file agree with the query by path.
#include "platform/FileIdentity.h"

#include "platform/File.h"
#include "platform/FileSystem.h"
#include "platform/PendingFile.h"

#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace tolvane::platform {
namespace {

namespace fs = std::filesystem;
using test::TempFolder;

TEST(FileIdentityTest, NamesOfOneFileShareItsIdentityAndACopyHasItsOwn) {
#ifdef _WIN32
    GTEST_SKIP() << "makes a symbolic link, which Wine cannot";
#endif
    TempFolder tmp;
    const std::string file = tmp.WriteFile("dir/file.txt", "content");
    fs::create_hard_link(file, tmp / "hard");
    fs::create_symlink(file, tmp / "soft");
    fs::copy_file(file, tmp / "copy");
    const auto identity = QueryFileIdentity(file);
    ASSERT_TRUE(identity);
    EXPECT_EQ(QueryFileIdentity(tmp / "hard"), identity);
    EXPECT_EQ(QueryFileIdentity(tmp / "soft"), identity);
    EXPECT_EQ(QueryFileIdentity(tmp / "dir/../dir/file.txt"), identity);
    EXPECT_NE(QueryFileIdentity(tmp / "copy"), identity);
    EXPECT_NE(QueryFileIdentity(tmp / "dir"), identity);
    EXPECT_FALSE(QueryFileIdentity(tmp / "missing"));
    EXPECT_FALSE(QueryFileIdentity(""));

    // A listing carries the identity of files, of folders and of link targets.
    const auto entries = ListDirectory(tmp.Path());
    ASSERT_TRUE(entries);
    for (const DirEntry& entry : *entries)
        EXPECT_EQ(entry.identity, QueryFileIdentity(tmp / entry.name)) << entry.name;

    EXPECT_EQ(QueryFileIdentity(File(file, File::Mode::Read)), identity);
    EXPECT_FALSE(QueryFileIdentity(File()));
}

TEST(FileIdentityTest, AFileWithoutANameHasAnIdentityOfItsOwn) {
    TempFolder tmp;
    PendingFile pending(tmp.Path(), "kro");
    ASSERT_TRUE(pending.IsOpen());
    const auto identity = QueryFileIdentity(pending.Handle());
    ASSERT_TRUE(identity);
    EXPECT_EQ(QueryFileIdentity(pending.Path()), identity);
    EXPECT_NE(QueryFileIdentity(tmp.Path()), identity);
}

} // namespace
} // namespace tolvane::platform
