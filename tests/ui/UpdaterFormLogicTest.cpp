// The update window's logic against a view that records what it was asked
// and runs the check where the test says, with the update page, the
// download and the installer's start played by the test: what each offer
// and answer leads to (asked or not, downloaded or not, the window, the
// bar, the failure in the window, the program's end), Abort while the
// question is open and during the download, a second check meanwhile, the
// bar's steps and its scale beyond 2 GiB, and the texts in German.
#include "ui/UpdaterFormLogic.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <optional>
#include <sstream>

using namespace tolvane;
using namespace tolvane::ui;
using C = UpdaterControl;

namespace {

// Runs the check on the test's thread: posted calls at once, questions at
// once (false once stopped), as the window's thread would see them in order.
class FakeView : public UpdaterFormView, public UpdateCheckWorker {
public:
    std::string title;
    std::map<C, std::string> captions;
    std::map<C, bool> enabled;
    std::vector<std::pair<int, int>> bar; // position, maximum
    bool shown = false;
    bool everShown = false;
    std::vector<Message> questions;
    bool answer = false;
    std::function<void()> whileAsked; // runs while the question is on screen
    std::optional<UpdateCheckBody> body;
    int starts = 0;
    int stops = 0;
    int ended = 0;

    void SetTitle(const std::string& text) override { title = text; }
    void SetCaption(C control, const std::string& caption) override { captions[control] = caption; }
    void SetEnabled(C control, bool on) override { enabled[control] = on; }
    void SetProgress(int position, int maximum) override { bar.emplace_back(position, maximum); }
    void ShowWindow(bool on) override {
        shown = on;
        everShown = everShown || on;
    }
    bool AskYesNo(const Message& question) override {
        questions.push_back(question);
        if (whileAsked)
            whileAsked();
        return answer;
    }
    void StartCheck(UpdateCheckBody job) override {
        ++starts;
        body = std::move(job);
        token_.emplace();
    }
    void StopCheck() override {
        ++stops;
        token_->Request();
    }
    void CheckEnded() override { ++ended; }

    const platform::CancelToken& Token() const override { return *token_; }
    void Post(std::function<void()> call) override { call(); }
    bool Ask(std::function<bool()> question) override {
        return !token_->Requested() && question() && !token_->Requested();
    }

    void Reset() {
        title.clear();
        captions.clear();
        enabled.clear();
        bar.clear();
        shown = everShown = answer = false;
        questions.clear();
        starts = stops = ended = 0;
    }

    // The worker's run, then its result handed to the logic.
    void Finish(UpdaterFormLogic& logic) {
        ASSERT_TRUE(body.has_value());
        const UpdateCheckResult result = (*body)(*this);
        body.reset();
        logic.CheckFinished(result);
    }

private:
    std::optional<platform::CancelToken> token_;
};

enum class Page { Fails, SameVersion, Newer };
enum class Transfer { Completes, Fails, Aborted };

constexpr const char* kPath = "/tmp/updates/setup.bin";
constexpr int64_t kInstallerSize = 10000;

class UpdaterFormLogicTest : public ::testing::Test {
protected:
    UpdaterFormLogicTest()
        : table_(app::TranslationTable::Load(
              std::string(std::getenv("TOLVANE_SOURCE_DIR")) + "/data/transl.dat", 5, warnings_)) {
        vendor_.updateHost = "update.tolvane.example";
    }

