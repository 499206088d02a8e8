// TkroFileScan: grouping of FileSpec lines, the recursive walk, the pattern
// search, the entry test with its counters, cancel and exceptions. Most cases
// run on a tree of crafted entries (hidden folders and large sizes cannot be
// made on a Linux file system); the last ones walk a scratch folder.
#include "archive/framework/FileScan.h"

#include "platform/DosDateTime.h"
#include "platform/FileIdentity.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <stdexcept>
#include <string>
#include <vector>

namespace tolvane::archive {
namespace {

using platform::DirEntry;
using Lines = std::vector<std::string>;

constexpr uint32_t kArchive = 0x20;
constexpr uint32_t kDir = 0x10;
constexpr uint32_t kHidden = 0x02;

DirEntry File(std::string name, uint64_t size = 1, uint32_t attrs = kArchive) {
    return DirEntry{std::move(name), attrs, size, 1'000'000'000};
}

DirEntry Folder(std::string name, uint32_t attrs = kDir) {
    return DirEntry{std::move(name), attrs, 0, 1'000'000'000};
}

// A scanner on a tree of crafted entries. Folder keys are exactly the paths the
// walk asks for.
class FakeScan : public TkroFileScan {
public:
    std::map<std::string, std::vector<DirEntry>> folders;
    std::map<std::string, std::vector<DirEntry>> patterns;
    Lines listed;
    Lines searched;

protected:
    std::optional<std::vector<DirEntry>> ListFolder(const std::string& folder) override {
        listed.push_back(folder);
        auto it = folders.find(folder);
        if (it == folders.end())
            return std::nullopt;
        return it->second;
    }
    std::optional<std::vector<DirEntry>> FindPattern(const std::string& pattern) override {
        searched.push_back(pattern);
        auto it = patterns.find(pattern);
        if (it == patterns.end())
            return std::nullopt;
        return it->second;
    }
};

// Records everything a scan reports, in one sequence: "F <full path>" for a
// file step, "D <path>" for a folder step, "S name count size" for OnScanFile,
// "R <dir>" for OnRootDirChange, "W <dir>" for OnRecurseDir, "E count size"
// for OnFinished.
struct Recorder {
    Lines log;
    int finished = 0;

    void Attach(TkroFileScan& scan, bool withFileStep = true) {
        if (withFileStep) {
            scan.FileStep = [this](TkroFileScan&, const std::string& path, const DirEntry& e) {
                log.push_back(e.IsDirectory() ? "D " + path : "F " + path + e.name);
                return true;
            };
        }
        scan.OnScanFile = [this](TkroFileScan&, const std::string& name, int32_t count,
                                 int64_t size) {
            log.push_back("S " + name + " " + std::to_string(count) + " " + std::to_string(size));
        };
        scan.OnRootDirChange = [this](TkroFileScan&, const std::string& dir) {
            log.push_back("R " + dir);
        };
        scan.OnRecurseDir = [this](TkroFileScan&, const std::string& dir) {
            log.push_back("W " + dir);
        };
        scan.OnFinished = [this](TkroFileScan&, int32_t count, int64_t size) {
            ++finished;
            log.push_back("E " + std::to_string(count) + " " + std::to_string(size));
        };
    }

    Lines Only(char kind) const {
        Lines out;
        for (const std::string& line : log) {
            if (line[0] == kind)
                out.push_back(line.substr(2));
        }
        return out;
    }
};

// /r/ holds a.txt, .profile, .cache/, sub/ (b.txt, deep/ (c.log)), z.txt.
void BuildTree(FakeScan& scan) {
    // Dot names carry the hidden bit, as the platform reports them.
    scan.folders["/r/"] = {File("a.txt", 10), File(".profile", 100, kHidden),
                           Folder(".cache", kDir | kHidden), Folder("sub"), File("z.txt", 20)};
    scan.folders["/r/.cache/"] = {File("x.txt", 1000)};
    scan.folders["/r/sub/"] = {File("b.txt", 30), Folder("deep")};
    scan.folders["/r/sub/deep/"] = {File("c.log", 40)};
}

// ----- grouping loop -------------------------------------------------------

struct Group {
    std::string folder;
    Lines masks;
    bool operator==(const Group&) const = default;
};

void PrintTo(const Group& g, std::ostream* os) {
    *os << g.folder << " [";
    for (const auto& m : g.masks)
        *os << m << ";";
    *os << "]";
}

struct GroupingCase {
    const char* title;
    Lines fileSpec;
    std::vector<Group> groups;
};

const GroupingCase kGroupingCases[] = {
    {"folder with trailing separator takes every file", {"/d/"}, {{"/d/", {"*"}}}},
    {"folder without trailing separator is a name mask", {"/d"}, {{"/", {"d"}}}},
    {"two files in one folder", {"/t/a.bh", "/t/a.url"}, {{"/t/", {"a.bh", "a.url"}}}},
    {"name covered by a mask is dropped", {"/d/*.txt", "/D/readme.txt"}, {{"/d/", {"*.txt"}}}},
    {"mask covering a name replaces it", {"/d/a.txt", "/d/*.txt"}, {{"/d/", {"*.txt"}}}},
    {"folder line absorbs a file line", {"/d/", "/d/x.txt"}, {{"/d/", {"*"}}}},
    {"later folder line replaces a file mask", {"/d/x.txt", "/d/"}, {{"/d/", {"*"}}}},
    {"only the first covered mask is replaced",
     {"/d/a.txt", "/d/b.txt", "/d/*.txt"},
     {{"/d/", {"*.txt", "b.txt"}}}},
    {"question mark covers a name", {"/d/a?c", "/d/abc"}, {{"/d/", {"a?c"}}}},
    {"name replaced by question-mark mask", {"/d/abc", "/d/a?c"}, {{"/d/", {"a?c"}}}},
    {"star replaces a starred mask", {"/d/a*", "/d/ab", "/d/*"}, {{"/d/", {"*"}}}},
    {"star-dot-star becomes star", {"/d/*.*"}, {{"/d/", {"*"}}}},
    {"star-dot-star against a name", {"/d/*.*", "/d/readme"}, {{"/d/", {"*", "readme"}}}},
    {"semicolon is part of one mask", {"/d/*.txt;*.doc"}, {{"/d/", {"*.txt;*.doc"}}}},
    {"blank lines are removed", {" ", "\t", "/d/a", "", " \r\n"}, {{"/d/", {"a"}}}},
    {"folders compare ignoring ASCII case only",
     {"/Dir/a", "/dIR/b", "/d\xC3\x84/c", "/d\xC3\xA4/e"},
     {{"/Dir/", {"a", "b"}}, {"/d\xC3\x84/", {"c"}}, {"/d\xC3\xA4/", {"e"}}}},
    {"groups run in the order of their first lines",
     {"/a/x", "/b/y", "/a/z", "/c/", "/b/w"},
     {{"/a/", {"x", "z"}}, {"/b/", {"y", "w"}}, {"/c/", {"*"}}}},
    {"lines without folder parts form separate groups in RootDir",
     {"a.txt", "b.txt"},
     {{"/root/", {"a.txt"}}, {"/root/", {"b.txt"}}}},
    {"a line without folder part follows the previous group's folder",
     {"/a/x.txt", "y.txt"},
     {{"/a/", {"x.txt"}}, {"/a/", {"y.txt"}}}},
    {"a folder line equal to RootDir joins a line without folder part",
     {"x.txt", "/root/y.txt"},
     {{"/root/", {"x.txt", "y.txt"}}}},
    {"only blank lines", {"  ", ""}, {}},
};

class GroupingTable : public testing::TestWithParam<GroupingCase> {};

TEST_P(GroupingTable, FormsTheExpectedGroups) {
    const GroupingCase& c = GetParam();
    TkroFileScan scan;
    scan.RootDir = "/root/";
    scan.SetFileSpec(c.fileSpec);
    Recorder rec;
    rec.Attach(scan);
    std::vector<Group> groups;
    scan.FolderStep = [&](const std::string& folder, uint32_t attrBits, const TMaskList& masks) {
        EXPECT_EQ(attrBits, kDefaultAttributes.ToPlatformBits());
        EXPECT_EQ(scan.RootDir, folder);
        Group g{folder, {}};
        for (size_t i = 0; i < masks.Size(); ++i)
            g.masks.push_back(masks[i].Text());
        groups.push_back(g);
    };
    scan.Scan();

    EXPECT_EQ(groups, c.groups) << c.title;
    Lines folders;
    for (const Group& g : c.groups)
        folders.push_back(g.folder);
    EXPECT_EQ(rec.Only('R'), folders) << c.title;
    EXPECT_TRUE(scan.FileSpec().empty()) << "a recursive scan consumes FileSpec";
    EXPECT_EQ(scan.RootDir, c.groups.empty() ? "/root/" : c.groups.back().folder);
    EXPECT_EQ(rec.Only('E'), Lines{"0 0"});
}

INSTANTIATE_TEST_SUITE_P(FileScan, GroupingTable, testing::ValuesIn(kGroupingCases));

TEST(FileScanGrouping, NonBlankLinesAreNotTrimmed) {
    TkroFileScan scan;
    scan.SetFileSpec({" /d/a "});
    Lines seen;
    scan.FolderStep = [&](const std::string& folder, uint32_t, const TMaskList& masks) {
        seen.push_back(folder + "|" + masks[0].Text());
    };
    scan.Scan();
    EXPECT_EQ(seen, Lines{" /d/|a "});
}

// ----- recursive walk ------------------------------------------------------

TEST(FileScanWalk, ReportsSortedEntriesWithFoldersBeforeTheirContents) {
    FakeScan scan;
    BuildTree(scan);
    scan.Attributes.Include(fsDirectory);
    scan.SetFileSpec({"/r/"});
    Recorder rec;
    rec.Attach(scan);
    scan.Scan();
    EXPECT_EQ(rec.log, (Lines{
                           "R /r/",
                           "W /r/",
                           "F /r/a.txt",
                           "S a.txt 1 10",
                           "D /r/.cache/",
                           "D /r/sub/",
                           "W /r/sub/",
                           "F /r/sub/b.txt",
                           "S b.txt 2 40",
                           "D /r/sub/deep/",
                           "W /r/sub/deep/",
                           "F /r/sub/deep/c.log",
                           "S c.log 3 80",
                           "F /r/z.txt",
                           "S z.txt 4 100",
                           "E 4 100",
                       }));
    EXPECT_EQ(scan.FilesCount, 4);
    EXPECT_EQ(scan.FilesSize, 100);
    // The hidden file fails the default filter; the hidden folder is
    // reported but not entered.
    EXPECT_EQ(scan.listed, (Lines{"/r/", "/r/sub/", "/r/sub/deep/"}));
}

TEST(FileScanWalk, MasksSelectFilesInEverySubfolderButNotFolders) {
    FakeScan scan;
    BuildTree(scan);
    scan.Attributes.Include(fsDirectory);
    scan.SetFileSpec({"/r/*.log", "/r/z*"});
    Recorder rec;
    rec.Attach(scan);
    scan.Scan();
    EXPECT_EQ(rec.Only('F'), (Lines{"/r/sub/deep/c.log", "/r/z.txt"}));
    EXPECT_EQ(rec.Only('D'), (Lines{"/r/.cache/", "/r/sub/", "/r/sub/deep/"}));
}

TEST(FileScanWalk, FolderWithoutTrailingSeparatorGetsOne) {
    FakeScan scan;
    scan.folders["/r"] = {File("a"), Folder("s")};
    scan.folders["/r/s/"] = {File("b")};
    scan.RootDir = "/r";
    Recorder rec;
    rec.Attach(scan);
    scan.SetFileSpec({"*"});
    scan.Scan();
    EXPECT_EQ(rec.Only('W'), (Lines{"/r", "/r/s/"}));
    EXPECT_EQ(rec.Only('F'), (Lines{"/r/a", "/r/s/b"}));
}

TEST(FileScanWalk, ProcessMessagesRunsAfterEveryEntry) {
    FakeScan scan;
    BuildTree(scan);
    int pumped = 0;
    scan.ProcessMessages = [&] { ++pumped; };
    scan.SetFileSpec({"/r/"});
    scan.Scan();
    // /r/ has 5 entries (dot names included), sub/ 2, deep/ 1.
    EXPECT_EQ(pumped, 8);
}

TEST(FileScanWalk, UnreadableFolderIsPassedOver) {
    FakeScan scan;
    scan.folders["/r/"] = {Folder("locked"), File("a")};
    scan.SetFileSpec({"/r/", "/missing/"});
    Recorder rec;
    rec.Attach(scan);
    scan.Scan();
    EXPECT_EQ(rec.Only('F'), Lines{"/r/a"});
    EXPECT_EQ(rec.Only('W'), (Lines{"/r/", "/r/locked/", "/missing/"}));
}

struct HiddenCase {
    bool includeHiddenDirs;
    TkroFileAttributes attributes;
    Lines steps; // F and D lines
};

const HiddenCase kHiddenCases[] = {
    // Not entered; with the default filter not reported either.
    {false, kDefaultAttributes, {"F /r/a"}},
    {true, kDefaultAttributes, {"F /r/a", "F /r/h/in"}},
    // The entry test is independent of the descent: reported, not entered.
    {false, {fsDirectory}, {"D /r/h/"}},
    {true, {fsDirectory}, {"D /r/h/"}},
    {true, {fsZeroAttr, fsHidden}, {"D /r/h/", "F /r/h/in"}},
};

class HiddenTable : public testing::TestWithParam<HiddenCase> {};

TEST_P(HiddenTable, HiddenFoldersFollowIncludeHiddenDirs) {
    const HiddenCase& c = GetParam();
    FakeScan scan;
    scan.folders["/r/"] = {File("a", 1, kArchive), Folder("h", kDir | kHidden)};
    scan.folders["/r/h/"] = {File("in", 1, 0)};
    scan.IncludeHiddenDirs = c.includeHiddenDirs;
    scan.Attributes = c.attributes;
    scan.SetFileSpec({"/r/"});
    Recorder rec;
    rec.Attach(scan);
    scan.Scan();
    Lines steps;
    for (const std::string& line : rec.log) {
        if (line[0] == 'F' || line[0] == 'D')
            steps.push_back(line);
    }
    EXPECT_EQ(steps, c.steps);
    EXPECT_EQ(scan.listed.size(), c.includeHiddenDirs ? 2u : 1u);
}

INSTANTIATE_TEST_SUITE_P(FileScan, HiddenTable, testing::ValuesIn(kHiddenCases));

TEST(FileScanWalk, AttributeFiltersApplyToEveryEntry) {
    FakeScan scan;
    scan.folders["/r/"] = {
        File("archive", 1, 0x20), File("hidden", 1, 0x02),       File("normal", 1, 0x80),
        File("plain", 1, 0x00),   File("notindexed", 1, 0x2002), File("readonly", 1, 0x21),
        File("system", 1, 0x04),  File("compressed", 1, 0x0800), File("odd", 1, 0x100),
    };
    scan.AttributesEx = {fsReadOnly};
    scan.SetFileSpec({"/r/"});
    Recorder rec;
    rec.Attach(scan);
    scan.Scan();
    EXPECT_EQ(rec.Only('F'),
              (Lines{"/r/archive", "/r/normal", "/r/plain", "/r/notindexed", "/r/compressed"}));
}

// ----- counters and the file step ------------------------------------------

TEST(FileScanCounters, SizesAreSummedIn64Bits) {
    FakeScan scan;
    scan.folders["/r/"] = {File("big", (5ull << 32) + 3), File("small", 7)};
    scan.SetFileSpec({"/r/"});
    Recorder rec;
    rec.Attach(scan);
    scan.Scan();
    EXPECT_EQ(scan.FilesCount, 2);
    EXPECT_EQ(scan.FilesSize, int64_t{(5ll << 32) + 10});
    EXPECT_EQ(rec.Only('S'), (Lines{"big 1 21474836483", "small 2 21474836490"}));
}

TEST(FileScanCounters, FileStepReturningFalseIsNotCounted) {
    FakeScan scan;
    BuildTree(scan);
    scan.Attributes.Include(fsDirectory);
    scan.SetFileSpec({"/r/"});
    Recorder rec;
    rec.Attach(scan);
    Lines stepped;
    // Folders answer False too: their result is ignored and they never count.
    scan.FileStep = [&](TkroFileScan&, const std::string& path, const DirEntry& e) {
        stepped.push_back(e.IsDirectory() ? path : path + e.name);
        return !e.IsDirectory() && e.name != "b.txt";
    };
    scan.Scan();
    EXPECT_EQ(stepped, (Lines{"/r/a.txt", "/r/.cache/", "/r/sub/", "/r/sub/b.txt", "/r/sub/deep/",
                              "/r/sub/deep/c.log", "/r/z.txt"}));
    EXPECT_EQ(rec.Only('S'), (Lines{"a.txt 1 10", "c.log 2 50", "z.txt 3 70"}));
    EXPECT_EQ(rec.Only('E'), Lines{"3 70"});
}

TEST(FileScanCounters, UpdateListFalseCountsWithoutSteps) {
    FakeScan scan;
    BuildTree(scan);
    scan.Attributes.Include(fsDirectory);
    scan.UpdateList = false;
    scan.SetFileSpec({"/r/"});
    Recorder rec;
    rec.Attach(scan);
    scan.Scan();
    EXPECT_TRUE(rec.Only('F').empty());
    EXPECT_TRUE(rec.Only('D').empty());
    EXPECT_TRUE(rec.Only('S').empty());
    EXPECT_EQ(rec.Only('E'), Lines{"4 100"});
    EXPECT_EQ(scan.Files().Count(), 0u);
}

TEST(FileScanCounters, NoFileStepCountsLikeUpdateListFalse) {
    FakeScan scan;
    BuildTree(scan);
    scan.SetFileSpec({"/r/"});
    Recorder rec;
    rec.Attach(scan, false);
    scan.FileStep = nullptr;
    scan.Scan();
    EXPECT_TRUE(rec.Only('S').empty());
    EXPECT_EQ(rec.Only('E'), Lines{"4 100"});
}

TEST(FileScanCounters, ScanStartsFromZeroEachTime) {
    FakeScan scan;
    BuildTree(scan);
    scan.SetFileSpec({"/r/"});
    scan.Scan();
    ASSERT_EQ(scan.Files().Count(), 4u);
    scan.SetFileSpec({"/r/sub/deep/"});
    Recorder rec;
    rec.Attach(scan, false);
    scan.Scan();
    EXPECT_EQ(rec.Only('E'), Lines{"1 40"});
    ASSERT_EQ(scan.Files().Count(), 1u);
    EXPECT_EQ(scan.Files()[0].FileName, "c.log");
}

// ----- cancel and exceptions -----------------------------------------------

TEST(FileScanCancel, CancelFromFileStepStopsWalkAndLaterGroups) {
    FakeScan scan;
    BuildTree(scan);
    scan.folders["/other/"] = {File("o")};
    scan.SetFileSpec({"/r/", "/other/"});
    Recorder rec;
    rec.Attach(scan);
    Lines stepped;
    scan.FileStep = [&](TkroFileScan& sender, const std::string& path, const DirEntry& e) {
        stepped.push_back(path + e.name);
        if (e.name == "b.txt")
            sender.Cancel();
        return true;
    };
    scan.Scan();
    EXPECT_EQ(stepped, (Lines{"/r/a.txt", "/r/sub/b.txt"}));
    EXPECT_EQ(rec.Only('R'), Lines{"/r/"});
    EXPECT_EQ(rec.Only('E'), Lines{"2 40"});
    EXPECT_EQ(rec.finished, 1);
    // The group that was never started stays in FileSpec.
    EXPECT_EQ(scan.FileSpec(), Lines{"/other/"});
}

TEST(FileScanCancel, TheOwnersTokenStopsTheScanAndIsNeverCleared) {
    tolvane::platform::CancelToken token;
    FakeScan scan;
    BuildTree(scan);
    scan.SetCancelToken(&token);
    scan.SetFileSpec({"/r/"});
    int files = 0;
    scan.FileStep = [&](TkroFileScan&, const std::string&, const DirEntry&) {
        if (++files == 3)
            token.Request(); // the owner stops, from another thread as well
        return true;
    };
    scan.Scan();
    EXPECT_EQ(files, 3);
    EXPECT_EQ(scan.FilesCount, 3);
    // A request made before a scan stops it before its first file.
    files = 0;
    scan.SetFileSpec({"/r/"});
    scan.Scan();
    EXPECT_EQ(files, 0);
    EXPECT_TRUE(token.Requested());

    // The scan's own Cancel lasts for that scan and leaves the owner's token alone.
    tolvane::platform::CancelToken other;
    scan.SetCancelToken(&other);
    scan.Cancel();
    scan.SetFileSpec({"/r/"});
    scan.Scan();
    EXPECT_GT(files, 0);
    EXPECT_FALSE(other.Requested());
}

TEST(FileScanCancel, CancelFromProcessMessagesStopsAtTheNextEntry) {
    FakeScan scan;
    BuildTree(scan);
    scan.SetFileSpec({"/r/"});
    int pumped = 0;
    scan.ProcessMessages = [&] {
        if (++pumped == 1)
            scan.Cancel();
    };
    Recorder rec;
    rec.Attach(scan);
    scan.Scan();
    EXPECT_EQ(pumped, 1);
    EXPECT_EQ(rec.Only('F'), Lines{"/r/a.txt"});
}

TEST(FileScanExceptions, FileStepExceptionPropagatesAfterOnFinished) {
    FakeScan scan;
    BuildTree(scan);
    scan.SetFileSpec({"/r/"});
    Recorder rec;
    rec.Attach(scan);
    scan.FileStep = [&](TkroFileScan&, const std::string&, const DirEntry& e) -> bool {
        if (e.name == "c.log")
            throw std::runtime_error("step failed");
        return true;
    };
    EXPECT_THROW(scan.Scan(), std::runtime_error);
    EXPECT_EQ(rec.finished, 1);
    EXPECT_EQ(rec.Only('E'), Lines{"2 40"});
}

TEST(FileScanExceptions, EventExceptionPropagatesAfterOnFinished) {
    FakeScan scan;
    BuildTree(scan);
    scan.SetFileSpec({"/r/"});
    Recorder rec;
    rec.Attach(scan);
    scan.OnRootDirChange = [](TkroFileScan&, const std::string&) { throw std::logic_error("x"); };
    EXPECT_THROW(scan.Scan(), std::logic_error);
    EXPECT_EQ(rec.Only('E'), Lines{"0 0"});
    EXPECT_TRUE(scan.listed.empty());
}

// ----- pattern search ------------------------------------------------------

TEST(FileScanPattern, EachLineIsSearchedInItsOwnFolder) {
    FakeScan scan;
    scan.RecurseDirs = false;
    scan.Attributes.Include(fsDirectory);
    scan.patterns["/p/*.txt"] = {File("a.txt", 5), File(".hidden.txt", 6, kHidden),
                                 File("b.txt", 7)};
    scan.patterns["/q/none*"] = {};
    scan.patterns["/p/s*"] = {Folder("sub"), File("s.bin", 9)};
    scan.patterns["loose"] = {File("loose", 2)};
    const Lines fileSpec{"/p/*.txt", "/q/none*", "/missing/x", "/p/s*", "loose"};
    scan.SetFileSpec(fileSpec);
    int pumped = 0;
    scan.ProcessMessages = [&] { ++pumped; };
    Recorder rec;
    rec.Attach(scan);
    scan.Scan();
    EXPECT_EQ(rec.log, (Lines{
                           "R /p/",
                           "F /p/a.txt",
                           "S a.txt 1 5",
                           "F /p/b.txt",
                           "S b.txt 2 12",
                           "R /p/",
                           "D /p/sub/",
                           "F /p/s.bin",
                           "S s.bin 3 21",
                           "R ",
                           "F loose",
                           "S loose 4 23",
                           "E 4 23",
                       }));
    EXPECT_EQ(scan.searched, fileSpec);
    EXPECT_TRUE(scan.listed.empty()) << "folders are not descended into";
    EXPECT_EQ(pumped, 0);
    EXPECT_EQ(scan.FileSpec(), fileSpec) << "the pattern search leaves FileSpec alone";
}

TEST(FileScanPattern, AttributeFiltersStillApply) {
    FakeScan scan;
    scan.RecurseDirs = false;
    scan.patterns["/p/*"] = {File("h", 1, kHidden), File("ok", 1, 0x80), Folder("d")};
    scan.SetFileSpec({"/p/*"});
    Recorder rec;
    rec.Attach(scan);
    scan.Scan();
    EXPECT_EQ(rec.Only('F'), Lines{"/p/ok"});
    EXPECT_TRUE(rec.Only('D').empty());
}

TEST(FileScanDrives, DriveScanWalksTheRoot) {
    FakeScan scan;
    scan.ScanOptions = soScanDrvs;
    scan.folders["/"] = {File("vmlinuz")};
    scan.SetFileSpec({"/r/*"});
    Recorder rec;
    rec.Attach(scan);
    scan.Scan();
    EXPECT_EQ(scan.listed, Lines{"/"});
    EXPECT_EQ(rec.Only('F'), Lines{"/vmlinuz"});
}

// ----- the default file step and the result list ---------------------------

TEST(FileScanResultList, AddToListBuildsObjectsInSortedOrder) {
    FakeScan scan;
    BuildTree(scan);
    scan.folders["/r/"].push_back(File("huge", (1ull << 32) + 1, 0x21));
    scan.Attributes.Include(fsDirectory);
    scan.SetSorted(soBySize);
    scan.SetFileSpec({"/r/"});
    scan.Scan();
    const TFilesList& files = scan.Files();
    ASSERT_EQ(files.Count(), 8u); // the hidden folder too, not its file
    Lines order;
    for (size_t i = 0; i < files.Count(); ++i)
        order.push_back(files[i].FilePath + files[i].FileName);
    // Folder items (size 0) come first; the later folder goes before the earlier one.
    EXPECT_EQ(order, (Lines{"/r/sub/deep/", "/r/sub/", "/r/.cache/", "/r/a.txt", "/r/z.txt",
                            "/r/sub/b.txt", "/r/sub/deep/c.log", "/r/huge"}));
    EXPECT_EQ(files[7].SizeHigh, 1u);
    EXPECT_EQ(files[7].SizeLow, 1u);
    EXPECT_EQ(files[7].Attributes, 0x21u);
    EXPECT_EQ(files[0].FileName, "");
    EXPECT_EQ(files[3].DosDateTime, platform::ToDosDateTime(1'000'000'000));
}

TEST(FileScanResultList, AddToListKeepsAnEmptyFolderEmpty) {
    FakeScan scan;
    scan.RecurseDirs = false;
    scan.patterns["x*"] = {File("x1")};
    scan.SetFileSpec({"x*"});
    scan.Scan();
    ASSERT_EQ(scan.Files().Count(), 1u);
    EXPECT_EQ(scan.Files()[0].FilePath, "");
    EXPECT_EQ(scan.Files()[0].FileName, "x1");
}

TEST(FileScanResultList, SetSortedReSortsAndReportsNonEmptyList) {
    FakeScan scan;
    BuildTree(scan);
    scan.SetFileSpec({"/r/"});
    Recorder rec;
    rec.Attach(scan, false);
    scan.SetSorted(soByName); // empty list: no event
    EXPECT_EQ(rec.finished, 0);
    scan.Scan();
    EXPECT_EQ(rec.finished, 1);
    scan.SetSorted(soByType);
    EXPECT_EQ(rec.finished, 2);
    scan.SetSorted(soByType); // same order: reported again
    EXPECT_EQ(rec.finished, 3);
    EXPECT_EQ(rec.Only('E'), (Lines{"4 100", "4 100", "4 100"}));
    // By extension: ".log" first; the order among the equal ".txt" items is the
    // quicksort's business.
    ASSERT_EQ(scan.Files().Count(), 4u);
    EXPECT_EQ(scan.Files()[0].FileName, "c.log");
    Lines rest;
    for (size_t i = 1; i < 4; ++i)
        rest.push_back(scan.Files()[i].FileName);
    std::sort(rest.begin(), rest.end());
    EXPECT_EQ(rest, (Lines{"a.txt", "b.txt", "z.txt"}));
}

// ----- on disk -------------------------------------------------------------

class FileScanDisk : public testing::Test {
protected:
    FileScanDisk() {
        tmp_.WriteFile("data/a.txt", "aa");
        tmp_.WriteFile("data/.profile", "hidden");
        tmp_.WriteFile("data/.cache/inside.txt", "x");
        tmp_.WriteFile("data/sub/b.txt", "bbb");
        tmp_.WriteFile("data/sub/data", "dddd");
        tmp_.WriteFile("data/data", "e");
        tmp_.WriteFile("data/Readme", "rrrrr");
        tmp_.WriteFile("top.txt", "tt");
        tmp_.MakeFolder("data/empty");
    }
    std::string Root() const { return tmp_.Path() + "/"; }

    test::TempFolder tmp_;
};

TEST_F(FileScanDisk, FolderLineYieldsTheWholeTree) {
#ifdef _WIN32
    GTEST_SKIP() << "a dot-name is hidden on POSIX only; on Windows it is an ordinary name";
#endif
    TkroFileScan scan;
    scan.SetFileSpec({Root() + "data/"});
    Recorder rec;
    rec.Attach(scan);
    scan.Scan();
    const std::string d = Root() + "data/";
    EXPECT_EQ(rec.Only('F'),
              (Lines{d + "a.txt", d + "data", d + "Readme", d + "sub/b.txt", d + "sub/data"}));
    EXPECT_EQ(rec.Only('R'), Lines{d});
    EXPECT_EQ(rec.Only('E'), Lines{"5 15"});
}

TEST_F(FileScanDisk, FolderLineWithoutSeparatorIsANameMask) {
    TkroFileScan scan;
    scan.SetFileSpec({Root() + "data"});
    Recorder rec;
    rec.Attach(scan);
    scan.Scan();
    EXPECT_EQ(rec.Only('F'), (Lines{Root() + "data/data", Root() + "data/sub/data"}));
    EXPECT_EQ(rec.Only('R'), Lines{Root()});
}

TEST_F(FileScanDisk, MergedLinesAndFollowingLineWithoutFolder) {
    TkroFileScan scan;
    scan.SetFileSpec({Root() + "data/*.txt", Root() + "DATA/x.txt", Root() + "data/readme.",
                      "top.txt", "*.txt"});
    Recorder rec;
    rec.Attach(scan);
    scan.Scan();
    const std::string d = Root() + "data/";
    // The folder-less lines are searched in the previous group's folder, one group each.
    EXPECT_EQ(rec.Only('R'), (Lines{d, d, d}));
    EXPECT_EQ(rec.Only('F'),
              (Lines{d + "a.txt", d + "Readme", d + "sub/b.txt", d + "a.txt", d + "sub/b.txt"}));
}

TEST_F(FileScanDisk, BuiltInMaskScansRootDirUntilFileSpecIsAssigned) {
    TkroFileScan scan;
    scan.RootDir = Root() + "data/sub";
    scan.Scan();
    ASSERT_EQ(scan.Files().Count(), 2u);
    EXPECT_EQ(scan.Files()[0].FilePath, Root() + "data/sub/");
    EXPECT_EQ(scan.Files()[0].FileName, "b.txt");
    EXPECT_EQ(scan.FilesSize, 7);

    scan.RootDir = Root() + "nowhere";
    Recorder rec;
    rec.Attach(scan, false);
    scan.Scan();
    EXPECT_EQ(rec.Only('E'), Lines{"0 0"});

    scan.RootDir = Root() + "data/sub";
    scan.SetFileSpec({});
    scan.Scan();
    EXPECT_EQ(rec.Only('E'), (Lines{"0 0", "0 0"}));
}

TEST_F(FileScanDisk, EmptyRootDirMeansTheCurrentFolder) {
    const std::filesystem::path saved = std::filesystem::current_path();
    std::filesystem::current_path(Root() + "data/sub");
    TkroFileScan scan;
    scan.RootDir.clear();
    scan.SetFileSpec({"b.txt"});
    Recorder rec;
    rec.Attach(scan);
    scan.Scan();
    std::filesystem::current_path(saved);
    const std::string cwd = Root() + "data/sub/";
    EXPECT_EQ(rec.Only('R'), Lines{cwd});
    EXPECT_EQ(rec.Only('F'), Lines{cwd + "b.txt"});
}

TEST_F(FileScanDisk, PatternSearchOnDisk) {
    TkroFileScan scan;
    scan.RecurseDirs = false;
    scan.SetFileSpec({Root() + "data/*A*", Root() + "data/none*"});
    Recorder rec;
    rec.Attach(scan);
    scan.Scan();
    EXPECT_EQ(rec.Only('R'), Lines{Root() + "data/"});
    EXPECT_EQ(rec.Only('F'),
              (Lines{Root() + "data/a.txt", Root() + "data/data", Root() + "data/Readme"}));
}

TEST_F(FileScanDisk, ExcludedFilesArePassedOverByIdentityNotByName) {
#ifdef _WIN32
    GTEST_SKIP() << "makes a symbolic link, which Wine cannot";
#endif
    namespace fs = std::filesystem;
    const std::string d = Root() + "data/";
    fs::create_hard_link(d + "a.txt", d + "hard");
    fs::create_symlink(d + "a.txt", d + "soft");
    fs::copy_file(d + "a.txt", d + "copy");
    TkroFileScan scan;
    scan.SetFileSpec({d});
    scan.Attributes.Include(fsDirectory);
    for (const std::string& path : {d + "a.txt", d + "sub"})
        scan.ExcludeFiles.insert(*platform::QueryFileIdentity(path));
    Recorder rec;
    rec.Attach(scan);
    Lines unusable;
    scan.OnUnusableEntry = [&](TkroFileScan&, const std::string& folder, const DirEntry& e) {
        unusable.push_back(folder + e.name);
    };
    scan.Scan();
    // Every name of a.txt goes, the copy stays; sub/ is neither handed over nor walked.
    EXPECT_EQ(rec.Only('F'), (Lines{d + "copy", d + "data", d + "Readme"}));
    EXPECT_EQ(rec.Only('D'), (Lines{d + ".cache/", d + "empty/"}));
    EXPECT_EQ(rec.Only('W'), (Lines{d, d + "empty/"}));
    EXPECT_EQ(rec.Only('E'), Lines{"3 8"});
    EXPECT_TRUE(unusable.empty());

    TkroFileScan pattern;
    pattern.RecurseDirs = false;
    pattern.SetFileSpec({d + "*"});
    pattern.ExcludeFiles = scan.ExcludeFiles;
    Recorder found;
    found.Attach(pattern);
    pattern.Scan();
    EXPECT_EQ(found.Only('F'), (Lines{d + "copy", d + "data", d + "Readme"}));
}

} // namespace
} // namespace tolvane::archive
