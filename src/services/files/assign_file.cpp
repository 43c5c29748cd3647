#include "services/files/file_var.h"

#include <utility>

#include "services/process/text_output.h"

void assign_file(FileVar& file, String name)
{
    file.handle = nullptr;
    file.mode = mode_closed;
    file.record_size = text_buffer_size;
    file.buffer_pos = 0;
    file.buffer_end = 0;
    file.buffer_ptr = nullptr;
    file.open_op = text_open_op;
    file.in_out_op = nullptr;
    file.flush_op = nullptr;
    file.close_op = nullptr;
    release_string(file.name);
    file.name = std::move(name);
}

void assign_file(TextFile& file, String name)
{
    assign_file(static_cast<FileVar&>(file), std::move(name));
    file.buffer_ptr = file.buffer;
}
