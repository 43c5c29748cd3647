#include "services/files/file_var.h"
#include "services/files/io_result.h"

std::int64_t file_size(FileVar& file)
{
    if (!is_open(file)) {
        set_io_error(err_not_open);
        return -1;
    }
    LARGE_INTEGER size;
    if (!GetFileSizeEx(file.handle, &size)) {
        set_io_error_from_os();
        return -1;
    }
    return file.record_size == 0 ? 0 : size.QuadPart / file.record_size;
}
