// The SPARC 64 part of the program's entry: _start, and the thread pointer
// through which the compiler reads the stack guard: g7.
#include <cstdint>

#include "platform/posix/linux/stack_guard.h"

void arch::set_thread_pointer(std::uintptr_t* block) { __asm__ volatile("mov %0, %%g7" : : "r"(block)); }

// The kernel leaves the stack as it was at exec in sp, biased by 2047, with
// the 128-byte register window save area above it and argc past that. The
// first frame also has the 48 bytes a callee may store its arguments in;
// the frame pointer is cleared so that a backtrace ends here.
__asm__(".text\n"
        ".globl _start\n"
        "_start:\n"
        "\tmov %g0, %fp\n"
        "\tadd %sp, 2047 + 128, %o0\n"
        "\tsub %sp, 48, %sp\n"
        "\tcall start_process\n"
        "\t nop\n"
        "\tilltrap 0\n");
