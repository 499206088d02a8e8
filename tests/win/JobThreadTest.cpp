// The progress window's worker: its progress reaches the window coalesced,
// its stop request reaches the job, and it never outlives its owner.
#include "win/JobThread.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <string>
#include <thread>

using namespace tolvane;
using namespace tolvane::win;

namespace {

app::JobProgress Progress(int stage, uint8_t percent, std::string_view file) {
    app::JobProgress progress;
    progress.stage = stage;
    progress.byArchive = percent;
    progress.file = file;
    return progress;
}

// Waits on the token as a long job does where it reads it.
app::JobResult UntilStopped(const platform::CancelToken& cancel) {
    while (!cancel.Requested())
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    app::JobResult result;
    result.outcome = app::JobResult::Outcome::Cancelled;
    return result;
}

TEST(ProgressMailbox, WakesOncePerTakeAndKeepsTheLatest) {
    struct Step {
        bool take; // else Put(stage, percent, file)
        int stage;
        uint8_t percent;
        const char* file;
        bool wakes;         // Put's answer
        const char* latest; // Take's file, nullptr for nothing
    };
    const Step steps[] = {
        {true, 0, 0, nullptr, false, nullptr}, // nothing came yet
        {false, 1, 10, "a.txt", true, nullptr}, {false, 1, 20, "b.txt", false, nullptr},
        {false, 2, 5, "c.txt", false, nullptr}, {true, 0, 0, nullptr, false, "c.txt"},
        {true, 0, 0, nullptr, false, nullptr}, // taken once only
        {false, 2, 90, "d.txt", true, nullptr}, {true, 0, 0, nullptr, false, "d.txt"},
    };
    ProgressMailbox mailbox;
    int index = 0;
    for (const Step& step : steps) {
        SCOPED_TRACE(index++);
        if (!step.take) {
            EXPECT_EQ(mailbox.Put(Progress(step.stage, step.percent, step.file)), step.wakes);
            continue;
        }
        const std::optional<ProgressSnapshot> taken = mailbox.Take();
        ASSERT_EQ(taken.has_value(), step.latest != nullptr);
        if (taken) {
            EXPECT_EQ(taken->file, step.latest);
        }
    }
}

TEST(JobThread, ManyReportsWakeTheWindowOnceUntilItTakes) {
    JobThread thread;
    std::atomic<int> wakes{0};
    std::atomic<int> finished{0};
    thread.Start(
        [](const platform::CancelToken&,
           const std::function<void(const app::JobProgress&)>& report) {
            for (int i = 0; i < 10000; ++i) {
                const std::string file = "file" + std::to_string(i);
                report(Progress(i < 5000 ? 1 : 2, static_cast<uint8_t>(i / 100), file));
            }
            app::JobResult result;
            result.outcome = app::JobResult::Outcome::Done;
            return result;
        },
        [&wakes] { ++wakes; }, [&finished] { ++finished; });
    const app::JobResult result = thread.Take();
    EXPECT_EQ(result.outcome, app::JobResult::Outcome::Done);
    EXPECT_EQ(wakes.load(), 1);
    EXPECT_EQ(finished.load(), 1);
    const std::optional<ProgressSnapshot> last = thread.Progress().Take();
    ASSERT_TRUE(last.has_value());
    EXPECT_EQ(last->file, "file9999"); // the string outlives the job's own
    EXPECT_EQ(last->stage, 2);
    EXPECT_EQ(last->byArchive, 99);
}

TEST(JobThread, AbortReachesTheRunningJob) {
    JobThread thread;
    std::atomic<bool> started{false};
    thread.Start(
        [&started](const platform::CancelToken& cancel,
                   const std::function<void(const app::JobProgress&)>&) {
            started = true;
            return UntilStopped(cancel);
        },
        nullptr, nullptr);
    while (!started)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    EXPECT_FALSE(thread.StopRequested());
    thread.RequestStop();
    EXPECT_TRUE(thread.StopRequested());
    EXPECT_EQ(thread.Take().outcome, app::JobResult::Outcome::Cancelled);
}

TEST(JobThread, OwnerGoingAwayStopsAndWaitsForTheJob) {
    std::atomic<bool> ended{false};
    {
        JobThread thread;
        thread.Start(
            [&ended](const platform::CancelToken& cancel,
                     const std::function<void(const app::JobProgress&)>&) {
                app::JobResult result = UntilStopped(cancel);
                ended = true;
                return result;
            },
            nullptr, nullptr);
    }
    EXPECT_TRUE(ended.load());
}

} // namespace
