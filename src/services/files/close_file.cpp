#include "services/files/file_var.h"
#include "services/files/io_result.h"

void close_file(FileVar& file)
{
    std::int32_t error = 0;
    switch (file.mode) {
    case mode_input: error = file.close_op(file); break;
    case mode_output:
    case mode_in_out:
        error = file.in_out_op(file);
        if (error == 0)
            error = file.close_op(file);
        break;
    default:
        if (!file.never_opened)
            error = err_not_open;
        break;
    }
    if (error != 0)
        set_io_error(error);
}
