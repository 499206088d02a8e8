#include "platform/StopSignals.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <thread>
#include <unistd.h>

using tolvane::platform::StopSignals;

namespace {

volatile std::sig_atomic_t handled = 0;
void Handle(int number) {
    handled = number;
}

bool WaitFor(const StopSignals& stop) {
    for (int i = 0; i < 5000 && !stop.Token().Requested(); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    return stop.Token().Requested();
}

} // namespace

TEST(StopSignalsTest, TheFirstSignalRequestsTheTokenAndOneAfterTheWatchEndsNothing) {
    struct sigaction before {};
    struct sigaction mine {};
    mine.sa_handler = Handle;
    ASSERT_EQ(sigaction(SIGHUP, &mine, &before), 0);
    {
        const StopSignals stop;
        EXPECT_FALSE(stop.Token().Requested());
        ASSERT_EQ(kill(getpid(), SIGTERM), 0);
        ASSERT_TRUE(WaitFor(stop));
        ASSERT_EQ(kill(getpid(), SIGHUP), 0);
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        EXPECT_EQ(stop.Number(), SIGTERM);
    }
    // Work that is done is not ended by a late signal: it stays blocked,
    // and the next watch starts without it.
    ASSERT_EQ(kill(getpid(), SIGHUP), 0);
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_EQ(handled, 0);
    sigset_t pending;
    sigpending(&pending);
    EXPECT_TRUE(sigismember(&pending, SIGHUP));
    {
        const StopSignals again;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        EXPECT_FALSE(again.Token().Requested());
    }
    sigpending(&pending);
    EXPECT_FALSE(sigismember(&pending, SIGHUP));
    EXPECT_EQ(handled, 0);
    sigaction(SIGHUP, &before, nullptr);
}
