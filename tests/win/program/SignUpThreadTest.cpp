// The sign-up window's worker: the mail runs off the caller's thread, its
// result comes back once, a stop reaches the mail through its token and is
// waited for, a late notice of an earlier run is refused, and each run has a
// token of its own.
#include "SignUpThread.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace tolvane::win {
namespace {

using namespace std::chrono_literals;

app::SignupResult Result(app::SignupResult::Outcome outcome, const std::string& text) {
    app::SignupResult result;
    result.outcome = outcome;
    result.report.text = text;
    return result;
}

// The run numbers `finished` was given, and a wait for the next.
class Notices {
public:
    std::function<void(unsigned)> Callback() {
        return [this](unsigned run) {
            std::lock_guard lock(mutex_);
            runs_.push_back(run);
            changed_.notify_all();
        };
    }
    bool WaitFor(size_t count) {
        std::unique_lock lock(mutex_);
        return changed_.wait_for(lock, 10s, [&] { return runs_.size() >= count; });
    }
    std::vector<unsigned> Runs() {
        std::lock_guard lock(mutex_);
        return runs_;
    }

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<unsigned> runs_;
};

TEST(SignUpThreadTest, TheResultComesBackOnceAfterTheNotice) {
    SignUpThread thread;
    Notices notices;
    std::atomic<std::thread::id> worker;
    const unsigned run = thread.Start(
        [&](const platform::CancelToken&) {
            worker = std::this_thread::get_id();
            return Result(app::SignupResult::Outcome::Sent, "sent");
        },
        notices.Callback());
    ASSERT_TRUE(notices.WaitFor(1));
    EXPECT_EQ(std::vector<unsigned>{run}, notices.Runs());
    EXPECT_TRUE(thread.Busy());
    const std::optional<app::SignupResult> result = thread.Take(run);
    ASSERT_TRUE(result);
    EXPECT_EQ(app::SignupResult::Outcome::Sent, result->outcome);
    EXPECT_EQ("sent", result->report.text);
    EXPECT_NE(std::this_thread::get_id(), worker.load());
    EXPECT_FALSE(thread.Busy());
    EXPECT_FALSE(thread.Take(run)) << "handed over twice";
}

TEST(SignUpThreadTest, StopReachesTheMailAndWaitsForIt) {
    SignUpThread thread;
    Notices notices;
    std::atomic<bool> started{false};
    std::atomic<bool> ended{false};
    const unsigned run = thread.Start(
        [&](const platform::CancelToken& cancel) {
            started = true;
            // A mail that would wait for its server for a long time.
            for (int i = 0; i < 1000 && !cancel.Requested(); ++i)
                std::this_thread::sleep_for(10ms);
            std::this_thread::sleep_for(50ms); // closing the connection takes a moment
            ended = true;
            return Result(app::SignupResult::Outcome::NotSent,
                          cancel.Requested() ? "stopped" : "timed out");
        },
        notices.Callback());
    while (!started)
        std::this_thread::sleep_for(1ms);
    const auto before = std::chrono::steady_clock::now();
    const app::SignupResult result = thread.Stop();
    EXPECT_TRUE(ended) << "Stop returned before the mail had ended";
    EXPECT_EQ("stopped", result.report.text);
    EXPECT_LT(std::chrono::steady_clock::now() - before, 5s);
    EXPECT_FALSE(thread.Busy());
    // The notice that came meanwhile finds nothing left to take.
    ASSERT_TRUE(notices.WaitFor(1));
    EXPECT_FALSE(thread.Take(run));
}

TEST(SignUpThreadTest, AnEarlierRunsLateNoticeTakesNothingOfTheNextRun) {
    SignUpThread thread;
    Notices notices;
    const unsigned first = thread.Start(
        [](const platform::CancelToken& cancel) {
            while (!cancel.Requested())
                std::this_thread::sleep_for(1ms);
            return Result(app::SignupResult::Outcome::NotSent, "first");
        },
        notices.Callback());
    EXPECT_EQ("first", thread.Stop().report.text);
    // The first token was requested; the second run must not see that.
    std::atomic<bool> release{false};
    const unsigned second = thread.Start(
        [&](const platform::CancelToken& cancel) {
            while (!release)
                std::this_thread::sleep_for(1ms);
            return Result(app::SignupResult::Outcome::Sent,
                          cancel.Requested() ? "stopped by the first run's token" : "second");
        },
        notices.Callback());
    EXPECT_NE(first, second);
    EXPECT_FALSE(thread.Take(first)) << "the first run's notice took the second run's result";
    EXPECT_TRUE(thread.Busy());
    release = true;
    ASSERT_TRUE(notices.WaitFor(2));
    const std::optional<app::SignupResult> result = thread.Take(second);
    ASSERT_TRUE(result);
    EXPECT_EQ("second", result->report.text);
}

TEST(SignUpThreadTest, TheDestructorStopsARunningMail) {
    std::atomic<bool> stopped{false};
    {
        SignUpThread thread;
        thread.Start(
            [&](const platform::CancelToken& cancel) {
                while (!cancel.Requested())
                    std::this_thread::sleep_for(1ms);
                stopped = true;
                return Result(app::SignupResult::Outcome::NotSent, "stopped");
            },
            nullptr);
    }
    EXPECT_TRUE(stopped);
}

} // namespace
} // namespace tolvane::win
