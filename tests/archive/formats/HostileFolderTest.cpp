// Folders that try the packer: entries that are no files, hidden names, names
// that are not UTF-8, files that change under the reader. Each is packed with
// the job's settings; its report is checked and the archive read back.
#include "archive/formats/BhWriter.h"

#include "support/TempFolder.h"
#include "support/WriterHarness.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace fs = std::filesystem;
using namespace tolvane;
using namespace tolvane::archive;
using namespace tolvane::test;

namespace {

struct HostileCase {
    const char* what;
    // Makes the hostile entry in the source folder `src`.
    std::function<void(const TempFolder& scratch, const std::string& src)> make;
    // Acts during the run (may be empty).
    std::function<void(TBhWriter& writer, const std::string& src)> during;
    int code;               // 0: no report
    const char* detail;     // part of the report's detail
    const char* extraEntry; // the entry besides "a.txt" that the archive holds, or ""
};

void MakeSocket(const std::string& path) {
    const int fd = socket(AF_UNIX, SOCK_STREAM, 0);
    ASSERT_GE(fd, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    ASSERT_LT(path.size(), sizeof address.sun_path);
    path.copy(address.sun_path, path.size());
    ASSERT_EQ(bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    close(fd);
}

void Append(const std::string& path, size_t bytes) {
    std::ofstream(path, std::ios::app) << std::string(bytes, 'g');
}

const std::string kBig(600000, 'b');

const HostileCase kCases[] = {
    {"a named pipe",
     [](const TempFolder&, const std::string& src) {
         ASSERT_EQ(mkfifo((src + "/p").c_str(), 0600), 0);
     },
     nullptr, kErrNotRegularFile, "a named pipe", ""},
    {"a socket", [](const TempFolder&, const std::string& src) { MakeSocket(src + "/s"); }, nullptr,
     kErrNotRegularFile, "a socket", ""},
    {"a link loop",
     [](const TempFolder&, const std::string& src) { fs::create_symlink("loop", src + "/loop"); },
     nullptr, kErrNotRegularFile, "a link that loops", ""},
    {"a link to a folder",
     [](const TempFolder& scratch, const std::string& src) {
         scratch.WriteFile("src/sub/f.txt", "f");
         fs::create_directory_symlink(src + "/sub", src + "/up");
     },
     nullptr, kErrNotRegularFile, "a link to a folder", "sub/f.txt"},
    {"a dangling link",
     [](const TempFolder&, const std::string& src) { fs::create_symlink("gone", src + "/d"); },
     nullptr, kErrNotRegularFile, "a link to nothing", ""},
    {"a dot-file",
     [](const TempFolder& scratch, const std::string&) { scratch.WriteFile("src/.htaccess", "h"); },
     nullptr, 0, "", ".htaccess"},
    {"a dot-folder",
     [](const TempFolder& scratch, const std::string&) {
         scratch.WriteFile("src/.well-known/x", "w");
     },
     nullptr, 0, "", ".well-known/x"},
    {"a name that is not UTF-8",
     [](const TempFolder& scratch, const std::string&) { scratch.WriteFile("src/caf\xe9", "c"); },
     nullptr, kErrNameNotUtf8, "stored as its own bytes", "caf\xe9"},
    {"a file that grows while it is read",
     [](const TempFolder& scratch, const std::string&) { scratch.WriteFile("src/log", kBig); },
     [](TBhWriter& writer, const std::string& src) {
         writer.CodingThreads = 1; // the growth must fall inside the entry's own reading
         writer.OnProgress = [src, grown = false](TZipCommon&, uint8_t byFile, uint8_t) mutable {
             if (!grown && byFile > 0 && byFile < 100) {
                 Append(src + "/log", 200000);
                 grown = true;
             }
         };
     },
     kErrFileChanged, "the entry holds the 600000 bytes read", "log"},
    {"a file removed before its entry",
     [](const TempFolder& scratch, const std::string&) { scratch.WriteFile("src/r", "r"); },
     [](TBhWriter& writer, const std::string& src) {
         writer.OnBegin = [src](TZipCommon&, const std::string& path, int32_t, bool&) {
             if (path == src + "/r")
                 fs::remove(path);
         };
     },
     kErrOpeningFile, "No such file or directory", ""},
};

class HostileFolderTest : public testing::TestWithParam<HostileCase> {};

TEST_P(HostileFolderTest, IsReportedAndTheArchiveHoldsTheRest) {
    const HostileCase& c = GetParam();
    TempFolder scratch;
    const std::string src = scratch.MakeFolder("src");
    scratch.WriteFile("src/a.txt", "alpha");
    c.make(scratch, src);
    TBhWriter writer;
    ConfigureLikeJob(writer, src, scratch / "out.bh");
    writer.SetTempDir(scratch.MakeFolder("tmp"));
    std::vector<Report> reports;
    CollectReports(writer, reports);
    if (c.during)
        c.during(writer, src);
    // A pipe must never be opened: the run would hang here.
    ASSERT_GT(writer.Compress(), 0);

    if (c.code == 0) {
        EXPECT_TRUE(reports.empty()) << reports[0].code << " " << reports[0].extendedMsg;
    } else {
        ASSERT_EQ(reports.size(), 1u);
        EXPECT_EQ(reports[0].code, c.code);
        EXPECT_NE(reports[0].extendedMsg.find(c.detail), std::string::npos)
            << reports[0].extendedMsg;
    }
    std::vector<std::string> names;
    for (const ReadEntry& entry : ReadBhArchive(scratch / "out.bh")) {
        names.push_back(entry.header.storedName);
        if (entry.header.storedName == "log") {
            EXPECT_EQ(entry.data.size(), kBig.size()) << "the size the entry began with";
        }
        if (entry.header.storedName == ".htaccess") {
            EXPECT_EQ(entry.header.attributes, 0x02) << "the hidden bit";
        }
    }
    std::vector<std::string> expected{"a.txt"};
    if (*c.extraEntry)
        expected.push_back(c.extraEntry);
    std::sort(names.begin(), names.end());
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(names, expected);
    EXPECT_EQ(CountTempFiles(scratch / "tmp"), 0u);
}

INSTANTIATE_TEST_SUITE_P(Entries, HostileFolderTest, testing::ValuesIn(kCases),
                         [](const testing::TestParamInfo<HostileCase>& info) {
                             std::string name = info.param.what;
                             for (char& ch : name)
                                 ch = std::isalnum(static_cast<unsigned char>(ch)) ? ch : '_';
                             return name;
                         });

} // namespace
