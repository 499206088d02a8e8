// The main window's logic against a view that answers as a user would and
// records what it was asked: the start-up's ways to go on or end, a job
// from the save dialog to its report and closing steps (real folders and
// ZIPs), Replace/Add, close during a job, and the password prompts.
#include "ui/TolvaneFormLogic.h"

#include "support/TempFolder.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <deque>
#include <filesystem>

namespace fs = std::filesystem;
using namespace tolvane;
using namespace tolvane::ui;
using namespace tolvane::test;
using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::IsSupersetOf;
using ::testing::Not;

namespace {

const char* Name(MainControl control) {
    switch (control) {
    case MainControl::btnOK:
        return "btnOK";
    case MainControl::btnPassword:
        return "btnPassword";
    case MainControl::ShellTreeView1:
        return "ShellTreeView1";
    case MainControl::StaticText2:
        return "StaticText2";
    case MainControl::Monetize1:
        return "Monetize1";
    default:
        return "other";
    }
}

class FakeView : public TolvaneFormView {
public:
    // The answers, in the order they are asked.
    bool updateCheckGoesOn = true;
    int32_t signUpTag = 1;
    std::optional<std::string> savePath;
    ReplaceAnswer replaceAnswer = ReplaceAnswer::Add;
    std::deque<std::optional<std::string>> passwords;

    // What the logic did, one line per call that matters here.
    std::vector<std::string> log;
    std::vector<SaveRequest> saveRequests;
    std::vector<ReplaceQuestion> questions;
    std::vector<Message> messages;
    std::vector<app::JobResult> failures;
    std::map<MainControl, std::string> captions;
    std::map<MainControl, bool> enabled;
    std::optional<JobBody> job;

    void SetCaption(MainControl control, const std::string& caption) override {
        captions[control] = caption;
    }
    void SetEnabled(MainControl control, bool on) override { enabled[control] = on; }
    void SetVisible(MainControl control, bool visible) override {
        log.push_back(std::string("visible ") + Name(control) + "=" + (visible ? "1" : "0"));
    }
    void ShowSelectedFolder(const std::string&, const std::string& line) override {
        log.push_back("folder " + line);
    }
    void ShowPasswordState(bool set, const std::string& caption, const std::string&) override {
        log.push_back("password " + caption + (set ? " (lock)" : ""));
    }
    std::optional<std::string> ChooseSavePath(const SaveRequest& request) override {
        saveRequests.push_back(request);
        log.push_back("save dialog");
        return savePath;
    }
    ReplaceAnswer AskReplaceOrAdd(const ReplaceQuestion& question) override {
        questions.push_back(question);
        return replaceAnswer;
    }
    std::optional<std::string> AskPassword(const PasswordPrompt& prompt) override {
        log.push_back("ask " + prompt.caption);
        std::optional<std::string> answer;
        if (!passwords.empty()) {
            answer = passwords.front();
            passwords.pop_front();
        }
        return answer;
    }
    void ShowMessage(const Message& message) override {
        messages.push_back(message);
        log.push_back("message " + message.text);
    }
    void StartJob(const ProgressTexts& texts, JobBody body) override {
        log.push_back("progress " + texts.caption);
        job = std::move(body);
    }
    void StopJob() override { log.push_back("stop"); }
    void HideProgress() override { log.push_back("progress hidden"); }
    void ShowResult(const app::JobResult& result) override {
        log.push_back("result " + result.zipPath);
    }
    void ShowFailure(const app::JobResult& result) override {
        failures.push_back(result);
        log.push_back("failure " + result.message);
    }
    void JobEnded() override { log.push_back("job ended"); }
    bool RunUpdateCheck() override {
        log.push_back("update check");
        return updateCheckGoesOn;
    }
    int32_t ShowSignUp(SignUpPage page) override {
        log.push_back(page == SignUpPage::SignUp ? "sign-up page" : "IDs page");
        return signUpTag;
    }
    void FillIds(const std::string& partnerId, const std::string& softwareId) override {
        log.push_back("ids " + partnerId + "/" + softwareId);
    }
    void ShowWindow() override { log.push_back("window"); }
    void EndProgram() override { log.push_back("end"); }
};

class TolvaneFormLogicTest : public ::testing::Test {
protected:
    TolvaneFormLogicTest() {
        scratch_.WriteFile("Docs/readme.txt", std::string(3000, 'r'));
        scratch_.WriteFile("Other/other.txt", "other");
        started_.state.TempFolder = scratch_.MakeFolder("work") + "/";
        started_.state.ShortcutNames = {"Download the archiver.URL"};
        started_.state.SignedUp = true;
        started_.state.PartnerID = "archiver5";
        started_.state.SoftwareID = "ARCHIVERx";
        vendor_.archiverHost = "dl.example.com";
        zip_ = scratch_.MakeFolder("out") + "/Docs.zip";
    }