    UpdaterFormLogic& Logic(Page page, Transfer transfer, bool launches = true, int language = 0) {
        logic_ = std::make_unique<UpdaterFormLogic>(table_, language, vendor_, view_);
        logic_->ProgressInterval = std::chrono::milliseconds(0);
        logic_->FetchOffer =
            [this, page](const update::TWebUpdate& check,
                         const platform::CancelToken&) -> platform::Expected<update::Offer> {
            pageAddress_ = check.ProductInfo.URL();
            if (page == Page::Fails)
                return platform::Unexpected{platform::Failure("", "the page is empty")};
            update::Offer offer;
            offer.newer = page == Page::Newer;
            offer.installedVersion = check.ProductInfo.Version;
            offer.values.Version = "1.1";
            offer.values.RunParameters = "/S";
            offer.clientPath = kPath;
            offer.request = check;
            return offer;
        };
        logic_->Download =
            [this, transfer](
                const update::Offer& offer, const platform::CancelToken& cancel,
                const update::DownloadProgress& progress) -> platform::Expected<std::string> {
            ++downloads_;
            progress.begins(offer.clientPath);
            barWhenBegun_ = view_.bar;
            shownWhileDownloading_ = view_.shown;
            for (int64_t received = 1025;; received += 1025) {
                received = std::min(received, kInstallerSize);
                if (transfer == Transfer::Aborted && received > kInstallerSize / 2)
                    logic_->CancelBtnClick(); // as the window's Abort
                if (cancel.Requested())
                    return platform::Unexpected{platform::Cancellation()};
                if (transfer == Transfer::Fails && received > 3000)
                    return platform::Unexpected{platform::Failure(
                        "/files/setup.bin",
                        "received 3075 of the 10000 bytes of its Content-Length")};
                progress.received(kInstallerSize, received);
                if (received == kInstallerSize)
                    return offer.clientPath;
            }
        };
        logic_->Launch = [this,
                          launches](const std::string& path,
                                    const std::string& parameters) -> platform::Expected<void> {
            launched_.push_back(path + " " + parameters);
            if (!launches)
                return platform::Unexpected{platform::Failure(path, "cannot run xdg-open")};
            return {};
        };
        return *logic_;
    }

