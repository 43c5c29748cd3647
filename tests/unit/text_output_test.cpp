// What reaches a text channel's handle, and when, for each kind of handle.
// The channel under test is the tests' own, opened by its first write on a
// sink of their own, as standard output is on descriptor 1; what arrived
// during each action is read back from the sink's other end.
#include <gtest/gtest.h>

#include "case_name.h"

#include <cerrno>
#include <fcntl.h>
#include <string>
#include <string_view>
#include <sys/resource.h>
#include <unistd.h>
#include <vector>

#include "services/files/io_result.h"
#include "services/process/text_output.h"
#include "terminal.h"

namespace {

TextFile channel;
int sink_fd = -1;  // what the channel opens on

class StandardOutput : public ::testing::Test {
protected:
    void SetUp() override
    {
        assign_file(channel, String());
        channel.open_op = [](FileVar& opened) {
            return text_open_on(opened, reinterpret_cast<HANDLE>(static_cast<std::intptr_t>(sink_fd)));
        };
        channel.opens_on_write = true;
        pending_io_error = 0;
        // A descriptor number that is closed: the sink until one is attached.
        sink_fd = open("/dev/null", O_RDONLY);
        close(sink_fd);
    }

    void TearDown() override
    {
        close(ends_.writer);
        close(ends_.reader);
    }

    void attach(SinkKind kind)
    {
        ends_ = open_sink(kind);
        if (ends_.reader < 0)
            GTEST_SKIP() << "the system gives no pseudo-terminal to stand for a console";
        sink_fd = ends_.writer;
    }

    SinkEnds ends_;
};

const std::string crlf = "\r\n";
const std::string a200(200, 'a');
const std::string b126(126, 'b');
const std::string b126_line = b126 + "\n";

void end_of_run() { close_file(channel); }

// One step: text written at a width (a line when it ends in "\n", a line end
// alone when it is just that), or the end of the run when it is null; and
// the bytes that arrive during it.
struct Step {
    const char* text;
    std::int32_t width;
    std::string arrived;
};

void take(const Step& step)
{
    std::string_view text = step.text ? step.text : "";
    if (!step.text)
        end_of_run();
    else if (text == "\n")
        end_line(channel);
    else if (text.ends_with('\n'))
        write_line(channel, text.substr(0, text.size() - 1));
    else
        write_string(channel, text, step.width);
}

struct BufferCase {
    const char* name;
    SinkKind sink;
    std::vector<Step> steps;
};

const std::vector<BufferCase> buffer_cases = {
    {"a line to a file waits for the end of the run", SinkKind::file, {{"Ok\n", 0, ""}, {nullptr, 0, "Ok" + crlf}}},
    {"a line to a pipe waits for the end of the run", SinkKind::pipe, {{"Ok\n", 0, ""}, {nullptr, 0, "Ok" + crlf}}},
    {"a console gets each line at its end", SinkKind::console, {{"Ok\n", 0, "Ok" + crlf}, {nullptr, 0, ""}}},
    {"a file gets full buffers of 128 bytes",
     SinkKind::file,
     {{a200.c_str(), 0, a200.substr(0, 128)}, {"\n", 0, ""}, {nullptr, 0, a200.substr(128) + crlf}}},
    {"a console gets a full buffer before the line ends",
     SinkKind::console,
     {{a200.c_str(), 0, a200.substr(0, 128)}, {"\n", 0, a200.substr(128) + crlf}}},
    {"an exactly full buffer goes out at once",
     SinkKind::pipe,
     {{b126_line.c_str(), 0, b126 + crlf}, {nullptr, 0, ""}}},
    {"a width pads with blanks in front",
     SinkKind::pipe,
     {{"abc", 70, ""}, {nullptr, 0, std::string(67, ' ') + "abc"}}},
    {"a width of zero, below zero or below the length neither pads nor cuts",
     SinkKind::pipe,
     {{"abc", 0, ""}, {"abc", -5, ""}, {"abc", 2, ""}, {nullptr, 0, "abcabcabc"}}},
};

void PrintTo(const BufferCase& c, std::ostream* os) { *os << c.name; }

class Buffering : public StandardOutput, public ::testing::WithParamInterface<BufferCase> {};

TEST_P(Buffering, BytesArriveWhenTheirHandleKindSays)
{
    const BufferCase& c = GetParam();
    attach(c.sink);
    if (IsSkipped())
        return;
    for (std::size_t i = 0; i < c.steps.size(); ++i) {
        take(c.steps[i]);
        EXPECT_EQ(read_available(ends_.reader), c.steps[i].arrived) << c.name << ", step " << i + 1;
    }
    EXPECT_EQ(pending_io_error, 0);
}

INSTANTIATE_TEST_SUITE_P(StandardOutput, Buffering, ::testing::ValuesIn(buffer_cases), CaseName{});

TEST_F(StandardOutput, AnEmptyWriteOpensTheChannel)
{
    attach(SinkKind::pipe);
    write_string(channel, "", 0);
    EXPECT_EQ(channel.mode, mode_output);
    EXPECT_EQ(pending_io_error, 0);
}

TEST_F(StandardOutput, ClosedHandleLeavesNotOpenPending)
{
    write_line(channel, "Ok");
    EXPECT_EQ(pending_io_error, err_not_open);
    EXPECT_EQ(channel.mode, mode_closed);
}

TEST_F(StandardOutput, PendingErrorDoesNotStopOutput)
{
    attach(SinkKind::pipe);
    set_io_error(5);
    write_line(channel, "x");
    end_of_run();
    EXPECT_EQ(read_available(ends_.reader), "x" + crlf);
    EXPECT_EQ(pending_io_error, 5);
}

TEST_F(StandardOutput, PartlyTakenWriteIsNotDroppedSilently)
{
    attach(SinkKind::file);
    rlimit saved_limit;
    getrlimit(RLIMIT_FSIZE, &saved_limit);
    rlimit limit{20, saved_limit.rlim_max};
    setrlimit(RLIMIT_FSIZE, &limit);
    std::string line(40, 'c');
    write_line(channel, line);
    end_of_run();
    setrlimit(RLIMIT_FSIZE, &saved_limit);
    EXPECT_EQ(read_available(ends_.reader), line.substr(0, 20));
    EXPECT_EQ(pending_io_error, EFBIG);
}

TEST_F(StandardOutput, FailedWriteRecordsTheOsNumberAndGoesOn)
{
    attach(SinkKind::pipe);
    close(ends_.reader);
    ends_.reader = -1;
    write_line(channel, b126);
    write_string(channel, "rest", 0);
    EXPECT_EQ(pending_io_error, EPIPE);
    EXPECT_EQ(channel.buffer_pos, 4);
}

}  // namespace
