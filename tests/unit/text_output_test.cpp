// What reaches a text channel's handle, and when, for each kind of handle.
// The channel under test is the tests' own, opened by its first write on a
// sink of their own, as standard output is on descriptor 1; what arrived
// during each action is read back from the sink's other end.
#include <gtest/gtest.h>

#include "case_name.h"

#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <functional>
#include <string>
#include <sys/resource.h>
#include <unistd.h>
#include <vector>

#include "services/files/io_result.h"
#include "services/process/text_output.h"
#include "terminal.h"

namespace {

enum class Sink { file, pipe, console };

TextFile channel;
int sink_fd = -1;  // what the channel opens on

std::int32_t open_on_sink(FileVar& opened)
{
    return text_open_on(opened, reinterpret_cast<HANDLE>(static_cast<std::intptr_t>(sink_fd)));
}

class StandardOutput : public ::testing::Test {
protected:
    void SetUp() override
    {
        assign_file(channel, String());
        channel.open_op = open_on_sink;
        channel.opens_on_write = true;
        pending_io_error = 0;
        // A descriptor number that is closed: the sink until one is attached.
        sink_fd = dup(STDIN_FILENO);
        close(sink_fd);
    }

    void TearDown() override
    {
        for (int fd : {sink_, reader_})
            if (fd >= 0)
                close(fd);
    }

    void attach(Sink kind)
    {
        if (kind == Sink::file) {
            char path[] = "/tmp/text_output_XXXXXX";
            sink_ = mkstemp(path);
            reader_ = open(path, O_RDONLY | O_NONBLOCK);
            unlink(path);
        } else if (kind == Sink::pipe) {
            int ends[2];
            ASSERT_EQ(pipe(ends), 0);
            reader_ = ends[0];
            sink_ = ends[1];
        } else {
            Terminal terminal = open_raw_terminal();
            ASSERT_GE(terminal.leader, 0);
            reader_ = terminal.leader;
            sink_ = terminal.follower;
        }
        fcntl(reader_, F_SETFL, O_NONBLOCK);
        sink_fd = sink_;
    }

    // Runs action and returns the bytes that arrived at the sink meanwhile.
    std::string during(const std::function<void()>& action)
    {
        action();
        std::string arrived;
        char chunk[512];
        for (ssize_t n; reader_ >= 0 && (n = read(reader_, chunk, sizeof chunk)) > 0;)
            arrived.append(chunk, static_cast<std::size_t>(n));
        return arrived;
    }

    int sink_ = -1;
    int reader_ = -1;
};

const std::string crlf = "\r\n";
const std::string a200(200, 'a');
const std::string b126(126, 'b');

void end_of_run() { close_file(channel); }

struct Step {
    std::function<void()> action;
    std::string arrived;
};

struct BufferCase {
    const char* name;
    Sink sink;
    std::vector<Step> steps;
};

const std::vector<BufferCase> buffer_cases = {
    {"a line to a file waits for the end of the run",
     Sink::file,
     {{[] { write_line(channel, "Ok"); }, ""}, {end_of_run, "Ok" + crlf}}},
    {"a line to a pipe waits for the end of the run",
     Sink::pipe,
     {{[] { write_line(channel, "Ok"); }, ""}, {end_of_run, "Ok" + crlf}}},
    {"a console gets each line at its end",
     Sink::console,
     {{[] { write_line(channel, "Ok"); }, "Ok" + crlf}, {end_of_run, ""}}},
    {"a file gets full buffers of 128 bytes",
     Sink::file,
     {{[] { write_string(channel, a200, 0); }, a200.substr(0, 128)},
      {[] { end_line(channel); }, ""},
      {end_of_run, a200.substr(128) + crlf}}},
    {"a console gets a full buffer before the line ends",
     Sink::console,
     {{[] { write_string(channel, a200, 0); }, a200.substr(0, 128)},
      {[] { end_line(channel); }, a200.substr(128) + crlf}}},
    {"an exactly full buffer goes out at once",
     Sink::pipe,
     {{[] { write_line(channel, b126); }, b126 + crlf}, {end_of_run, ""}}},
    {"a width pads with blanks in front",
     Sink::pipe,
     {{[] { write_string(channel, "abc", 70); }, ""}, {end_of_run, std::string(67, ' ') + "abc"}}},
    {"a width of zero, below zero or below the length neither pads nor cuts",
     Sink::pipe,
     {{[] {
           write_string(channel, "abc", 0);
           write_string(channel, "abc", -5);
           write_string(channel, "abc", 2);
       },
       ""},
      {end_of_run, "abcabcabc"}}},
};

void PrintTo(const BufferCase& c, std::ostream* os) { *os << c.name; }

class Buffering : public StandardOutput, public ::testing::WithParamInterface<BufferCase> {};

TEST_P(Buffering, BytesArriveWhenTheirHandleKindSays)
{
    const BufferCase& c = GetParam();
    attach(c.sink);
    for (std::size_t i = 0; i < c.steps.size(); ++i)
        EXPECT_EQ(during(c.steps[i].action), c.steps[i].arrived) << c.name << ", step " << i + 1;
    EXPECT_EQ(pending_io_error, 0);
}

INSTANTIATE_TEST_SUITE_P(StandardOutput, Buffering, ::testing::ValuesIn(buffer_cases), CaseName{});

TEST_F(StandardOutput, AnEmptyWriteOpensTheChannel)
{
    attach(Sink::pipe);
    during([] { write_string(channel, "", 0); });
    EXPECT_EQ(channel.mode, mode_output);
    EXPECT_EQ(pending_io_error, 0);
}

TEST_F(StandardOutput, ClosedHandleLeavesNotOpenPending)
{
    during([] { write_line(channel, "Ok"); });
    EXPECT_EQ(pending_io_error, err_not_open);
    EXPECT_EQ(channel.mode, mode_closed);
}

TEST_F(StandardOutput, PendingErrorDoesNotStopOutput)
{
    attach(Sink::pipe);
    set_io_error(5);
    EXPECT_EQ(during([] {
                  write_line(channel, "x");
                  end_of_run();
              }),
              "x" + crlf);
    EXPECT_EQ(pending_io_error, 5);
}

TEST_F(StandardOutput, PartlyTakenWriteIsNotDroppedSilently)
{
    attach(Sink::file);
    rlimit saved_limit;
    getrlimit(RLIMIT_FSIZE, &saved_limit);
    rlimit limit = saved_limit;
    limit.rlim_cur = 20;
    setrlimit(RLIMIT_FSIZE, &limit);
    std::string line(40, 'c');
    std::string arrived = during([&] {
        write_line(channel, line);
        end_of_run();
    });
    setrlimit(RLIMIT_FSIZE, &saved_limit);
    EXPECT_EQ(arrived, line.substr(0, 20));
    EXPECT_EQ(pending_io_error, EFBIG);
}

TEST_F(StandardOutput, FailedWriteRecordsTheOsNumberAndGoesOn)
{
    attach(Sink::pipe);
    close(reader_);
    reader_ = -1;
    during([] {
        write_line(channel, b126);
        write_string(channel, "rest", 0);
    });
    EXPECT_EQ(pending_io_error, EPIPE);
    EXPECT_EQ(channel.buffer_pos, 4);
}

}  // namespace
