#include "services/files/file_var.h"
#include "services/files/io_result.h"
#include "services/process/text_output.h"

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
        // Standard input is never opened here, and closing it must stay silent.
        if (&file != &standard_input)
            error = err_not_open;
        break;
    }
    if (error != 0)
        set_io_error(error);
}
