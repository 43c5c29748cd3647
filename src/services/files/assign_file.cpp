#include "services/files/file_var.h"

#include <utility>

void assign_file(FileVar& file, String name)
{
    file.handle = nullptr;
    file.mode = mode_closed;
    file.record_size = text_buffer_size;
    file.buffer_pos = 0;
    file.buffer_end = 0;
    file.buffer_ptr = nullptr;
    file.open_op = nullptr;
    file.in_out_op = nullptr;
    file.flush_op = nullptr;
    file.close_op = nullptr;
    file.opens_on_write = false;
    file.never_opened = false;
    release_string(file.name);
    file.name = std::move(name);
}
