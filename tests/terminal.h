// A raw pseudo-terminal that stands for a console in the tests: the program
// writes to the follower, the test reads back from the leader, byte for byte.
// Files and pipes stand for the other kinds of output, read back alike.
#pragma once

#include <fcntl.h>
#include <stdlib.h>
#include <string>
#include <termios.h>
#include <unistd.h>

struct Terminal {
    int leader = -1;  // -1: the system gives no pseudo-terminal
    int follower = -1;
};

inline Terminal open_raw_terminal()
{
    int leader = posix_openpt(O_RDWR | O_NOCTTY);
    if (leader < 0 || grantpt(leader) != 0 || unlockpt(leader) != 0) {
        close(leader);
        return {};
    }
    Terminal terminal{leader, open(ptsname(leader), O_RDWR | O_NOCTTY)};
    termios raw;
    tcgetattr(terminal.follower, &raw);
    cfmakeraw(&raw);
    tcsetattr(terminal.follower, TCSANOW, &raw);
    return terminal;
}

// What a program's output may be written to: each kind of handle it tells apart.
enum class SinkKind { file, pipe, console };

// The two ends of a sink: the program writes to one, the test reads from the
// other without waiting. A file is appended to, so that it may be emptied
// between runs without leaving a hole.
struct SinkEnds {
    int reader = -1;  // -1: the sink could not be made
    int writer = -1;
};

inline SinkEnds open_sink(SinkKind kind)
{
    SinkEnds ends;
    if (kind == SinkKind::file) {
        char path[] = "/tmp/headcopy_sink_XXXXXX";
        ends.writer = mkstemp(path);
        ends.reader = open(path, O_RDONLY);
        unlink(path);
        fcntl(ends.writer, F_SETFL, O_APPEND);
    } else if (kind == SinkKind::pipe) {
        int fds[2];
        if (pipe(fds) == 0)
            ends = {fds[0], fds[1]};
    } else {
        Terminal terminal = open_raw_terminal();
        ends = {terminal.leader, terminal.follower};
    }
    fcntl(ends.reader, F_SETFL, O_NONBLOCK);
    return ends;
}

// The bytes a descriptor holds now, up to its end or until a read would wait.
inline std::string read_available(int fd)
{
    std::string bytes;
    char chunk[4096];
    for (ssize_t n; (n = read(fd, chunk, sizeof chunk)) > 0;)
        bytes.append(chunk, static_cast<std::size_t>(n));
    return bytes;
}
