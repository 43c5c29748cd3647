// The 64-bit RISC-V part of the program's entry: _start, and thread storage
// reached through tp. Included once, by start.cpp.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/posix/linux/thread_area.h"

// The compiler reads the stack guard from this word on RISC-V.
extern "C" {
std::uintptr_t __stack_chk_guard;
}

namespace arch {

// The variables begin at the thread pointer itself.
inline ThreadArea lay_out_thread(std::uintptr_t begin, std::uintptr_t end, std::size_t size, std::size_t align)
{
    return lay_out_after_control_block(0, begin, end, size, align);
}

inline void enter_thread(std::uintptr_t pointer, std::uintptr_t stack_guard)
{
    __stack_chk_guard = stack_guard;
    __asm__ volatile("mv tp, %0" : : "r"(pointer) : "memory");
}

}  // namespace arch

// The kernel leaves the stack as it was at exec in sp. The global pointer
// is set before any code the linker may have shortened to use it; the frame
// pointer and return address are cleared so that a backtrace ends here.
__asm__(".text\n"
        ".globl _start\n"
        "_start:\n"
        "\t.option push\n"
        "\t.option norelax\n"
        "\tlla gp, __global_pointer$\n"
        "\t.option pop\n"
        "\tli s0, 0\n"
        "\tli ra, 0\n"
        "\tmv a0, sp\n"
        "\tandi sp, sp, -16\n"
        "\tcall start_process\n"
        "\tunimp\n");
