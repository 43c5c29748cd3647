// Random sequences of writes to a text channel opened by its first write, as
// standard output is, on a console and on a file,
// against the bytes that must come out and when they must have come out.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <fuzzer/FuzzedDataProvider.h>
#include <string>
#include <unistd.h>

#include "services/files/io_result.h"
#include "services/process/text_output.h"
#include "terminal.h"

namespace {

SinkEnds console;  // a pseudo-terminal: a character device
SinkEnds file;     // a regular file
int sink = -1;     // what the channel opens on
TextFile channel;

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    console = open_sink(SinkKind::console);
    file = open_sink(SinkKind::file);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size)
{
    FuzzedDataProvider in(data, size);
    bool to_console = in.ConsumeBool();
    const SinkEnds& ends = to_console ? console : file;
    sink = ends.writer;
    if (!to_console) {
        ftruncate(file.writer, 0);
        lseek(file.reader, 0, SEEK_SET);
    }
    read_available(ends.reader);

    assign_file(channel, String());
    channel.open_op = [](FileVar& opened) {
        return text_open_on(opened, reinterpret_cast<HANDLE>(static_cast<std::intptr_t>(sink)));
    };
    channel.opens_on_write = true;
    pending_io_error = 0;

    std::string expected;
    std::string arrived;
    while (in.remaining_bytes() > 0) {
        bool line_ended = false;
        switch (in.ConsumeIntegralInRange(0, 4)) {
        case 0: {
            std::string s = in.ConsumeRandomLengthString(200);
            std::int32_t width = in.ConsumeIntegral<std::int8_t>() * 3;
            write_string(channel, s, width);
            expected.append(std::max<std::int32_t>(width - static_cast<std::int32_t>(s.size()), 0), ' ');
            expected += s;
            break;
        }
        case 1: {
            std::string s = in.ConsumeRandomLengthString(100);
            s = s.c_str();
            write_cstring(channel, s.c_str(), 0);
            expected += s;
            break;
        }
        case 2: {
            auto n = in.ConsumeIntegralInRange<std::int32_t>(-50, 205);
            write_blanks(channel, n);
            expected.append(std::max(n, 0), ' ');
            break;
        }
        case 3: {
            std::string s = in.ConsumeRandomLengthString(200);
            write_line(channel, s);
            expected += s + "\r\n";
            line_ended = true;
            break;
        }
        default:
            end_line(channel);
            expected += "\r\n";
            line_ended = true;
            break;
        }
        arrived += read_available(ends.reader);
        // Nothing is lost or reordered; a console is never behind a line end;
        // otherwise output goes in whole buffers and at most one waits.
        if (expected.compare(0, arrived.size(), arrived) != 0 || expected.size() - arrived.size() >= 128 ||
            (to_console && line_ended && arrived != expected) || (!to_console && arrived.size() % 128 != 0))
            std::abort();
    }
    if (channel.mode == mode_output)  // opened by the first write
        close_file(channel);
    arrived += read_available(ends.reader);
    if (arrived != expected || pending_io_error != 0)
        std::abort();
    return 0;
}