    TolvaneFormLogic& Logic(std::vector<std::string> arguments = {}) {
        logic_ = std::make_unique<TolvaneFormLogic>(started_, vendor_, view_, std::move(arguments));
        logic_->RememberFolder = [this](const std::string& folder) {
            remembered_.push_back(folder);
        };
        return *logic_;
    }
    // Runs the job the view was handed, as its worker would, and hands the
    // result back.
    app::JobResult FinishJob(bool stopRequested = false) {
        EXPECT_TRUE(view_.job.has_value());
        platform::CancelToken cancel;
        if (stopRequested)
            cancel.Request();
        const app::JobResult result = (*view_.job)(cancel, [](const app::JobProgress&) {});
        view_.job.reset();
        logic_->JobFinished(result);
        return result;
    }
    // One whole job on `folder` into `zip`.
    void Monetize(const std::string& folder, const std::string& zip) {
        logic_->SelectFolder(folder);
        view_.savePath = zip;
        logic_->btnOKClick();
        FinishJob();
    }

    TempFolder scratch_;
    app::StartUpResult started_;
    app::VendorConfig vendor_;
    FakeView view_;
    std::unique_ptr<TolvaneFormLogic> logic_;
    std::string zip_;
    std::vector<std::string> remembered_;
};

// What the start shows, asks and ends on, from the stored state and the
// program's arguments.
TEST_F(TolvaneFormLogicTest, TheStartUpGoesOnOrEndsAsTheStateAndArgumentsSay) {
    struct Case {
        const char* name;
        bool signedUp;
        const char* softwareId;
        int32_t signUpTag;
        bool updateGoesOn;
        const char* argument; // "" none, "Docs" the folder, "file" a file
        std::vector<std::string> log;
    };
    const Case cases[] = {
        {"first start",
         false,
         "ARCHIVERx",
         1,
         true,
         "",
         {"update check", "sign-up page", "window"}},
        {"first start left", false, "", 0, true, "", {"update check", "sign-up page", "end"}},
        {"no software ID", true, "", 1, true, "", {"update check", "IDs page", "window"}},
        {"both IDs", true, "ARCHIVERx", 0, true, "", {"update check", "window"}},
        {"installer started", false, "", 1, false, "", {"update check", "end"}},
        {"folder, never signed up",
         false,
         "",
         0,
         true,
         "Docs",
         {"update check", "save dialog", "end"}},
        {"no folder",
         true,
         "ARCHIVERx",
         1,
         true,
         "file",
         {"update check", "message ~/file is not a folder.", "end"}},
    };
    scratch_.WriteFile("file", "x");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        started_.state.SignedUp = c.signedUp;
        started_.state.SoftwareID = c.softwareId;
        view_ = FakeView();
        view_.signUpTag = c.signUpTag;
        view_.updateCheckGoesOn = c.updateGoesOn;
        std::vector<std::string> arguments;
        if (*c.argument)
            arguments.push_back(scratch_ / c.argument);
        Logic(arguments).FormShow();
        std::vector<std::string> seen;
        for (std::string line : view_.log) {
            if (line.rfind("password", 0) == 0)
                continue; // the captions' own
            if (const size_t at = line.find(scratch_.Path()); at != std::string::npos)
                line.replace(at, scratch_.Path().size(), "~");
            seen.push_back(line);
        }
        EXPECT_EQ(seen, c.log);
        logic_->FormShow(); // once only
        EXPECT_EQ(std::count(view_.log.begin(), view_.log.end(), "update check"), 1);
    }
}

TEST_F(TolvaneFormLogicTest, SettingsThatCannotBeReadAreSaidWithWhomToAsk) {
    vendor_.supportEmail = "help@example.com";
    Logic().FormCreate();
    EXPECT_TRUE(view_.messages.empty());
    started_.settingsProblem = "signedup: wrong type";
    Logic().FormCreate();
    ASSERT_EQ(view_.messages.size(), 1u);
    EXPECT_EQ(view_.messages[0].kind, Message::Kind::Warning);
    EXPECT_EQ(view_.messages[0].text,
              "Could not read data from Registry.\r\nPlease contact us at help@example.com");
}

