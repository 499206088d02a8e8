// The update window's worker: what it hands to the window's thread runs
// there in order and before its result, a stop wakes a question waiting
// with No, and it never outlives its owner; then the update window's logic
// over it against the HTTP server on loopback: Yes downloads and starts the
// installer, Abort during the download leaves nothing.
#include "win/UpdateCheckThread.h"

#include "ui/UpdaterFormLogic.h"

#include "support/HttpTestServer.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace fs = std::filesystem;
using namespace tolvane;
using namespace tolvane::test;
using namespace tolvane::win;
using namespace std::chrono_literals;

namespace {

// The window's side: woken from the worker, it takes what waits on the
// test's thread, as the window's message loop does.
class Window {
public:
    std::function<void()> Wake() {
        return [this] {
            const std::lock_guard<std::mutex> lock(mutex_);
            ++wakes_;
            woken_.notify_all();
        };
    }
    // Waits for a wake-up (up to 10 s); false when none came.
    bool WaitForWake() {
        std::unique_lock<std::mutex> lock(mutex_);
        const bool woken = woken_.wait_for(lock, 10s, [this] { return wakes_ > 0; });
        wakes_ = 0;
        return woken;
    }

private:
    std::mutex mutex_;
    std::condition_variable woken_;
    int wakes_ = 0;
};

// Pumps until the thread's result is in (or no wake-up comes).
bool RunUntilDone(Window& window, UpdateCheckThread& thread) {
    for (;;) {
        if (thread.RunPending())
            return true;
        if (!window.WaitForWake())
            return false;
    }
}

TEST(UpdateCheckThread, CallsAndTheQuestionRunOnTheWindowsThreadInOrderBeforeTheResult) {
    Window window;
    UpdateCheckThread thread(window.Wake());
    std::vector<std::string> events; // the window's thread only
    const std::thread::id windowThread = std::this_thread::get_id();
    bool allOnTheWindowsThread = true;
    const auto record = [&](std::string event) {
        allOnTheWindowsThread = allOnTheWindowsThread && std::this_thread::get_id() == windowThread;
        events.push_back(std::move(event));
    };
    thread.Start([&](ui::UpdateCheckWorker& worker) {
        worker.Post([&] { record("post 1"); });
        worker.Post([&] { record("post 2"); });
        const bool yes = worker.Ask([&] {
            record("asked");
            return true;
        });
        worker.Post([&, yes] { record(yes ? "post after Yes" : "post after No"); });
        ui::UpdateCheckResult result;
        result.terminate = yes;
        return result;
    });
    EXPECT_TRUE(thread.Running());
    ASSERT_TRUE(RunUntilDone(window, thread));
    const ui::UpdateCheckResult result = thread.Take();
    EXPECT_FALSE(thread.Running());
    EXPECT_TRUE(result.terminate);
    EXPECT_EQ(events, (std::vector<std::string>{"post 1", "post 2", "asked", "post after Yes"}));
    EXPECT_TRUE(allOnTheWindowsThread);
}

TEST(UpdateCheckThread, AStopWakesAWaitingQuestionWithNoAndItIsNeverShown) {
    Window window;
    UpdateCheckThread thread(window.Wake());
    std::atomic<bool> asked{false};
    bool shown = false;
    thread.Start([&](ui::UpdateCheckWorker& worker) {
        asked = true;
        ui::UpdateCheckResult result;
        result.terminate = worker.Ask([&] {
            shown = true;
            return true;
        });
        return result;
    });
    while (!asked)
        std::this_thread::sleep_for(1ms);
    thread.RequestStop();
    EXPECT_TRUE(thread.StopRequested());
    // The worker has returned: it is joined at once, with No.
    EXPECT_FALSE(thread.Take().terminate);
    EXPECT_FALSE(thread.RunPending());
    EXPECT_FALSE(shown);
}

TEST(UpdateCheckThread, AQuestionsOwnMessageLoopDoesNotTakeTheResultFromUnderIt) {
    Window window;
    UpdateCheckThread thread(window.Wake());
    bool nestedDone = true;
    thread.Start([&](ui::UpdateCheckWorker& worker) {
        worker.Ask([&] {
            // As a message box's loop would on the worker's wake-ups.
            nestedDone = thread.RunPending();
            return false;
        });
        return ui::UpdateCheckResult{};
    });
    ASSERT_TRUE(RunUntilDone(window, thread));
    EXPECT_FALSE(nestedDone);
    thread.Take();
}

TEST(UpdateCheckThread, ItsEndStopsAndWaitsForACheckThatWaitsOnTheToken) {
    std::atomic<bool> ended{false};
    {
        Window window;
        UpdateCheckThread thread(window.Wake());
        thread.Start([&](ui::UpdateCheckWorker& worker) {
            while (!worker.Token().Requested())
                std::this_thread::sleep_for(1ms);
            ended = true;
            return ui::UpdateCheckResult{};
        });
    }
    EXPECT_TRUE(ended);
}

TEST(UpdateCheckThread, ASecondRunHasATokenOfItsOwn) {
    Window window;
    UpdateCheckThread thread(window.Wake());
    bool requestedAtStart = true;
    thread.Start([](ui::UpdateCheckWorker&) { return ui::UpdateCheckResult{}; });
    thread.RequestStop();
    ASSERT_TRUE(RunUntilDone(window, thread));
    thread.Take();
    thread.Start([&](ui::UpdateCheckWorker& worker) {
        requestedAtStart = worker.Token().Requested();
        return ui::UpdateCheckResult{};
    });
    ASSERT_TRUE(RunUntilDone(window, thread));
    thread.Take();
    EXPECT_FALSE(requestedAtStart);
}

std::string Meta(const std::string& name, const std::string& content) {
    return "<META NAME=\"" + name + "\" CONTENT=\"" + content + "\">\r\n";
}

// The update window as a view that keeps what it was told, its check on
// the thread, its messages pumped by Run.
class ThreadView : public ui::UpdaterFormView {
public:
    ThreadView() : thread_(window_.Wake()) {}

