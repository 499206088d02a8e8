// What the result box says: sizes, the ZIP's entries and protection, and the
// warnings of a job done with problems or failed.
#include "ui/ResultText.h"

#include <gtest/gtest.h>

using namespace tolvane;
using namespace tolvane::ui;

namespace {

app::JobResult Finished(app::JobResult::Outcome outcome, bool encrypted) {
    app::JobResult result;
    result.outcome = outcome;
    result.zipPath = "C:\\out\\Docs.zip";
    result.url = "http://dl.example.com/?ref=1";
    result.filesPacked = 3;
    result.bytesPacked = 3 * 1024 * 1024;
    result.zipEntries = {{"Docs.bh", 2048, 1900, encrypted},
                         {"Download the archiver.URL", 80, 92, encrypted}};
    return result;
}

TEST(SizeText, UnitsAndSeparators) {
    struct Case {
        uint64_t bytes;
        int language;
        const char* text;
    };
    const Case cases[] = {
        {0, 0, "0 B"},
        {1023, 0, "1023 B"},
        {1024, 0, "1 KiB"},
        {1536, 0, "1.5 KiB"},
        {1536, 3, "1,5 KiB"},
        {5u * 1024 * 1024 + 1024 * 256, 0, "5.25 MiB"},
        {3ull << 30, 4, "3 GiB"},
        {1023ull * 1024 * 1024 * 1024 * 1024 * 1024, 0, "1023 PiB"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(SizeText(c.bytes, c.language), c.text) << c.bytes;
}

TEST(ResultText, SaysWhatTheZipHolds) {
    const app::TranslationTable english;
    struct Case {
        app::JobResult::Outcome outcome;
        bool encrypted;
        int32_t leftOut;
        const char* has;
        const char* hasNot;
    };
    using Outcome = app::JobResult::Outcome;
    const Case cases[] = {
        {Outcome::Done, true, 0, "Protected with a password", "Not protected"},
        {Outcome::Done, false, 0, "Not protected", "warnings"},
        {Outcome::DoneWithProblems, false, 2, "2 files were left out of the archive.", "ready."},
        {Outcome::DoneWithProblems, false, 0, "Some files changed while they were packed.",
         "left out"},
    };
    for (const Case& c : cases) {
        app::JobResult result = Finished(c.outcome, c.encrypted);
        result.filesLeftOut = c.leftOut;
        const std::string text = ResultText(result, 4000, english, 0);
        SCOPED_TRACE(text);
        for (const char* part :
             {"C:\\out\\Docs.zip (3.91 KiB)", "Docs.bh (2 KiB)", "Download the archiver.URL (80 B)",
              "3 files, 3 MiB in all", "http://dl.example.com/?ref=1", c.has})
            EXPECT_NE(text.find(part), std::string::npos) << part;
        EXPECT_EQ(text.find(c.hasNot), std::string::npos) << c.hasNot;
    }
}

TEST(ResultText, FailureNamesTheMessageAndAtMostADozenReports) {
    app::JobResult result;
    result.outcome = app::JobResult::Outcome::Failed;
    result.message = "Could not write.\r\nThe disk is full.";
    for (int i = 0; i < 20; ++i) {
        app::JobReport entry;
        entry.writer = "BH";
        entry.report = platform::Failure("file" + std::to_string(i) + ".txt", "Permission denied");
        result.reports.push_back(entry);
    }
    const std::string text = FailureText(result);
    EXPECT_EQ(text.rfind("Could not write.\nThe disk is full.\n", 0), 0u) << text;
    EXPECT_NE(text.find("file11.txt"), std::string::npos) << text;
    EXPECT_EQ(text.find("file12.txt"), std::string::npos) << text;
    EXPECT_NE(text.find("\n..."), std::string::npos) << text;
    EXPECT_EQ(text.find('\r'), std::string::npos);
}

TEST(WithArgument, ReplacesEveryMarkerButNotTheArgumentsOwn) {
    EXPECT_EQ(WithArgument("%2 and %2", "%2", "x"), "x and x");
    EXPECT_EQ(WithArgument("%2!", "%2", "%2%2"), "%2%2!");
    EXPECT_EQ(WithArgument("none", "%2", "x"), "none");
}

} // namespace
