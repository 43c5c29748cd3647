// The AArch64 part of the program's entry: _start, and thread storage
// reached through tpidr_el0. Included once, by start.cpp.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/posix/linux/thread_area.h"

// The compiler reads the stack guard from this word on AArch64.
extern "C" {
std::uintptr_t __stack_chk_guard;
}

namespace arch {

// The thread pointer points at a 16-byte control block.
inline ThreadArea lay_out_thread(std::uintptr_t begin, std::uintptr_t end, std::size_t size, std::size_t align)
{
    return lay_out_after_control_block(16, begin, end, size, align);
}

inline void enter_thread(std::uintptr_t pointer, std::uintptr_t stack_guard)
{
    __stack_chk_guard = stack_guard;
    __asm__ volatile("msr tpidr_el0, %0" : : "r"(pointer) : "memory");
}

}  // namespace arch

// The kernel leaves the stack as it was at exec in sp, 16-byte aligned; the
// frame pointer and link register are cleared so that a backtrace ends here.
__asm__(".text\n"
        ".globl _start\n"
        "_start:\n"
        "\tmov x29, #0\n"
        "\tmov x30, #0\n"
        "\tmov x0, sp\n"
        "\tbl start_process\n"
        "\tudf #0\n");
