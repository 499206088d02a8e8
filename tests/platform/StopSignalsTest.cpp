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

TEST(StopSignalsTest, TheFirstSignalRequestsTheTokenAndTheFormerHandlingReturnsAfter) {
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
        EXPECT_EQ(handled, 0); // taken over while it lives
    }
    ASSERT_EQ(kill(getpid(), SIGHUP), 0);
    for (int i = 0; i < 5000 && handled == 0; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    EXPECT_EQ(handled, SIGHUP);
    sigaction(SIGHUP, &before, nullptr);
}
