// Directory listings, attribute bits, link rules and path helpers on real
// scratch folders.
#include "platform/FileSystem.h"

#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tolvane::platform {
namespace {

using test::TempFolder;

std::vector<std::string> Names(const std::vector<DirEntry>& entries) {
    std::vector<std::string> names;
    for (const auto& entry : entries)
        names.push_back(entry.name);
    return names;
}

const DirEntry* Find(const std::vector<DirEntry>& entries, const std::string& name) {
    for (const auto& entry : entries) {
        if (entry.name == name)
            return &entry;
    }
    return nullptr;
}

// Restores the current folder when a test changes it.
class CurrentFolderGuard {
public:
    CurrentFolderGuard() : saved_(CurrentFolder()) {}
    ~CurrentFolderGuard() { EXPECT_EQ(chdir(saved_.c_str()), 0); }
    CurrentFolderGuard(const CurrentFolderGuard&) = delete;
    CurrentFolderGuard& operator=(const CurrentFolderGuard&) = delete;

private:
    std::string saved_;
};

TEST(ListDirectoryTest, SortsByUpperCasedNameBytewise) {
    TempFolder tmp;
    for (const char* name : {"b", "A", "a_", "C", "_x", "B1", "a"})
        tmp.WriteFile(name, "");
    auto entries = ListDirectory(tmp.Path());
    ASSERT_TRUE(entries);
    // Upper-cased: "A", "A", "A_", "B", "B1", "C", "_X" ('_' = 0x5F sorts after
    // the letters); "A" and "a" tie when folded and fall back to their own bytes.
    EXPECT_EQ(Names(*entries), (std::vector<std::string>{"A", "a", "a_", "b", "B1", "C", "_x"}));
}

TEST(ListDirectoryTest, SameOrderWithAndWithoutTrailingSeparator) {
    TempFolder tmp;
    for (const char* name : {"zeta", "Alpha", "beta", "Gamma.txt", "gamma"})
        tmp.WriteFile(name, "x");
    auto plain = ListDirectory(tmp.Path());
    auto slashed = ListDirectory(tmp.Path() + "/");
    ASSERT_TRUE(plain && slashed);
    EXPECT_EQ(Names(*plain), Names(*slashed));
    EXPECT_EQ(Names(*plain),
              (std::vector<std::string>{"Alpha", "beta", "gamma", "Gamma.txt", "zeta"}));
}

TEST(ListDirectoryTest, LeavesOutDotEntriesButKeepsDotFiles) {
    TempFolder tmp;
    tmp.WriteFile(".profile", "p");
    auto entries = ListDirectory(tmp.Path());
    ASSERT_TRUE(entries);
    EXPECT_EQ(Names(*entries), std::vector<std::string>{".profile"});
}

TEST(ListDirectoryTest, DescribesFilesAndFolders) {
    TempFolder tmp;
    const std::string file = tmp.WriteFile("data.bin", std::string(1234, 'x'));
    tmp.MakeFolder("sub");
    struct timespec times[2] = {{1000000000, 0}, {1234567890, 0}};
    ASSERT_EQ(utimensat(AT_FDCWD, file.c_str(), times, 0), 0);

    auto entries = ListDirectory(tmp.Path());
    ASSERT_TRUE(entries);
    ASSERT_EQ(entries->size(), 2u);
    const DirEntry* data = Find(*entries, "data.bin");
    ASSERT_NE(data, nullptr);
    EXPECT_EQ(data->attributes, kAttrArchive);
    EXPECT_EQ(data->size, 1234u);
    EXPECT_EQ(data->lastWriteTime, 1234567890);
    EXPECT_FALSE(data->IsDirectory());
    const DirEntry* sub = Find(*entries, "sub");
    ASSERT_NE(sub, nullptr);
    EXPECT_EQ(sub->attributes, kAttrDirectory);
    EXPECT_EQ(sub->size, 0u);
    EXPECT_TRUE(sub->IsDirectory());
}

TEST(ListDirectoryTest, ReportsSizesBeyondFourGigabytes) {
    TempFolder tmp;
    const std::string file = tmp.WriteFile("sparse", "");
    const off_t size = (off_t{5} << 30) + 7;
    ASSERT_EQ(truncate(file.c_str(), size), 0);
    auto entries = ListDirectory(tmp.Path());
    ASSERT_TRUE(entries);
    ASSERT_EQ(entries->size(), 1u);
    EXPECT_EQ((*entries)[0].size, static_cast<uint64_t>(size));
}

TEST(ListDirectoryTest, OwnerWithoutWriteBitMeansReadOnly) {
    TempFolder tmp;
    const std::string file = tmp.WriteFile("locked.txt", "x");
    const std::string folder = tmp.MakeFolder("lockeddir");
    ASSERT_EQ(chmod(file.c_str(), 0444), 0);
    ASSERT_EQ(chmod(folder.c_str(), 0555), 0);
    auto entries = ListDirectory(tmp.Path());
    ASSERT_TRUE(entries);
    ASSERT_NE(Find(*entries, "locked.txt"), nullptr);
    EXPECT_EQ(Find(*entries, "locked.txt")->attributes, kAttrArchive | kAttrReadOnly);
    ASSERT_NE(Find(*entries, "lockeddir"), nullptr);
    EXPECT_EQ(Find(*entries, "lockeddir")->attributes, kAttrDirectory | kAttrReadOnly);
}

TEST(ListDirectoryTest, DescribesWhatEachEntryIs) {
    TempFolder tmp;
    tmp.WriteFile("target.txt", std::string(77, 'x'));
    tmp.MakeFolder("realdir");
    ASSERT_EQ(symlink("target.txt", (tmp / "filelink").c_str()), 0);
    ASSERT_EQ(symlink("realdir", (tmp / "dirlink").c_str()), 0);
    ASSERT_EQ(symlink(".", (tmp / "loop").c_str()), 0);
    ASSERT_EQ(symlink("missing", (tmp / "dangling").c_str()), 0);
    ASSERT_EQ(symlink("selfloop", (tmp / "selfloop").c_str()), 0);
    ASSERT_EQ(mkfifo((tmp / "pipe").c_str(), 0600), 0);
    tmp.WriteFile(".hidden", "h");

    auto entries = ListDirectory(tmp.Path());
    ASSERT_TRUE(entries);
    struct Expected {
        const char* name;
        EntryKind kind;
        uint32_t attributes;
        uint64_t size;
    };
    const Expected expected[] = {
        {".hidden", EntryKind::File, kAttrHidden, 1},
        {"dangling", EntryKind::DanglingLink, kAttrArchive, 0},
        {"dirlink", EntryKind::FolderLink, kAttrArchive, 0},
        {"filelink", EntryKind::File, kAttrArchive, 77}, // a link to a file reads as the file
        {"loop", EntryKind::FolderLink, kAttrArchive, 0},
        {"pipe", EntryKind::NamedPipe, kAttrArchive, 0},
        {"realdir", EntryKind::Folder, kAttrDirectory, 0},
        {"selfloop", EntryKind::LinkLoop, kAttrArchive, 0},
        {"target.txt", EntryKind::File, kAttrArchive, 77},
    };
    ASSERT_EQ(entries->size(), std::size(expected));
    for (size_t i = 0; i < std::size(expected); ++i) {
        const DirEntry& entry = (*entries)[i];
        EXPECT_EQ(entry.name, expected[i].name);
        EXPECT_EQ(entry.kind, expected[i].kind) << entry.name;
        EXPECT_EQ(entry.attributes, expected[i].attributes) << entry.name;
        EXPECT_EQ(entry.size, expected[i].size) << entry.name;
        EXPECT_EQ(entry.IsUnusable(), UnusableReason(entry.kind) != std::string()) << entry.name;
    }
}

TEST(ListDirectoryTest, MissingFolderOrFileGivesNullopt) {
    TempFolder tmp;
    const std::string file = tmp.WriteFile("f", "x");
    EXPECT_FALSE(ListDirectory(tmp / "nothing"));
    EXPECT_FALSE(ListDirectory(file));
}

TEST(FindMatchingTest, WildcardTable) {
    TempFolder tmp;
    for (const char* name : {"a.txt", "B.TXT", "readme", "notes.txt.bak", "ac", "abc", "a"})
        tmp.WriteFile(name, "");
    struct Case {
        const char* mask;
        std::vector<std::string> expected;
    };
    const Case cases[] = {
        {"*", {"a", "a.txt", "abc", "ac", "B.TXT", "notes.txt.bak", "readme"}},
        {"*.txt", {"a.txt", "B.TXT"}},
        {"*.TXT", {"a.txt", "B.TXT"}},
        {"?.txt", {"a.txt", "B.TXT"}},
        {"a?", {"ac"}},
        {"a*c", {"abc", "ac"}},
        {"a*?", {"a.txt", "abc", "ac"}},
        {"*.*", {"a.txt", "B.TXT", "notes.txt.bak"}},
        {"*txt*", {"a.txt", "B.TXT", "notes.txt.bak"}},
        {"READ*", {"readme"}},
        {"r??dme", {"readme"}},
        {"readme?", {}},
        {"x*", {}},
    };
    for (const auto& c : cases) {
        auto found = FindMatching(tmp.Path() + "/" + c.mask);
        ASSERT_TRUE(found) << c.mask;
        EXPECT_EQ(Names(*found), c.expected) << c.mask;
    }
}

TEST(FindMatchingTest, PlainNamePrefersExactCase) {
    TempFolder tmp;
    tmp.WriteFile("Report.doc", "1");
    tmp.WriteFile("report.doc", "22");
    auto exact = FindMatching(tmp / "report.doc");
    ASSERT_TRUE(exact);
    ASSERT_EQ(exact->size(), 1u);
    EXPECT_EQ((*exact)[0].size, 2u);
    auto folded = FindMatching(tmp / "REPORT.DOC");
    ASSERT_TRUE(folded);
    EXPECT_EQ(Names(*folded), (std::vector<std::string>{"Report.doc", "report.doc"}));
}

TEST(FindMatchingTest, PatternWithoutFolderUsesCurrentFolder) {
    TempFolder tmp;
    tmp.WriteFile("one.dat", "");
    tmp.WriteFile("two.txt", "");
    CurrentFolderGuard guard;
    ASSERT_EQ(chdir(tmp.Path().c_str()), 0);
    auto found = FindMatching("*.dat");
    ASSERT_TRUE(found);
    EXPECT_EQ(Names(*found), std::vector<std::string>{"one.dat"});
}

TEST(FindMatchingTest, MissingFolderGivesNullopt) {
    TempFolder tmp;
    EXPECT_FALSE(FindMatching(tmp / "none/*.txt"));
}

TEST(QueryPathTest, DescribesFilesFoldersAndFollowsLinks) {
    TempFolder tmp;
    tmp.WriteFile("f.txt", "hello");
    tmp.MakeFolder("d");
    ASSERT_EQ(symlink("d", (tmp / "dl").c_str()), 0);
    ASSERT_EQ(symlink("f.txt", (tmp / "fl").c_str()), 0);

    auto file = QueryPath(tmp / "f.txt");
    ASSERT_TRUE(file);
    EXPECT_EQ(file->name, "f.txt");
    EXPECT_EQ(file->attributes, kAttrArchive);
    EXPECT_EQ(file->size, 5u);
    auto folder = QueryPath(tmp / "d/");
    ASSERT_TRUE(folder);
    EXPECT_EQ(folder->name, "d");
    EXPECT_EQ(folder->attributes, kAttrDirectory);
    auto folderLink = QueryPath(tmp / "dl");
    ASSERT_TRUE(folderLink);
    EXPECT_EQ(folderLink->attributes, kAttrDirectory);
    auto fileLink = QueryPath(tmp / "fl");
    ASSERT_TRUE(fileLink);
    EXPECT_EQ(fileLink->size, 5u);
    EXPECT_FALSE(QueryPath(tmp / "absent"));
    EXPECT_FALSE(QueryPath(""));
}

TEST(PathTest, ExistenceChecks) {
    TempFolder tmp;
    const std::string file = tmp.WriteFile("f", "x");
    ASSERT_EQ(symlink(tmp.Path().c_str(), (tmp / "dl").c_str()), 0);
    EXPECT_TRUE(DirectoryExists(tmp.Path()));
    EXPECT_TRUE(DirectoryExists(tmp.Path() + "/"));
    EXPECT_TRUE(DirectoryExists(tmp / "dl"));
    EXPECT_FALSE(DirectoryExists(file));
    EXPECT_FALSE(DirectoryExists(tmp / "none"));
    EXPECT_FALSE(DirectoryExists(""));
    EXPECT_TRUE(PathExists(file));
    EXPECT_TRUE(PathExists(tmp.Path()));
    EXPECT_FALSE(PathExists(tmp / "none"));
}

TEST(PathTest, CreateFolderTreeMakesAllParents) {
    TempFolder tmp;
    const std::string deep = tmp / "a/b/c/d";
    EXPECT_TRUE(CreateFolderTree(deep));
    EXPECT_TRUE(DirectoryExists(deep));
    EXPECT_TRUE(CreateFolderTree(deep + "/")); // already there
    const std::string file = tmp.WriteFile("plain", "x");
    EXPECT_FALSE(CreateFolderTree(file + "/sub"));
    EXPECT_FALSE(CreateFolderTree(file));
}

TEST(PathTest, RemoveAndRenameReportErrno) {
    TempFolder tmp;
    const std::string from = tmp.WriteFile("from", "new");
    const std::string to = tmp.WriteFile("to", "old");
    EXPECT_EQ(RenameFile(from, to), 0);
    EXPECT_FALSE(PathExists(from));
    EXPECT_EQ(test::ReadFileText(to), "new");
    EXPECT_EQ(RenameFile(from, to), ENOENT);
    EXPECT_EQ(RemoveFile(to), 0);
    EXPECT_FALSE(PathExists(to));
    EXPECT_EQ(RemoveFile(to), ENOENT);
    const std::string folder = tmp.MakeFolder("dir");
    EXPECT_NE(RemoveFile(folder), 0);
    EXPECT_TRUE(DirectoryExists(folder));
}

TEST(PathTest, SetAttributesTogglesOwnerWriteBit) {
    TempFolder tmp;
    const std::string file = tmp.WriteFile("f", "x");
    ASSERT_EQ(chmod(file.c_str(), 0664), 0);
    EXPECT_EQ(SetAttributes(file, kAttrReadOnly | kAttrArchive), 0);
    struct stat info {};
    ASSERT_EQ(stat(file.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0464u);
    EXPECT_EQ(QueryPath(file)->attributes, kAttrArchive | kAttrReadOnly);
    EXPECT_EQ(SetAttributes(file, kAttrNormal), 0);
    ASSERT_EQ(stat(file.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0664u);
    EXPECT_EQ(SetAttributes(tmp / "none", 0), ENOENT);
}

TEST(PathTest, QueryVolumeWalksUpToAnExistingParent) {
    TempFolder tmp;
    EXPECT_TRUE(QueryVolume(tmp.Path()));
    EXPECT_TRUE(QueryVolume(tmp / "not/yet/there/archive.zip"));
    EXPECT_TRUE(QueryVolume("relative/missing.zip"));
    const std::string file = tmp.WriteFile("f", "x");
    EXPECT_TRUE(QueryVolume(file + "/below"));
}

TEST(PathTest, CurrentFolderEndsWithSeparator) {
    TempFolder tmp;
    CurrentFolderGuard guard;
    ASSERT_EQ(chdir(tmp.Path().c_str()), 0);
    char real[4096];
    ASSERT_NE(realpath(tmp.Path().c_str(), real), nullptr);
    EXPECT_EQ(CurrentFolder(), std::string(real) + "/");
}

TEST(PathTest, ErrorTextIsTheSystemText) {
    EXPECT_EQ(ErrorText(ENOENT), "No such file or directory");
    EXPECT_EQ(ErrorText(ENOSPC), "No space left on device");
    EXPECT_FALSE(ErrorText(99999).empty());
}

} // namespace
} // namespace tolvane::platform
