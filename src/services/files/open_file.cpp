#include "services/files/file_var.h"
#include "services/files/io_result.h"

std::uint8_t default_open_mode;

namespace {

constexpr std::uint8_t open_create = 3;

struct OpenRequest {
    DWORD access;
    DWORD disposition;
    FileVarMode mode;
};

constexpr OpenRequest open_requests[] = {
    {GENERIC_READ, OPEN_EXISTING, mode_input},
    {GENERIC_WRITE, OPEN_EXISTING, mode_output},
    {GENERIC_READ | GENERIC_WRITE, OPEN_EXISTING, mode_in_out},
    {GENERIC_READ | GENERIC_WRITE, CREATE_ALWAYS, mode_in_out},
};

void open_file(FileVar& file, std::uint32_t record_size, std::uint8_t open_request)
{
    switch (file.mode) {
    case mode_closed: break;
    case mode_input:
    case mode_output:
    case mode_in_out:
        if (std::int32_t error = file.close_op(file))
            set_io_error(error);
        break;
    default: set_io_error(err_not_assigned); return;
    }

    file.mode = mode_in_out;
    file.record_size = record_size;
    file.close_op = close_handle_op;
    file.in_out_op = no_op;

    HANDLE handle;
    if (file.name.length == 0) {
        // A standard handle is never closed, and keeps its mode through close_file.
        file.close_op = no_op;
        handle = GetStdHandle(open_request == open_create ? STD_OUTPUT_HANDLE : STD_INPUT_HANDLE);
    } else {
        if (DWORD refusal = name_refusal(file.name.c_str())) {
            file.mode = mode_closed;
            set_io_error(static_cast<std::int32_t>(refusal));
            return;
        }
        const OpenRequest& request = open_requests[open_request];
        handle = CreateFileA(file.name.c_str(), request.access, FILE_SHARE_READ, nullptr, request.disposition,
                             FILE_ATTRIBUTE_NORMAL, nullptr);
        file.mode = request.mode;
    }

    if (handle == INVALID_HANDLE_VALUE) {
        file.mode = mode_closed;
        set_io_error_from_os();
    } else {
        file.handle = handle;
    }
}

}  // namespace

void open_existing(FileVar& file, std::uint32_t record_size)
{
    open_file(file, record_size, default_open_mode > 2 ? 2 : default_open_mode);
}

void create_file(FileVar& file, std::uint32_t record_size) { open_file(file, record_size, open_create); }

std::int32_t no_op(FileVar&) { return 0; }

std::int32_t close_handle_op(FileVar& file)
{
    file.mode = mode_closed;
    if (!CloseHandle(file.handle))
        return static_cast<std::int32_t>(GetLastError());
    return 0;
}
