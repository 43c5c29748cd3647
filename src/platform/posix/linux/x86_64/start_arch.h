// The x86-64 part of the program's entry: _start, and the stack guard, which
// the compiler reads through fs. Included once, by start.cpp.
#pragma once

#include <asm/prctl.h>
#include <asm/unistd.h>
#include <cstdint>

#include "syscall_arch.h"

namespace arch {

inline void set_thread_pointer(std::uintptr_t* block)
{
    sys::raw(__NR_arch_prctl, ARCH_SET_FS, reinterpret_cast<long>(block));
}

}  // namespace arch

#include "platform/posix/linux/guard_thread.h"

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
