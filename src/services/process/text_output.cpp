#include "services/process/text_output.h"

#include <array>
#include <cstring>
#include <utility>

#include "services/files/io_result.h"

TextFile standard_input;
TextFile standard_output;

void assign_file(TextFile& channel, String name)
{
    assign_file(static_cast<FileVar&>(channel), std::move(name));
    channel.buffer_ptr = channel.buffer;
    channel.open_op = text_open_op;
}

namespace {

constexpr char line_end[] = {13, 10};
constexpr auto blank_block = [] {
    std::array<char, 64> blanks{};
    blanks.fill(' ');
    return blanks;
}();
constexpr std::int32_t blank_block_size = blank_block.size();

}  // namespace

void write_line(FileVar& channel, std::string_view s)
{
    write_string(channel, s, 0);
    end_line(channel);
}

void write_string(FileVar& channel, std::string_view s, std::int32_t width)
{
    auto length = static_cast<std::int32_t>(s.size());
    write_blanks(channel, width - length);
    write_bytes(channel, s.data(), length);
}

void write_cstring(FileVar& channel, const char* p, std::int32_t width)
{
    write_string(channel, std::string_view(p), width);
}

void write_blanks(FileVar& channel, std::int32_t n)
{
    if (n <= 0)
        return;
    while (n > blank_block_size) {
        write_bytes(channel, blank_block.data(), blank_block_size);
        n -= blank_block_size;
        if (pending_io_error != 0)
            return;
    }
    write_bytes(channel, blank_block.data(), n);
}

void write_bytes(FileVar& channel, const void* bytes, std::int32_t n)
{
    if (channel.mode != mode_output) {
        if (channel.opens_on_write)
            rewrite_text(channel);
        if (channel.mode != mode_output) {
            set_io_error(err_not_open_for_output);
            return;
        }
    }
    const auto* src = static_cast<const unsigned char*>(bytes);
    for (;;) {
        std::int32_t free = static_cast<std::int32_t>(channel.record_size) - channel.buffer_pos;
        if (free > n) {
            std::memcpy(channel.buffer_ptr + channel.buffer_pos, src, static_cast<std::size_t>(n));
            channel.buffer_pos += n;
            return;
        }
        // A buffer that becomes exactly full goes out now, not at the next byte.
        std::memcpy(channel.buffer_ptr + channel.buffer_pos, src, static_cast<std::size_t>(free));
        channel.buffer_pos = static_cast<std::int32_t>(channel.record_size);
        n -= free;
        src += free;
        if (std::int32_t error = channel.in_out_op(channel)) {
            set_io_error(error);
            return;
        }
    }
}

void end_line(FileVar& channel)
{
    write_bytes(channel, line_end, sizeof line_end);
    finish_write(channel);
}

void finish_write(FileVar& channel)
{
    if (channel.mode == mode_output) {
        if (std::int32_t error = channel.flush_op(channel))
            set_io_error(error);
    } else if (channel.mode != mode_input) {
        set_io_error(err_not_open);
    }
}

void open_text(FileVar& channel, FileVarMode requested_mode)
{
    switch (channel.mode) {
    case mode_closed: break;
    case mode_input:
    case mode_output:
    case mode_in_out: close_file(channel); break;
    default: set_io_error(err_not_assigned); return;
    }
    channel.mode = requested_mode;
    if (std::int32_t error = channel.open_op(channel))
        set_io_error(error);
}

void rewrite_text(FileVar& channel) { open_text(channel, mode_output); }

std::int32_t text_open_op(FileVar& channel)
{
    return text_open_on(channel, GetStdHandle(channel.mode == mode_output ? STD_OUTPUT_HANDLE : STD_INPUT_HANDLE));
}

std::int32_t text_open_on(FileVar& channel, HANDLE handle)
{
    channel.in_out_op = text_write_op;
    channel.flush_op = no_op;
    channel.close_op = no_op;
    channel.handle = handle;
    if (channel.handle == INVALID_HANDLE_VALUE) {
        channel.mode = mode_closed;
        return static_cast<std::int32_t>(GetLastError());
    }
    if (channel.mode != mode_input) {
        switch (GetFileType(channel.handle)) {
        case FILE_TYPE_UNKNOWN:
            CloseHandle(channel.handle);
            channel.mode = mode_closed;
            return err_not_open_for_output;
        case FILE_TYPE_CHAR: channel.flush_op = text_write_op; break;
        default: break;
        }
    }
    return 0;
}

// Text is never dropped silently: WriteFile returns only when every byte is
// out or it has failed, so a write it ends short is an error.
std::int32_t text_write_op(FileVar& channel)
{
    std::int32_t n = channel.buffer_pos;
    if (n <= 0)
        return 0;
    channel.buffer_pos = 0;
    DWORD written = 0;
    if (!WriteFile(channel.handle, channel.buffer_ptr, static_cast<DWORD>(n), &written, nullptr))
        return static_cast<std::int32_t>(GetLastError());
    return written == static_cast<DWORD>(n) ? 0 : err_short_write;
}