TEST_F(TolvaneFormLogicTest, AJobRunsWithTheControlsOffAndEndsInItsClosingStepsAndResult) {
    TolvaneFormLogic& logic = Logic();
    started_.state.ArchivePassword = "secret";
    logic.SelectFolder(scratch_ / "Docs");
    EXPECT_TRUE(view_.enabled[MainControl::btnOK]);
    view_.savePath = zip_;
    logic.btnOKClick();
    ASSERT_EQ(view_.saveRequests.size(), 1u);
    EXPECT_EQ(view_.saveRequests[0].folder, scratch_.Path());
    EXPECT_EQ(view_.saveRequests[0].fileName, "Docs.zip");
    EXPECT_TRUE(logic.JobRunning());
    for (MainControl control : {MainControl::btnOK, MainControl::btnPassword,
                                MainControl::ShellTreeView1, MainControl::Monetize1})
        EXPECT_FALSE(view_.enabled[control]) << Name(control);
    // A folder clicked meanwhile is not the job's.
    logic.SelectFolder(scratch_ / "Other");
    logic.btnOKClick(); // one job at a time
    EXPECT_EQ(view_.saveRequests.size(), 1u);

    const app::JobResult result = FinishJob();
    EXPECT_EQ(result.outcome, app::JobResult::Outcome::Done);
    EXPECT_FALSE(logic.JobRunning());
    EXPECT_TRUE(fs::exists(zip_));
    EXPECT_THAT(view_.log, IsSupersetOf(std::vector<std::string>{
                               "progress hidden", "password Password...", "visible StaticText2=1",
                               "result " + zip_, "job ended"}));
    EXPECT_THAT(view_.log, Not(Contains("end")));
    EXPECT_TRUE(started_.state.ArchivePassword.empty());
    EXPECT_TRUE(view_.enabled[MainControl::btnOK]);
    EXPECT_EQ(remembered_, std::vector<std::string>{scratch_ / "Docs"});
    EXPECT_TRUE(fs::is_empty(started_.state.TempFolder));
}

TEST_F(TolvaneFormLogicTest, NothingRunsWhenTheUserStopsBeforeTheJobAndThePasswordStays) {
    TolvaneFormLogic& logic = Logic();
    started_.state.ArchivePassword = "secret";
    logic.btnOKClick(); // no folder yet: the closing steps alone
    EXPECT_TRUE(view_.saveRequests.empty());
    EXPECT_THAT(view_.log, Contains("progress hidden"));
    EXPECT_TRUE(started_.state.ArchivePassword.empty());

    started_.state.ArchivePassword = "secret";
    logic.SelectFolder(scratch_ / "Docs");
    view_.savePath.reset();
    logic.btnOKClick(); // the dialog cancelled
    // The ZIP's folder cannot take it.
    view_.savePath = scratch_.WriteFile("plain", "x") + "/Docs.zip";
    logic.btnOKClick();
    EXPECT_EQ(view_.saveRequests.size(), 2u);
    ASSERT_EQ(view_.messages.size(), 1u);
    EXPECT_EQ(view_.messages[0].kind, Message::Kind::Error);
    EXPECT_FALSE(view_.job.has_value());
    EXPECT_FALSE(logic.JobRunning());
    EXPECT_EQ(started_.state.ArchivePassword, "secret");
}

TEST_F(TolvaneFormLogicTest, AZipWithOtherEntriesIsReplacedAddedToOrLeftAsTheUserSays) {
    TolvaneFormLogic& logic = Logic();
    // The BH archive is named after the ZIP: Other.zip under Docs.zip's name
    // holds an entry the Docs job would not write.
    Monetize(scratch_ / "Other", scratch_ / "out/Other.zip");
    fs::rename(scratch_ / "out/Other.zip", zip_);
    view_.savePath = zip_;
    for (ReplaceAnswer answer :
         {ReplaceAnswer::Cancel, ReplaceAnswer::Add, ReplaceAnswer::Replace}) {
        view_.replaceAnswer = answer;
        view_.questions.clear();
        logic.SelectFolder(scratch_ / "Docs");
        logic.btnOKClick();
        ASSERT_EQ(view_.questions.size(), 1u);
        EXPECT_EQ(view_.questions[0].text,
                  "Docs.zip already holds 1 other entry. Replace the archive, or add to it?");
        EXPECT_EQ(view_.job.has_value(), answer != ReplaceAnswer::Cancel);
        if (view_.job)
            FinishJob();
    }
    // Replaced at last: the other folder's archive is gone, so no question.
    view_.questions.clear();
    logic.btnOKClick();
    EXPECT_TRUE(view_.questions.empty());
    FinishJob();
}

