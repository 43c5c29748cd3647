// Text channels on the standard handles. Text is gathered in the channel's
// 128-byte buffer: a console gets it at every line end, a file or pipe in
// full buffers and the rest when the run ends.
#pragma once

#include <cstdint>
#include <string_view>

#include "services/files/file_var.h"

// A file variable used as a text channel carries its own buffer.
struct TextFile : FileVar {
    unsigned char buffer[text_buffer_size];
};

extern TextFile standard_input;
extern TextFile standard_output;

void write_line(FileVar& channel, std::string_view s);
void write_string(FileVar& channel, std::string_view s, std::int32_t width);
void write_cstring(FileVar& channel, const char* p, std::int32_t width);
void write_blanks(FileVar& channel, std::int32_t n);
void write_bytes(FileVar& channel, const void* bytes, std::int32_t n);
void end_line(FileVar& channel);
void finish_write(FileVar& channel);

// Binds a text channel as assign_file binds any file variable, with its own
// buffer and the text open operation.
void assign_file(TextFile& channel, String name);
void open_text(FileVar& channel, FileVarMode requested_mode);
void rewrite_text(FileVar& channel);

// Opens the channel on the standard handle its mode asks for.
std::int32_t text_open_op(FileVar& channel);
// The same open on a handle already had: its operations, and a flush at
// every line end for a console.
std::int32_t text_open_on(FileVar& channel, HANDLE handle);
std::int32_t text_write_op(FileVar& channel);
