// The IBM Z part of the program's entry: _start, and the thread pointer
// through which the compiler reads the stack guard: access registers a0 and a1.
#include <cstdint>

#include "platform/posix/linux/stack_guard.h"

void arch::set_thread_pointer(std::uintptr_t* block)
{
    auto address = reinterpret_cast<std::uintptr_t>(block);
    __asm__ volatile("sar %%a0, %0\n\tsar %%a1, %1" : : "r"(address >> 32), "r"(address));
}

// The kernel leaves the stack as it was at exec in r15, argc on top. The
// first frame holds the 160-byte save area a callee may store its caller's
// registers in, with a null back chain so that a backtrace ends here.
__asm__(".text\n"
        ".globl _start\n"
        "_start:\n"
        "\tlgr %r2, %r15\n"
        "\taghi %r15, -160\n"
        "\txc 0(8, %r15), 0(%r15)\n"
        "\tbrasl %r14, start_process\n"
        "\t.short 0\n");