    // Runs `logic`'s check to its end; false when it did not end in time.
    bool Run(ui::UpdaterFormLogic& logic) {
        if (!logic.RunCheck())
            return false;
        while (!ended) {
            if (thread_.RunPending()) {
                logic.CheckFinished(thread_.Take());
                continue;
            }
            if (!window_.WaitForWake())
                return false;
        }
        return true;
    }

    bool answer = true;
    std::function<void(int position)> onProgress;
    int position = 0;
    int maximum = 0;
    bool everShown = false;
    bool ended = false;

    void SetTitle(const std::string&) override {}
    void SetCaption(ui::UpdaterControl, const std::string&) override {}
    void SetEnabled(ui::UpdaterControl, bool) override {}
    void SetProgress(int at, int of) override {
        position = at;
        maximum = of;
        if (onProgress)
            onProgress(at);
    }
    void ShowWindow(bool shown) override { everShown = everShown || shown; }
    bool AskYesNo(const ui::Message&) override { return answer; }
    void StartCheck(ui::UpdateCheckBody body) override { thread_.Start(std::move(body)); }
    void StopCheck() override { thread_.RequestStop(); }
    void CheckEnded() override { ended = true; }

private:
    Window window_;
    UpdateCheckThread thread_; // last: joined before the window goes
};

class UpdaterOverTheThread : public ::testing::Test {
protected:
    UpdaterOverTheThread() : server_(scratch_.MakeFolder("www"), scratch_ / "requests.log") {}

    void Offer(const std::vector<uint8_t>& installer) {
        scratch_.WriteFile("www/files/setup.bin", installer);
        scratch_.WriteFile("www/update.html", Meta("upProduct", "Tolvane") +
                                                  Meta("upVersion", "99.0") +
                                                  Meta("upDownload", "/files/setup.bin") +
                                                  Meta("upClientSideName", "setup.bin") +
                                                  Meta("upRunParameters", "/S"));
    }

    ui::UpdaterFormLogic& Logic() {
        logic_ = std::make_unique<ui::UpdaterFormLogic>(table_, 0, app::VendorConfig{}, view_);
        logic_->WebUpdater.ProductInfo.SetURL(server_.Url("/update.html"));
        logic_->WebUpdater.TargetFolder = scratch_.MakeFolder("client");
        logic_->Launch = [this](const std::string& path,
                                const std::string& parameters) -> platform::Expected<void> {
            launched_.push_back(fs::path(path).filename().string() + " " + parameters);
            return {};
        };
        return *logic_;
    }

    TempFolder scratch_;
    HttpTestServer server_;
    app::TranslationTable table_;
    ThreadView view_;
    std::unique_ptr<ui::UpdaterFormLogic> logic_;
    std::vector<std::string> launched_;
};

TEST_F(UpdaterOverTheThread, YesDownloadsTheInstallerAndStartsItAndTheProgramEnds) {
    const std::vector<uint8_t> installer = RandomBytes(200000, 9);
    Offer(installer);
    ui::UpdaterFormLogic& logic = Logic();
    ASSERT_TRUE(view_.Run(logic));
    EXPECT_TRUE(view_.everShown);
    EXPECT_EQ(view_.maximum, 200000);
    EXPECT_EQ(view_.position, 200000);
    EXPECT_EQ(launched_, std::vector<std::string>{"setup.bin /S"});
    EXPECT_EQ(ReadFileBytes(scratch_ / "client/setup.bin"), installer);
    EXPECT_FALSE(logic.ProgramGoesOn());
}

TEST_F(UpdaterOverTheThread, AbortDuringTheDownloadLeavesNoFileAndTheProgramGoesOn) {
    Offer(RandomBytes(40 << 20, 5));
    ui::UpdaterFormLogic& logic = Logic();
    bool pressed = false;
    view_.onProgress = [&](int position) {
        if (position > 0 && !pressed) {
            pressed = true;
            logic.CancelBtnClick();
        }
    };
    ASSERT_TRUE(view_.Run(logic));
    EXPECT_TRUE(pressed);
    EXPECT_LT(view_.position, 40 << 20);
    EXPECT_TRUE(launched_.empty());
    EXPECT_TRUE(fs::is_empty(scratch_ / "client"));
    EXPECT_TRUE(logic.ProgramGoesOn());
}

} // namespace
