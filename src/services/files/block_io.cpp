#include "services/files/file_var.h"
#include "services/files/io_result.h"

namespace {

// A record size of 0 moves no records rather than dividing by zero.
std::uint32_t whole_records(DWORD bytes, std::uint32_t record_size)
{
    return record_size == 0 ? 0 : bytes / record_size;
}

void finish_transfer(DWORD bytes, const FileVar& file, std::uint32_t count, std::uint32_t* records_done,
                     std::int32_t short_error)
{
    std::uint32_t records = whole_records(bytes, file.record_size);
    if (records_done)
        *records_done = records;
    else if (records != count)
        set_io_error(short_error);
}

}  // namespace

void block_read(FileVar& file, void* buffer, std::uint32_t count, std::uint32_t* records_done)
{
    if (!is_open(file)) {
        set_io_error(err_not_open);
        return;
    }
    DWORD bytes = 0;
    if (!ReadFile(file.handle, buffer, count * file.record_size, &bytes, nullptr)) {
        set_io_error_from_os();
        return;
    }
    finish_transfer(bytes, file, count, records_done, err_short_read);
}

void block_write(FileVar& file, const void* buffer, std::uint32_t count, std::uint32_t* records_done)
{
    if (file.mode != mode_output && file.mode != mode_in_out) {
        set_io_error(err_not_open);
        return;
    }
    DWORD bytes = 0;
    if (!WriteFile(file.handle, buffer, count * file.record_size, &bytes, nullptr)) {
        set_io_error_from_os();
        return;
    }
    finish_transfer(bytes, file, count, records_done, err_short_write);
}