TEST_F(TolvaneFormLogicTest, FailedAndStoppedJobsAreReportedAsSuch) {
    TolvaneFormLogic& logic = Logic();
    logic.RunJobBody = [](const app::JobInput&, const std::string&,
                          const platform::CancelToken& cancel,
                          const std::function<void(const app::JobProgress&)>&) {
        app::JobResult result;
        result.outcome = cancel.Requested() ? app::JobResult::Outcome::Cancelled
                                            : app::JobResult::Outcome::Failed;
        result.message = "The archive could not be written.";
        app::JobReport report;
        report.report.fileName = "a.txt";
        report.report.extendedMsg = "cannot read it";
        result.reports = {report, report};
        return result;
    };
    logic.SelectFolder(scratch_ / "Docs");
    view_.savePath = zip_;
    logic.btnOKClick();
    FinishJob();
    ASSERT_EQ(view_.failures.size(), 1u);
    EXPECT_EQ(view_.failures[0].message, "The archive could not be written.");
    EXPECT_EQ(view_.failures[0].reports.size(), 2u);
    EXPECT_TRUE(view_.messages.empty());
    EXPECT_TRUE(remembered_.empty());

    logic.btnOKClick();
    FinishJob(/*stopRequested=*/true);
    EXPECT_EQ(view_.failures.size(), 1u) << "a stop is no failure";
    EXPECT_THAT(view_.log, Not(Contains(::testing::StartsWith("result"))));
}

TEST_F(TolvaneFormLogicTest, ClosingDuringAJobStopsItAndTheWindowClosesOnceItEnded) {
    TolvaneFormLogic& logic = Logic();
    EXPECT_TRUE(logic.CloseQuery());
    logic.SelectFolder(scratch_ / "Docs");
    view_.savePath = zip_;
    logic.btnOKClick();
    EXPECT_FALSE(logic.CloseQuery());
    EXPECT_THAT(view_.log, Contains("stop"));
    EXPECT_THAT(view_.log, Not(Contains("end")));
    FinishJob(/*stopRequested=*/true);
    EXPECT_EQ(view_.log.back(), "end");
    EXPECT_FALSE(fs::exists(zip_));
}

TEST_F(TolvaneFormLogicTest, ThePasswordIsSetOnlyWhenBothPromptsAgree) {
    struct Case {
        const char* name;
        std::vector<std::optional<std::string>> answers;
        const char* password;
        size_t prompts;
        bool mismatch;
    };
    const Case cases[] = {
        {"agreed", {"pw", "pw"}, "pw", 2, false},
        {"empty asks again", {"", "pw", "", "pw"}, "pw", 4, false},
        {"first cancelled", {std::nullopt}, "", 1, false},
        {"second cancelled", {"pw", std::nullopt}, "", 2, false},
        {"different", {"pw", "wp"}, "", 2, true},
    };
    TolvaneFormLogic& logic = Logic();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        started_.state.ArchivePassword = "old";
        view_.log.clear();
        view_.messages.clear();
        view_.passwords.assign(c.answers.begin(), c.answers.end());
        logic.btnPasswordClick();
        EXPECT_EQ(started_.state.ArchivePassword, c.password);
        EXPECT_EQ(std::count_if(view_.log.begin(), view_.log.end(),
                                [](const std::string& line) { return line.rfind("ask", 0) == 0; }),
                  static_cast<long>(c.prompts));
        EXPECT_EQ(view_.messages.size(), c.mismatch ? 1u : 0u);
        EXPECT_EQ(view_.log.back(),
                  *c.password ? "password PROTECTED (lock)" : "password Password...");
    }
}

TEST_F(TolvaneFormLogicTest, ConfigureFillsTheIdsAndOpensTheIdsPage) {
    Logic().BitBtn1Click();
    EXPECT_THAT(view_.log, ElementsAre("ids archiver5/ARCHIVERx", "IDs page"));
}

} // namespace
