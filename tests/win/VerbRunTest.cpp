// The verb's steps from the save dialog to the result, on real folders and
// ZIPs, against a view that answers as a user would and records what it was
// shown. Its job runs on the same worker thread the progress window uses.
#include "win/VerbRun.h"
#include "win/JobThread.h"

#include "support/Peers.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

namespace fs = std::filesystem;
using namespace tolvane;
using namespace tolvane::win;
using namespace tolvane::test;

namespace {

class FakeView : public VerbView {
public:
    std::optional<std::string> savePath;
    ReplaceAnswer answer = ReplaceAnswer::Add;
    bool abortAtStart = false;

    std::vector<SaveRequest> saveRequests;
    std::vector<ReplaceQuestion> questions;
    std::vector<ProgressTexts> progressShown;
    std::vector<Message> messages;
    int progressCalls = 0;

    std::optional<std::string> ChooseSavePath(const SaveRequest& request) override {
        saveRequests.push_back(request);
        return savePath;
    }
    ReplaceAnswer AskReplaceOrAdd(const ReplaceQuestion& question) override {
        questions.push_back(question);
        return answer;
    }
    app::JobResult RunJob(const ProgressTexts& texts, const JobBody& job) override {
        progressShown.push_back(texts);
        JobThread thread;
        if (abortAtStart)
            thread.RequestStop();
        thread.Start(
            job, [this] { ++progressCalls; }, nullptr);
        return thread.Take();
    }
    void ShowMessage(const Message& message) override { messages.push_back(message); }
    // Marked, so that a test sees which paths are shown in the view's form.
    std::string ShownPath(const std::string& path) const override { return "<" + path + ">"; }
};

class VerbRunTest : public ::testing::Test {
protected:
    void SetUp() override {
        scratch_.WriteFile("Docs/readme.txt", std::string(3000, 'r'));
        scratch_.WriteFile("Docs/sub/data.csv", "a,b\n1,2\n");
        folder_ = scratch_ / "Docs";
        started_.state.TempFolder = scratch_.MakeFolder("work") + "/";
        started_.state.ShortcutNames = {"Download the archiver.URL"};
        started_.state.PartnerID = "archiver5";
        started_.state.SoftwareID = "ARCHIVERx";
        vendor_.archiverHost = "dl.example.com";
        zip_ = scratch_.MakeFolder("out") + "/Docs.zip";
    }

    VerbExit Run(const std::string& argument) {
        VerbRun run(started_, vendor_, view_);
        run.RememberFolder = [this](const std::string& folder) { remembered_.push_back(folder); };
        return run.Run(argument);
    }

    // Python's zipfile reads and writes the ZIPs the job meets; the Windows
    // build's tests run where there is none.
    static bool HavePython() { return HavePeer("python3"); }

    // The ZIP's names as Python's zipfile lists them.
    std::string ZipNames() {
        const std::string into = scratch_ / ("x" + std::to_string(++extractions_));
        const PeerResult listed = ExtractWithZipfile(zip_, into, "");
        EXPECT_EQ(listed.status, 0) << listed.output;
        return listed.output;
    }

