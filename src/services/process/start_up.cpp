#include "services/process/start_up.h"

#include "services/core/run_error_hook.h"
#include "services/files/file_var.h"
#include "services/files/io_result.h"
#include "services/process/termination.h"
#include "services/process/text_output.h"

void start_up()
{
    exit_code = 0;
    exit_proc = nullptr;
    error_address = nullptr;
    run_error_hook = run_error;
    pending_io_error = 0;
    default_open_mode = 2;
    assign_file(standard_input, String());
    standard_input.never_opened = true;
    assign_file(standard_output, String());
    standard_output.opens_on_write = true;
    // From here on every report goes to standard output.
    is_console = 1;
}
