// The echo guard on a real pseudo-terminal: off while it lives, the settings
// it found back afterwards; nothing done on what is no terminal.
#include "platform/Terminal.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

namespace {

bool Echoes(int fd) {
    termios settings{};
    EXPECT_EQ(tcgetattr(fd, &settings), 0);
    return (settings.c_lflag & ECHO) != 0;
}

TEST(TerminalTest, EchoOffTurnsTheEchoOffAndPutsItBack) {
    const int master = posix_openpt(O_RDWR | O_NOCTTY);
    ASSERT_GE(master, 0);
    ASSERT_EQ(grantpt(master), 0);
    ASSERT_EQ(unlockpt(master), 0);
    const int terminal = open(ptsname(master), O_RDWR | O_NOCTTY);
    ASSERT_GE(terminal, 0);
    ASSERT_TRUE(Echoes(terminal));
    {
        const tolvane::platform::EchoOff echoOff(terminal);
        EXPECT_TRUE(echoOff.Active());
        EXPECT_FALSE(Echoes(terminal));
    }
    EXPECT_TRUE(Echoes(terminal));
    close(terminal);
    close(master);

    int pipeEnds[2];
    ASSERT_EQ(pipe(pipeEnds), 0);
    EXPECT_FALSE(tolvane::platform::EchoOff(pipeEnds[0]).Active());
    close(pipeEnds[0]);
    close(pipeEnds[1]);
}

} // namespace
