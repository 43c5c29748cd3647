// headcopy: the first 500 bytes of a file, copied beside it as NAME.start.
//
// Every refusal is one line and exit code 0; an I/O failure the command does
// not test for itself ends the run with the runtime error report. The input
// is asked for reading and writing, shared for reading only, so an input the
// user may not write is refused and a NAME.start that is another name of it
// cannot be created; each platform decides how it keeps that request.
#include "command/headcopy.h"

#include <cstdint>
#include <string_view>
#include <utility>

#include "services/files/file_var.h"
#include "services/files/io_result.h"
#include "services/process/command_line.h"
#include "services/process/termination.h"
#include "services/process/text_output.h"

namespace {

constexpr std::uint32_t head_size = 500;
constexpr std::string_view output_suffix = ".start";

FileVar input_file;
FileVar output_file;
unsigned char head_buffer[head_size];

[[noreturn]] void fail(std::string_view message)
{
    write_line(standard_output, message);
    check_io();
    halt();
}

}  // namespace

void headcopy()
{
    if (param_count() != 1)
        fail("Need 1 parameter");

    assign_file(input_file, param_str(1));
    open_existing(input_file, 1);
    if (take_io_result() != 0)
        fail("can't find 1st file");

    String output_name = param_str(1);
    append_string(output_name, output_suffix);
    assign_file(output_file, std::move(output_name));
    create_file(output_file, 1);
    if (take_io_result() != 0)
        fail("can't create 2nd file");

    std::int64_t size = file_size(input_file);
    check_io();
    if (size < head_size)
        fail("The file must contain at least 500 bytes");

    block_read(input_file, head_buffer, head_size);
    check_io();
    block_write(output_file, head_buffer, head_size);
    check_io();

    close_file(input_file);
    check_io();
    close_file(output_file);
    check_io();

    write_line(standard_output, "Ok");
    check_io();
    halt();
}