    std::ostringstream warnings_;
    app::TranslationTable table_;
    app::VendorConfig vendor_;
    FakeView view_;
    std::unique_ptr<UpdaterFormLogic> logic_;
    std::string pageAddress_;
    int downloads_ = 0;
    std::vector<std::pair<int, int>> barWhenBegun_;
    bool shownWhileDownloading_ = false;
    std::vector<std::string> launched_;
};

TEST_F(UpdaterFormLogicTest, WhatEachOfferAnswerAndDownloadLeadTo) {
    struct Case {
        const char* name;
        Page page;
        bool yes;
        Transfer transfer;
        bool launches;
        bool asked;
        bool downloaded;
        bool launched;
        const char* info; // lblInfo once the check is over; nullptr: the window is hidden
        bool endedAtOnce; // else only once the window is closed
        bool goesOn;
    };
    const std::string launchFailure =
        "The downloaded installer could not be opened: " + std::string(kPath) +
        ": cannot run xdg-open. The file has been kept.";
    const Case cases[] = {
        {"page fails", Page::Fails, true, Transfer::Completes, true, false, false, false, nullptr,
         true, true},
        {"same version", Page::SameVersion, true, Transfer::Completes, true, false, false, false,
         nullptr, true, true},
        {"newer, No", Page::Newer, false, Transfer::Completes, true, true, false, false, nullptr,
         true, true},
        {"newer, Yes", Page::Newer, true, Transfer::Completes, true, true, true, true, nullptr,
         true, false},
        {"download fails", Page::Newer, true, Transfer::Fails, true, true, true, false,
         "The download failed: /files/setup.bin: received 3075 of the 10000 bytes of its "
         "Content-Length",
         false, true},
        {"aborted", Page::Newer, true, Transfer::Aborted, true, true, true, false, nullptr, true,
         true},
        {"launch fails", Page::Newer, true, Transfer::Completes, false, true, true, true,
         launchFailure.c_str(), false, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        view_.Reset();
        downloads_ = 0;
        launched_.clear();
        shownWhileDownloading_ = false;
        UpdaterFormLogic& logic = Logic(c.page, c.transfer, c.launches);
        view_.answer = c.yes;
        ASSERT_TRUE(logic.RunCheck());
        EXPECT_TRUE(logic.Checking());
        view_.Finish(logic);
        EXPECT_FALSE(logic.Checking());
        EXPECT_EQ(pageAddress_, "http://update.tolvane.example/update.html");
        EXPECT_EQ(view_.questions.size(), c.asked ? 1u : 0u);
        EXPECT_EQ(downloads_, c.downloaded ? 1 : 0);
        EXPECT_EQ(launched_.size(), c.launched ? 1u : 0u);
        if (c.launched) {
            EXPECT_EQ(launched_.front(), std::string(kPath) + " /S");
        }
        // The window appears for the download only, and stays for a failure.
        EXPECT_EQ(view_.everShown, c.downloaded);
        EXPECT_EQ(shownWhileDownloading_, c.downloaded);
        EXPECT_EQ(view_.shown, c.info != nullptr);
        if (c.info) {
            EXPECT_EQ(view_.captions[C::lblInfo], c.info);
            EXPECT_EQ(view_.captions[C::CancelBtn], "Close");
            EXPECT_TRUE(view_.enabled[C::CancelBtn]);
        }
        EXPECT_EQ(view_.ended, c.endedAtOnce ? 1 : 0);
        EXPECT_EQ(view_.stops, c.transfer == Transfer::Aborted && c.downloaded ? 1 : 0);
        if (!c.endedAtOnce) {
            logic.CancelBtnClick(); // "Close"
            EXPECT_FALSE(view_.shown);
            EXPECT_EQ(view_.ended, 1);
            EXPECT_EQ(view_.stops, 0); // nothing was running
        }
        EXPECT_EQ(logic.ProgramGoesOn(), c.goesOn);
    }
}

TEST_F(UpdaterFormLogicTest, TheQuestionNamesBothVersionsAsAWarning) {
    UpdaterFormLogic& logic = Logic(Page::Newer, Transfer::Completes);
    logic.WebUpdater.ProductInfo.Version = "1.0";
    logic.RunCheck();
    view_.Finish(logic);
    ASSERT_EQ(view_.questions.size(), 1u);
    EXPECT_EQ(view_.questions[0].kind, Message::Kind::Warning);
    EXPECT_EQ(view_.questions[0].title, "Update Software");
    EXPECT_EQ(view_.questions[0].text, "Version 1.1 is available; you have 1.0. Update now?");
}

TEST_F(UpdaterFormLogicTest, TheBarStartsAtZeroAndMovesInReadsUpToContentLength) {
    UpdaterFormLogic& logic = Logic(Page::Newer, Transfer::Completes);
    view_.answer = true;
    logic.RunCheck();
    view_.Finish(logic);
    ASSERT_EQ(barWhenBegun_, (std::vector<std::pair<int, int>>{{0, 100}}));
    ASSERT_GT(view_.bar.size(), 2u);
    for (size_t i = 1; i < view_.bar.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(view_.bar[i].second, kInstallerSize);
        EXPECT_GT(view_.bar[i].first, view_.bar[i - 1].first);
        EXPECT_LE(view_.bar[i].first - (i > 1 ? view_.bar[i - 1].first : 0), 1025);
    }
    EXPECT_EQ(view_.bar.back(), std::make_pair(10000, 10000));
    // Complete: nothing left to abort while the installer opens.
    EXPECT_FALSE(view_.enabled[C::CancelBtn]);
}

TEST_F(UpdaterFormLogicTest, AnInstallerBeyond2GiBMovesTheBarInLargerSteps) {
    UpdaterFormLogic& logic = Logic(Page::Newer, Transfer::Completes);
    const int64_t total = int64_t{6} << 30;
    logic.Download =
        [](const update::Offer& offer, const platform::CancelToken&,
           const update::DownloadProgress& progress) -> platform::Expected<std::string> {
        progress.begins(offer.clientPath);
        progress.received(total, total / 2);
        progress.received(total, total);
        return offer.clientPath;
    };
    view_.answer = true;
    logic.RunCheck();
    view_.Finish(logic);
    ASSERT_EQ(view_.bar.size(), 3u);
    const int maximum = view_.bar[1].second;
    EXPECT_GT(maximum, 0);
    EXPECT_EQ(view_.bar[1].first, maximum / 2);
    EXPECT_EQ(view_.bar[2], std::make_pair(maximum, maximum));
}

TEST_F(UpdaterFormLogicTest, AbortWhileTheQuestionIsOpenDownloadsNothingWhateverTheAnswer) {
    UpdaterFormLogic& logic = Logic(Page::Newer, Transfer::Completes);
    view_.answer = true;
    view_.whileAsked = [&] { logic.CancelBtnClick(); };
    logic.RunCheck();
    view_.Finish(logic);
    EXPECT_EQ(view_.stops, 1);
    EXPECT_EQ(downloads_, 0);
    EXPECT_FALSE(view_.everShown);
    EXPECT_EQ(view_.ended, 1);
    EXPECT_TRUE(logic.ProgramGoesOn());
}

TEST_F(UpdaterFormLogicTest, ASecondCheckWhileOneRunsIsRefusedAndOneAfterItRuns) {
    UpdaterFormLogic& logic = Logic(Page::SameVersion, Transfer::Completes);
    EXPECT_TRUE(logic.RunCheck());
    EXPECT_FALSE(logic.RunCheck());
    EXPECT_EQ(view_.starts, 1);
    view_.Finish(logic);
    EXPECT_TRUE(logic.RunCheck());
    EXPECT_EQ(view_.starts, 2);
    view_.Finish(logic);
    EXPECT_EQ(view_.ended, 2);
}

TEST_F(UpdaterFormLogicTest, AFailureStaysUntilClosedAndTheNextCheckShowsTheDownloadAgain) {
    UpdaterFormLogic& logic = Logic(Page::Newer, Transfer::Fails);
    view_.answer = true;
    logic.RunCheck();
    view_.Finish(logic);
    // Shown again (a window's show event) the failure is not replaced.
    logic.FormShow();
    EXPECT_EQ(view_.captions[C::CancelBtn], "Close");
    logic.CancelBtnClick();
    logic.RunCheck();
    view_.Finish(logic);
    EXPECT_EQ(view_.captions[C::CancelBtn], "Close"); // failed again
    logic.CancelBtnClick();
    logic.Download =
        [](const update::Offer& offer, const platform::CancelToken&,
           const update::DownloadProgress& progress) -> platform::Expected<std::string> {
        progress.begins(offer.clientPath);
        return offer.clientPath;
    };
    logic.RunCheck();
    view_.body->operator()(view_); // the download has begun, the result not yet in
    EXPECT_EQ(view_.captions[C::CancelBtn], "Abort");
    EXPECT_EQ(view_.captions[C::lblInfo], "Downloading new version. Please wait ...");
}

TEST_F(UpdaterFormLogicTest, WithoutRunUpdateTheInstallerIsDownloadedButNotStarted) {
    UpdaterFormLogic& logic = Logic(Page::Newer, Transfer::Completes);
    logic.WebUpdater.Options = {update::uoTerminate, update::uoOverwrite};
    view_.answer = true;
    logic.RunCheck();
    view_.Finish(logic);
    EXPECT_EQ(downloads_, 1);
    EXPECT_TRUE(launched_.empty());
    EXPECT_TRUE(logic.ProgramGoesOn());
}

TEST_F(UpdaterFormLogicTest, TheTextsReadInGerman) {
    UpdaterFormLogic& logic = Logic(Page::Newer, Transfer::Fails, true, 3);
    logic.WebUpdater.ProductInfo.Version = "1.0";
    view_.answer = true;
    logic.RunCheck();
    view_.body->operator()(view_);
    EXPECT_EQ(view_.title, "Software aktualisieren");
    ASSERT_EQ(view_.questions.size(), 1u);
    EXPECT_EQ(view_.questions[0].text,
              "Version 1.1 ist verfügbar; Sie haben 1.0. Jetzt aktualisieren?");
    EXPECT_EQ(view_.captions[C::CancelBtn], "Abbrechen");
    EXPECT_EQ(view_.captions[C::lblInfo], "Neue Version wird heruntergeladen. Bitte warten ...");
    view_.body.reset();
    logic.CheckFinished({platform::Failure("/files/setup.bin", "HTTP status 404"), {}, false});
    EXPECT_EQ(view_.captions[C::lblInfo],
              "Der Download ist fehlgeschlagen: /files/setup.bin: HTTP status 404");
    EXPECT_EQ(view_.captions[C::CancelBtn], "Schließen");
}

} // namespace
