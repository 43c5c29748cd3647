// A raw pseudo-terminal that stands for a console in the tests: the program
// writes to the follower, the test reads back from the leader, byte for byte.
#pragma once

#include <fcntl.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

struct Terminal {
    int leader = -1;  // -1: the system gives no pseudo-terminal
    int follower = -1;
};

inline Terminal open_raw_terminal()
{
    Terminal terminal;
    terminal.leader = posix_openpt(O_RDWR | O_NOCTTY);
    if (terminal.leader < 0 || grantpt(terminal.leader) != 0 || unlockpt(terminal.leader) != 0) {
        if (terminal.leader >= 0)
            close(terminal.leader);
        terminal.leader = -1;
        return terminal;
    }
    terminal.follower = open(ptsname(terminal.leader), O_RDWR | O_NOCTTY);
    termios raw;
    tcgetattr(terminal.follower, &raw);
    cfmakeraw(&raw);
    tcsetattr(terminal.follower, TCSANOW, &raw);
    return terminal;
}
