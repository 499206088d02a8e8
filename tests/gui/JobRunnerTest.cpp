// The job runner on its own, with the offscreen application's event loop:
// the result and the calls posted before it arrive on the GUI thread in
// order, a question is answered there while the worker waits, a stop wakes
// a waiting worker with No and keeps a question not yet shown from showing,
// and a result taken at once is never announced later.
#include "gui/JobRunner.h"

#include "GuiTestSupport.h"

#include <QSignalSpy>

#include <atomic>
#include <thread>
#include <vector>

using namespace tolvane;
using namespace tolvane::gui;
using namespace tolvane::test;

namespace {

using Runner = JobRunner<int, int>;
using Worker = JobRunnerBase::Worker;

TEST(JobRunnerTest, TheResultComesAfterTheCallsPostedOnTheGuiThread) {
    const std::thread::id gui = std::this_thread::get_id();
    std::vector<int> seen; // GUI thread only
    bool onGuiThread = true;
    Runner runner([&](const int& request, Worker& worker) {
        for (int i = 1; i <= 3; ++i)
            worker.Post([&, i] {
                onGuiThread = onGuiThread && std::this_thread::get_id() == gui;
                seen.push_back(i);
            });
        return request * 2;
    });
    int result = 0;
    QObject::connect(&runner, &JobRunnerBase::finished, [&] {
        onGuiThread = onGuiThread && std::this_thread::get_id() == gui;
        seen.push_back(0);
        result = runner.TakeResult();
    });
    ASSERT_TRUE(runner.Start(21));
    EXPECT_TRUE(runner.Running());
    EXPECT_FALSE(runner.Start(1)) << "one job at a time";
    ASSERT_TRUE(WaitFor([&] { return !runner.Running(); }));
    EXPECT_EQ(result, 42);
    EXPECT_EQ(seen, (std::vector<int>{1, 2, 3, 0}));
    EXPECT_TRUE(onGuiThread);
}

TEST(JobRunnerTest, AQuestionIsAnsweredOnTheGuiThreadWhileTheWorkerWaits) {
    const std::thread::id gui = std::this_thread::get_id();
    std::atomic<bool> askedOnGuiThread{false};
    Runner runner([&](const int& request, Worker& worker) {
        const bool yes = worker.AskOnGuiThread([&] {
            askedOnGuiThread = std::this_thread::get_id() == gui;
            return request > 0;
        });
        return yes ? 1 : -1;
    });
    QSignalSpy finished(&runner, &JobRunnerBase::finished);
    for (const auto& [request, answer] : {std::pair{5, 1}, std::pair{-5, -1}}) {
        ASSERT_TRUE(runner.Start(request));
        ASSERT_TRUE(WaitFor([&] { return finished.count() > 0; }));
        finished.clear();
        EXPECT_EQ(runner.TakeResult(), answer) << request;
        EXPECT_TRUE(askedOnGuiThread);
    }
}

TEST(JobRunnerTest, AStopWakesAWaitingWorkerWithNoAndTheQuestionIsNeverShown) {
    bool asked = false; // GUI thread only
    std::atomic<bool> waiting{false};
    Runner runner([&](const int&, Worker& worker) {
        waiting = true;
        return worker.AskOnGuiThread([&] { return asked = true; }) ? 1 : 0;
    });
    ASSERT_TRUE(runner.Start(0));
    // The question is queued, but the GUI thread has not turned yet.
    while (!waiting)
        std::this_thread::yield();
    runner.StopAndWait();
    EXPECT_TRUE(runner.StopRequested());
    EXPECT_EQ(runner.TakeResult(), 0);
    QSignalSpy finished(&runner, &JobRunnerBase::finished);
    QApplication::processEvents();
    QApplication::processEvents();
    EXPECT_FALSE(asked) << "a question of a stopped job was shown";
    EXPECT_EQ(finished.count(), 0) << "a result taken at once was announced again";
}

TEST(JobRunnerTest, AStopWhileTheQuestionIsOnScreenEndsTheJobBeforeTheAnswer) {
    // The question "on screen": it asks for the stop and turns the event
    // loop until the job has ended, before it answers Yes.
    bool endedBeforeTheAnswer = false;
    Runner asking([&](const int&, Worker& worker) {
        return worker.AskOnGuiThread([&] {
            asking.RequestStop();
            QSignalSpy done(&asking, &JobRunnerBase::finished);
            endedBeforeTheAnswer = WaitFor([&] { return done.count() > 0; }, 10000);
            return true;
        })
                   ? 1
                   : 0;
    });
    int result = -1;
    QObject::connect(&asking, &JobRunnerBase::finished, [&] { result = asking.TakeResult(); });
    ASSERT_TRUE(asking.Start(0));
    ASSERT_TRUE(WaitFor([&] { return !asking.Running(); }));
    EXPECT_TRUE(endedBeforeTheAnswer);
    EXPECT_EQ(result, 0) << "the stop is a No, whatever is answered after it";
}

TEST(JobRunnerTest, EachRunHasATokenOfItsOwnAndOnlyItsOwnResult) {
    std::atomic<bool> release{false}, done{false};
    Runner runner([&](const int& request, Worker& worker) {
        // The first run waits for its stop, the second for the test.
        while (!(request < 0 ? worker.Token().Requested() : release.load()))
            std::this_thread::yield();
        const int result = worker.Token().Requested() ? 0 : request;
        done = request > 0;
        return result;
    });
    std::vector<int> results;
    bool early = false;
    QObject::connect(&runner, &JobRunnerBase::finished, [&] {
        if (!done) {
            early = true; // announced before its job ended
            return;
        }
        results.push_back(runner.TakeResult());
    });
    ASSERT_TRUE(runner.Start(-1));
    runner.StopAndWait();
    EXPECT_EQ(runner.TakeResult(), 0);
    // The next run starts unstopped, and the stopped run's announcement,
    // still queued, is not taken for the new run's.
    ASSERT_TRUE(runner.Start(7));
    EXPECT_FALSE(runner.StopRequested());
    QApplication::processEvents();
    QApplication::processEvents();
    release = true;
    ASSERT_TRUE(WaitFor([&] { return !runner.Running(); }));
    EXPECT_FALSE(early);
    EXPECT_EQ(results, std::vector<int>{7});
}

} // namespace