    TempFolder scratch_;
    app::StartUpResult started_;
    app::VendorConfig vendor_;
    FakeView view_;
    std::string folder_;
    std::string zip_;
    std::vector<std::string> remembered_;
    int extractions_ = 0;
};

TEST_F(VerbRunTest, CancelledSaveDialogRunsNoJob) {
    view_.savePath.reset();
    EXPECT_EQ(Run(folder_ + "/"), VerbExit::Done);
    ASSERT_EQ(view_.saveRequests.size(), 1u);
    const SaveRequest& request = view_.saveRequests.front();
    EXPECT_EQ(request.title, "Save Monetized Archive As...");
    EXPECT_EQ(request.fileName, "Docs.zip");
    EXPECT_EQ(request.folder, scratch_.Path());
    EXPECT_EQ(request.filterMask, "*.zip");
    EXPECT_TRUE(view_.progressShown.empty());
    EXPECT_TRUE(view_.messages.empty());
    EXPECT_TRUE(remembered_.empty());
    EXPECT_FALSE(fs::exists(zip_));
}

TEST_F(VerbRunTest, FinishedJobShowsTheZipAndItsEntries) {
    view_.savePath = zip_;
    EXPECT_EQ(Run(folder_), VerbExit::Done);
    ASSERT_EQ(view_.progressShown.size(), 1u);
    EXPECT_EQ(view_.progressShown.front().abort, "Abort");
    EXPECT_GT(view_.progressCalls, 0);
    ASSERT_EQ(view_.messages.size(), 1u);
    const Message& shown = view_.messages.front();
    EXPECT_EQ(shown.kind, Message::Kind::Information);
    EXPECT_NE(shown.text.find("<" + zip_ + ">"), std::string::npos) << shown.text;
    EXPECT_NE(shown.text.find("Docs.bh"), std::string::npos) << shown.text;
    EXPECT_NE(shown.text.find("Download the archiver.URL"), std::string::npos) << shown.text;
    EXPECT_NE(shown.text.find("2 files"), std::string::npos) << shown.text;
    if (HavePython()) {
        const std::string names = ZipNames();
        EXPECT_NE(names.find("Docs.bh"), std::string::npos) << names;
    }
    EXPECT_EQ(remembered_, std::vector<std::string>{folder_});
    EXPECT_TRUE(started_.state.ArchivePassword.empty());
    EXPECT_TRUE(fs::is_empty(started_.state.TempFolder));
}

// The ways a job fails, each said in an error box and none of them
// remembered as the folder to open next.
TEST_F(VerbRunTest, FailuresEndInAnErrorBox) {
    struct Case {
        const char* name;
        std::function<void()> arrange;
        std::string argument;
        size_t progressShown;
        const char* said; // in the last box
    };
    const Case cases[] = {
        {"not a folder", [] {}, "missing", 0, "missing is not a folder."},
        {"folder of the ZIP missing", [this] { view_.savePath = scratch_ / "gone/Docs.zip"; }, "",
         0, "cannot write"},
        {"settings unreadable",
         [this] {
             view_.savePath = zip_;
             started_.settingsProblem = "settings.ini: line 3";
         },
         "", 1, "settings.ini: line 3"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        view_ = FakeView();
        started_.settingsProblem.clear();
        remembered_.clear();
        c.arrange();
        const std::string argument = c.argument.empty() ? folder_ : scratch_ / c.argument;
        EXPECT_EQ(Run(argument), VerbExit::Failed);
        EXPECT_EQ(view_.progressShown.size(), c.progressShown);
        ASSERT_FALSE(view_.messages.empty());
        EXPECT_EQ(view_.messages.back().kind, Message::Kind::Error);
        EXPECT_NE(view_.messages.back().text.find(c.said), std::string::npos)
            << view_.messages.back().text;
        EXPECT_TRUE(remembered_.empty());
        EXPECT_FALSE(fs::exists(zip_));
    }
}

TEST_F(VerbRunTest, AbortLeavesTheExistingZipAsItWas) {
    view_.savePath = zip_;
    ASSERT_EQ(Run(folder_), VerbExit::Done);
    const std::vector<uint8_t> before = ReadFileBytes(zip_);
    scratch_.WriteFile("Docs/new.txt", "a file the second job would add");
    view_ = FakeView();
    view_.savePath = zip_;
    view_.abortAtStart = true;
    remembered_.clear();
    EXPECT_EQ(Run(folder_), VerbExit::Aborted);
    EXPECT_EQ(ReadFileBytes(zip_), before);
    EXPECT_EQ(view_.progressShown.size(), 1u);
    EXPECT_TRUE(view_.messages.empty()); // a stop is no failure
    EXPECT_TRUE(remembered_.empty());
    EXPECT_TRUE(fs::is_empty(started_.state.TempFolder));
}

// A ZIP with entries of its own asks first; the answer decides what it keeps.
TEST_F(VerbRunTest, ReplaceOrAddIsAskedForAZipWithOtherEntries) {
    if (!HavePython())
        GTEST_SKIP() << "needs python3 for the ZIP with other entries";
    struct Case {
        ReplaceAnswer answer;
        VerbExit exit;
        bool keepsOther;
        bool hasJobEntries;
    };
    const Case cases[] = {
        {ReplaceAnswer::Add, VerbExit::Done, true, true},
        {ReplaceAnswer::Replace, VerbExit::Done, false, true},
        {ReplaceAnswer::Cancel, VerbExit::Done, true, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.answer));
        ASSERT_EQ(WriteWithZipfile(zip_, {"other.txt", "more.txt"}).status, 0);
        const std::vector<uint8_t> before = ReadFileBytes(zip_);
        view_ = FakeView();
        view_.savePath = zip_;
        view_.answer = c.answer;
        EXPECT_EQ(Run(folder_), c.exit);
        ASSERT_EQ(view_.questions.size(), 1u);
        const ReplaceQuestion& asked = view_.questions.front();
        EXPECT_EQ(asked.text, "Docs.zip already holds 2 other entries. Replace the archive, or "
                              "add to it?");
        EXPECT_EQ(asked.otherEntries, (std::vector<std::string>{"other.txt", "more.txt"}));
        const std::string names = ZipNames();
        EXPECT_EQ(names.find("other.txt") != std::string::npos, c.keepsOther) << names;
        EXPECT_EQ(names.find("Docs.bh") != std::string::npos, c.hasJobEntries) << names;
        if (c.answer == ReplaceAnswer::Cancel) {
            EXPECT_EQ(ReadFileBytes(zip_), before);
            EXPECT_TRUE(view_.progressShown.empty());
        }
    }
}

TEST_F(VerbRunTest, TextsFollowTheInterfaceLanguage) {
    if (!HavePython())
        GTEST_SKIP() << "needs python3 for the ZIP with other entries";
    std::ostringstream warnings;
    started_.texts = app::TranslationTable::Load(TOLVANE_TRANSL_DAT, 5, warnings);
    ASSERT_TRUE(warnings.str().empty()) << warnings.str();
    started_.state.UILanguage = 3; // German
    ASSERT_EQ(WriteWithZipfile(zip_, {"other.txt"}).status, 0);
    view_.savePath = zip_;
    view_.answer = ReplaceAnswer::Add;
    EXPECT_EQ(Run(folder_), VerbExit::Done);
    ASSERT_EQ(view_.saveRequests.size(), 1u);
    const std::string english[] = {view_.saveRequests[0].title,  view_.questions.at(0).text,
                                   view_.questions[0].replace,   view_.progressShown.at(0).caption,
                                   view_.progressShown[0].abort, view_.messages.at(0).text};
    for (const std::string& text : english) {
        for (const char* key : {"Save Monetized", "already holds", "Replace", "Progr", "Abort",
                                "The archive is ready"})
            EXPECT_EQ(text.find(key), std::string::npos) << text;
    }
    EXPECT_NE(view_.questions[0].text.find("Docs.zip"), std::string::npos);
}

} // namespace
