// The line a writer's report is shown as: on hand-made reports, and on the
// reports of a real run over a folder with entries it cannot pack.
#include "app/ReportText.h"

#include "archive/formats/BhWriter.h"
#include "support/TempFolder.h"
#include "support/WriterHarness.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sys/stat.h>

namespace fs = std::filesystem;
using namespace tolvane;
using namespace tolvane::archive;
using namespace tolvane::test;

namespace {

TEST(ReportTextTest, FileWhatHappenedAndTheReason) {
    // As the writer makes them: the code's message is the report's text.
    struct Made {
        int code;
        std::string fileName, extendedMsg, volumeId;
        ReportGrade grade;
    };
    struct Case {
        Made report;
        const char* line;
    };
    const Case cases[] = {
        {{kErrNotRegularFile, "/d/lost", "a link to nothing", "/o.bh", ReportGrade::LeftOut},
         "/d/lost: left out \u2013 a link to nothing"},
        {{kErrOpeningFile, "/d/secret", "Permission denied", "/o.bh", ReportGrade::LeftOut},
         "/d/secret: left out \u2013 Permission denied"},
        {{kErrFileChanged, "/d/log", "the entry holds the 9 bytes read", "/o.bh",
          ReportGrade::Warning},
         "/d/log: File changed while it was read \u2013 the entry holds the 9 bytes read"},
        {{kErrDiskFull, "/o.bh", "No space left on device", "/o.bh", ReportGrade::Failed},
         "/o.bh: No space left on device"},
        {{kErrDiskFull, "/o.bh", "", "/o.bh", ReportGrade::Failed}, "/o.bh: Disk full"},
        // Without a file of its own the report names the run's archive.
        {{kErrInvalidDirectory, "", "/missing/", "/missing/o.bh", ReportGrade::Failed},
         "/missing/o.bh: Invalid directory \u2013 /missing/"},
        {{kErrUserCanceled, "", "", "/o.bh", ReportGrade::Cancelled}, "/o.bh: User canceled"},
        {{kErrPropertyNotAssigned, "", "ArchiveFile", "", ReportGrade::Failed},
         "Required property not assigned \u2013 ArchiveFile"},
        {{0, "/d/x", "", "/o.bh", ReportGrade::Failed}, "/d/x"},
    };
    for (const Case& c : cases) {
        const Made& m = c.report;
        EXPECT_EQ(app::ReportLine(
                      {m.code, ErrorText(m.code), m.fileName, m.extendedMsg, m.volumeId, m.grade}),
                  c.line);
    }
}

void Append(const std::string& path, size_t bytes) {
    std::ofstream(path, std::ios::app) << std::string(bytes, 'g');
}

TEST(ReportTextTest, AWritersReportsSayEachReasonOnce) {
    TempFolder scratch;
    const std::string src = scratch.MakeFolder("src");
    scratch.WriteFile("src/a.txt", "alpha");
    scratch.WriteFile("src/log", std::string(600000, 'b'));
    fs::create_symlink("gone", src + "/lost");
    ASSERT_EQ(mkfifo((src + "/pipe").c_str(), 0600), 0);
    TBhWriter writer;
    ConfigureLikeJob(writer, src, scratch / "out.bh");
    writer.SetTempDir(scratch.MakeFolder("tmp"));
    // The log grows while its entry is read: the entry keeps the size it began with.
    writer.CodingThreads = 1;
    writer.OnProgress = [&src, grown = false](TZipCommon&, uint8_t byFile, uint8_t) mutable {
        if (!grown && byFile > 0 && byFile < 100) {
            Append(src + "/log", 200000);
            grown = true;
        }
    };
    std::vector<std::string> lines;
    writer.OnReport = [&lines](TZipCommon&, const WriterReport& report) {
        lines.push_back(app::ReportLine(report));
    };
    ASSERT_GT(writer.Compress(), 0);
    std::sort(lines.begin(), lines.end());
    EXPECT_EQ(lines, (std::vector<std::string>{
                         src + "/log: File changed while it was read \u2013 the entry holds the "
                               "600000 bytes read",
                         src + "/lost: left out \u2013 a link to nothing",
                         src + "/pipe: left out \u2013 a named pipe",
                     }));
}

} // namespace
