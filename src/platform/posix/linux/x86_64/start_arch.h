// The x86-64 part of the program's entry: _start, and thread storage reached
// through fs. Included once, by start.cpp.
#pragma once

#include <asm/prctl.h>
#include <asm/unistd.h>
#include <cstddef>
#include <cstdint>

#include "platform/posix/linux/thread_area.h"

#include "syscall_arch.h"

namespace arch {

// The variables end just below the thread pointer, which points at a control
// block that begins with its own address.
inline ThreadArea lay_out_thread(std::uintptr_t begin, std::uintptr_t end, std::size_t size, std::size_t align)
{
    constexpr std::size_t control_block = 64;
    std::uintptr_t pointer = (end - control_block) & ~(align - 1);
    std::size_t room = (size + align - 1) / align * align;
    if (pointer < begin + room)
        return {0, 0};
    return {pointer, pointer - room};
}

// The compiler reads the stack guard at fs:0x28, in the control block.
inline void enter_thread(std::uintptr_t pointer, std::uintptr_t stack_guard)
{
    auto* control = reinterpret_cast<std::uintptr_t*>(pointer);
    control[0] = pointer;
    control[5] = stack_guard;
    sys::raw(__NR_arch_prctl, ARCH_SET_FS, static_cast<long>(pointer));
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
