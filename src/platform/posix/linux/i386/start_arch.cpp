// The 32-bit x86 part of the program's entry: _start, and the thread
// pointer through which the compiler reads the stack guard: gs, a thread
// area of the kernel's global table.
#include <asm/ldt.h>
#include <asm/unistd.h>
#include <cstdint>

#include "platform/posix/linux/stack_guard.h"

#include "syscall_arch.h"

void arch::set_thread_pointer(std::uintptr_t* block)
{
    user_desc area{};
    area.entry_number = static_cast<unsigned>(-1);  // the kernel picks a free entry
    area.base_addr = static_cast<unsigned>(reinterpret_cast<std::uintptr_t>(block));
    area.limit = 0xfffff;
    area.seg_32bit = 1;
    area.limit_in_pages = 1;
    area.useable = 1;
    sys::raw(__NR_set_thread_area, reinterpret_cast<long>(&area));
    // The entry's selector: in the global table, at the user's privilege.
    auto selector = static_cast<std::uint16_t>(area.entry_number * 8 + 3);
    __asm__ volatile("movw %0, %%gs" : : "r"(selector));
}

// The kernel leaves the stack as it was at exec in esp, argc on top; the
// stack is 16-byte aligned at the call, and the frame pointer cleared so
// that a backtrace ends here.
__asm__(".text\n"
        ".globl _start\n"
        "_start:\n"
        "\txor %ebp, %ebp\n"
        "\tmov %esp, %eax\n"
        "\tand $-16, %esp\n"
        "\tsub $12, %esp\n"
        "\tpush %eax\n"
        "\tcall start_process\n"
        "\thlt\n");
