#include "platform/CancelToken.h"

#include <gtest/gtest.h>

#include <thread>
#include <vector>

using tolvane::platform::CancelToken;

TEST(CancelTokenTest, AHookRunsOnceOnTheFirstRequestAndOnlyWhileItLives) {
    CancelToken token;
    int runs = 0;
    {
        CancelToken::Hook hook(token, [&] { ++runs; });
        EXPECT_EQ(runs, 0);
        token.Request();
        token.Request();
        EXPECT_EQ(runs, 1);
    }
    EXPECT_TRUE(token.Requested());

    // A hook set after the request runs at once; one gone runs no more.
    CancelToken::Hook late(token, [&] { ++runs; });
    EXPECT_EQ(runs, 2);
    CancelToken other;
    {
        CancelToken::Hook gone(other, [&] { ++runs; });
    }
    other.Request();
    EXPECT_EQ(runs, 2);
}

TEST(CancelTokenTest, RequestsFromManyThreadsRunTheHookOnce) {
    CancelToken token;
    std::atomic<int> runs{0};
    CancelToken::Hook hook(token, [&] { ++runs; });
    std::vector<std::thread> threads;
    for (int i = 0; i < 8; ++i)
        threads.emplace_back([&] { token.Request(); });
    for (std::thread& thread : threads)
        thread.join();
    EXPECT_EQ(runs.load(), 1);
    EXPECT_TRUE(token.Requested());
}
