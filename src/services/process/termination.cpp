#include "services/process/termination.h"

#include <charconv>
#include <cstring>

#include "platform/win32.h"
#include "services/files/file_var.h"
#include "services/process/text_output.h"

std::int32_t exit_code;
const void* error_address;
ExitProc exit_proc;
std::uint8_t is_console;

namespace {

constexpr char report_template[] = "Runtime error     at 00000000";
constexpr std::size_t report_length = sizeof report_template - 1;
constexpr std::size_t number_end = 16;  // column of the number's last digit
constexpr std::size_t offset_end = 28;  // column of the offset's last digit

[[noreturn]] void common_end(std::int32_t code)
{
    exit_code = code;
    while (exit_proc) {
        ExitProc proc = exit_proc;
        exit_proc = nullptr;
        proc();
    }
    if (error_address) {
        char line[report_capacity];
        auto offset = static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(error_address) -
                                                 reinterpret_cast<std::uintptr_t>(code_section_start()));
        format_report(line, static_cast<std::uint32_t>(exit_code), offset);
        if (is_console) {
            // Not checked: a report that cannot be written has nowhere to go.
            write_cstring(standard_output, line, 0);
            end_line(standard_output);
        } else {
            MessageBoxA(nullptr, line, "Error", MB_OK);
        }
    }
    close_file(standard_input);
    close_file(standard_output);
    ExitProcess(static_cast<unsigned>(exit_code));
}

}  // namespace

std::size_t format_report(char (&line)[report_capacity], std::uint32_t number, std::uint32_t offset)
{
    char digits[10];
    auto count = static_cast<std::size_t>(std::to_chars(digits, digits + sizeof digits, number).ptr - digits);

    // Up to four digits fit the template's field; a longer number widens the
    // line instead of running over the word "error".
    std::size_t widen = count > 4 ? count - 3 : 0;
    std::memcpy(line, report_template, number_end - 3);
    std::memset(line + number_end - 3, ' ', 4 + widen);
    std::memcpy(line + number_end + 1 + widen, report_template + number_end + 1, report_length - number_end);
    std::memcpy(line + number_end + widen + 1 - count, digits, count);

    static constexpr char hex[] = "0123456789ABCDEF";
    for (std::size_t i = 0; i < 8; ++i, offset >>= 4)
        line[offset_end + widen - i] = hex[offset & 0xF];
    line[report_length + widen] = '\0';
    return report_length + widen;
}

void halt()
{
    error_address = nullptr;
    common_end(0);
}

void run_error(std::int32_t number, const void* address)
{
    error_address = address;
    common_end(number);
}
