// Whole records in and out of file variables, and the numbers that only the
// services themselves can give.
#include <gtest/gtest.h>

#include "case_name.h"

#include <algorithm>
#include <cerrno>
#include <string>
#include <sys/socket.h>
#include <unistd.h>
#include <vector>

#include "services/files/file_var.h"
#include "services/files/io_result.h"
#include "services/process/text_output.h"
#include "terminal.h"

namespace {

// A handle that hands its bytes over in pieces, as a network or user-space
// file system may: each record sent is one read's worth. A reset stream
// fails the read that follows its bytes.
struct PieceCase {
    const char* name;
    std::vector<std::size_t> pieces;
    std::int32_t error;
    bool reset = false;
};

const std::vector<PieceCase> piece_cases = {
    {"five reads of 100 make one block of 500", {100, 100, 100, 100, 100}, 0},
    {"a first read of 1 byte", {1, 499}, 0},
    {"an end after 300 bytes is a short read", {100, 200}, err_short_read},
    {"a later piece larger than what is left stops at the count", {100, 600}, 0},
    {"an error after 256 bytes is the system's, the bytes kept", {256}, ECONNRESET, true},
};

void PrintTo(const PieceCase& c, std::ostream* os) { *os << c.name; }

class Pieces : public ::testing::TestWithParam<PieceCase> {};

TEST_P(Pieces, ReadUpToTheCount)
{
    const PieceCase& c = GetParam();
    int ends[2];
    ASSERT_EQ(socketpair(AF_UNIX, c.reset ? SOCK_STREAM : SOCK_SEQPACKET, 0, ends), 0);
    std::string sent;
    for (std::size_t size : c.pieces) {
        std::string piece(size, static_cast<char>('a' + sent.size() % 26));
        ASSERT_EQ(write(ends[1], piece.data(), size), static_cast<ssize_t>(size));
        sent += piece;
    }
    // A stream closed with bytes it never read is reset at the other end.
    if (c.reset)
        ASSERT_EQ(write(ends[0], "x", 1), 1);
    close(ends[1]);

    FileVar file{
        .handle = reinterpret_cast<HANDLE>(static_cast<std::intptr_t>(ends[0])), .mode = mode_input, .record_size = 1};
    std::string got(1000, '\0');  // the second half guards the end of the 500
    pending_io_error = 0;
    block_read(file, got.data(), 500);
    close(ends[0]);
    EXPECT_EQ(take_io_result(), c.error);
    EXPECT_EQ(got.substr(0, std::min<std::size_t>(sent.size(), 500)), sent.substr(0, 500));
    EXPECT_EQ(got.substr(500), std::string(500, '\0'));
}

INSTANTIATE_TEST_SUITE_P(BlockRead, Pieces, ::testing::ValuesIn(piece_cases), CaseName{});

// A file variable never bound, and a channel not open for output.
TEST(ServiceErrors, NumbersOfTheServicesOwn)
{
    TextFile unbound{};
    pending_io_error = 0;
    rewrite_text(unbound);
    EXPECT_EQ(take_io_result(), 102);

    TextFile channel{};
    assign_file(channel, String());
    write_string(channel, "x", 0);
    EXPECT_EQ(take_io_result(), 105);
}

// An operation on a file variable that is not open, as the service's own
// rules answer it: 103, and nothing done to the handle or the bytes; a
// close of the standard input that this system never opens records nothing.
// The handle is a live socket, so that a read, a write or a close would show.
enum class Operation { read, write, size, close };

struct NotOpenCase {
    const char* name;
    Operation operation;
    FileVarMode mode;
    bool never_opened;
    std::int32_t error;
};

const std::vector<NotOpenCase> not_open_cases = {
    {"a read from a closed file", Operation::read, mode_closed, false, err_not_open},
    {"a write to a closed file", Operation::write, mode_closed, false, err_not_open},
    {"a write to a file open for reading only", Operation::write, mode_input, false, err_not_open},
    {"the size of a closed file", Operation::size, mode_closed, false, err_not_open},
    {"closing a closed file", Operation::close, mode_closed, false, err_not_open},
    {"closing the never-opened standard input", Operation::close, mode_closed, true, 0},
};

// The size, -1 where it cannot be had; the other operations give nothing, 0.
std::int64_t apply(Operation operation, FileVar& file, char* bytes)
{
    switch (operation) {
    case Operation::read: block_read(file, bytes, 1); break;
    case Operation::write: block_write(file, bytes, 1); break;
    case Operation::size: return file_size(file);
    case Operation::close: close_file(file); break;
    }
    return 0;
}

void PrintTo(const NotOpenCase& c, std::ostream* os) { *os << c.name; }

class NotOpen : public ::testing::TestWithParam<NotOpenCase> {};

TEST_P(NotOpen, RecordsItsNumberAndTouchesNothing)
{
    const NotOpenCase& c = GetParam();
    int ends[2];
    ASSERT_EQ(socketpair(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK, 0, ends), 0);
    ASSERT_EQ(write(ends[1], "waiting", 7), 7);
    FileVar file{.handle = reinterpret_cast<HANDLE>(static_cast<std::intptr_t>(ends[0])),
                 .mode = c.mode,
                 .record_size = 8,
                 .in_out_op = no_op,
                 .close_op = close_handle_op,
                 .never_opened = c.never_opened};
    char bytes[] = "untouched";
    pending_io_error = 0;
    EXPECT_EQ(apply(c.operation, file, bytes), c.operation == Operation::size ? -1 : 0);
    EXPECT_EQ(take_io_result(), c.error);
    EXPECT_EQ(file.mode, c.mode);
    EXPECT_STREQ(bytes, "untouched");
    EXPECT_EQ(read_available(ends[1]), "") << "written to the handle";
    EXPECT_EQ(read_available(ends[0]), "waiting") << "read from the handle, or closed";
    close(ends[0]);
    close(ends[1]);
}

INSTANTIATE_TEST_SUITE_P(ServiceErrors, NotOpen, ::testing::ValuesIn(not_open_cases), CaseName{});

#if defined(HEADCOPY_HEAP_CHECK) && HEADCOPY_HEAP_CHECK
// A write one byte past a block is seen when the block is freed, and at exit.
TEST(HeapGuard, AWritePastABlockEndsTheRun)
{
    for (bool free_it : {true, false}) {
        EXPECT_EXIT(
            {
                auto* block = static_cast<char*>(HeapAlloc(GetProcessHeap(), 0, 10));
                block[10] = 'x';
                if (free_it)
                    HeapFree(GetProcessHeap(), 0, block);
                ExitProcess(0);
            },
            ::testing::ExitedWithCode(134), "heap guard overwritten")
            << (free_it ? "on free" : "at exit");
    }
}
#endif

}  // namespace
