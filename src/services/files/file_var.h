// File variables: one record for binary files and text channels, bound to a
// name, opened, moved in whole records and closed. Failures are recorded as
// numbers (io_result.h), never returned.
#pragma once

#include <cstdint>

#include "platform/win32.h"
#include "services/core/string.h"

enum FileVarMode : std::uint32_t {
    mode_closed = 0xD7B0,
    mode_input = 0xD7B1,
    mode_output = 0xD7B2,
    mode_in_out = 0xD7B3,
};

struct FileVar;
// An operation stored in a file variable; returns 0 or an error number.
using FileOp = std::int32_t (*)(FileVar&);

constexpr std::int32_t text_buffer_size = 128;

struct FileVar {
    HANDLE handle;
    FileVarMode mode;  // 0, or anything but the four values, means not bound
    std::uint32_t record_size;
    std::int32_t buffer_pos;
    std::int32_t buffer_end;
    unsigned char* buffer_ptr;
    FileOp open_op;
    FileOp in_out_op;
    FileOp flush_op;
    FileOp close_op;
    unsigned char user_data[32];
    String name;  // empty: a standard handle
    // A text channel that opens itself for output on its first write, as
    // standard output does.
    bool opens_on_write;
    // A channel this system never opens, as standard input: closing it while
    // it is closed is nothing.
    bool never_opened;
};

inline bool is_open(const FileVar& file)
{
    return file.mode == mode_input || file.mode == mode_output || file.mode == mode_in_out;
}

// 0 read only, 1 write only, 2 read and write: how open_existing opens.
extern std::uint8_t default_open_mode;

// Binds to name, taking the string over; the old name is released. The whole
// name is kept, however long. A text channel's own assign_file
// (text_output.h) adds its buffer and its open operation.
void assign_file(FileVar& file, String name);

void open_existing(FileVar& file, std::uint32_t record_size);
void create_file(FileVar& file, std::uint32_t record_size);
void block_read(FileVar& file, void* buffer, std::uint32_t count, std::uint32_t* records_done = nullptr);
void block_write(FileVar& file, const void* buffer, std::uint32_t count, std::uint32_t* records_done = nullptr);
// The size in records, or -1 when it cannot be had.
std::int64_t file_size(FileVar& file);
void close_file(FileVar& file);

std::int32_t no_op(FileVar& file);
std::int32_t close_handle_op(FileVar& file);
