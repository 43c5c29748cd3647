// The x86-64 part of the program's entry: _start, and the thread pointer
// through which the compiler reads the stack guard: fs.
#include <asm/prctl.h>
#include <asm/unistd.h>
#include <cstdint>

#include "platform/posix/linux/stack_guard.h"

#include "syscall_arch.h"

void arch::set_thread_pointer(std::uintptr_t* block)
{
    sys::raw(__NR_arch_prctl, ARCH_SET_FS, reinterpret_cast<long>(block));
}

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
