// The x86-64 part of the program's entry: _start, and the stack guard, which
// the compiler reads through fs. Included once, by start.cpp.
#pragma once

#include <asm/prctl.h>
#include <asm/unistd.h>
#include <cstdint>

#include "syscall_arch.h"

namespace arch {

// The compiler reads the guard at fs:0x28, in a control block that begins
// with its own address, as the thread pointer's block does.
alignas(64) inline std::uintptr_t control_block[8];

inline void set_stack_guard(std::uintptr_t guard)
{
    control_block[0] = reinterpret_cast<std::uintptr_t>(control_block);
    control_block[5] = guard;
    sys::raw(__NR_arch_prctl, ARCH_SET_FS, reinterpret_cast<long>(control_block));
}

}  // namespace arch

// The kernel leaves the stack as it was at exec in rsp; the frame pointer is
// cleared so that a backtrace ends here.
__asm__(".text\n"
        ".globl _start\n"
        "_start:\n"
        "\txor %ebp, %ebp\n"
        "\tmov %rsp, %rdi\n"
        "\tand $-16, %rsp\n"
        "\tcall start_process\n"
        "\thlt\n");
