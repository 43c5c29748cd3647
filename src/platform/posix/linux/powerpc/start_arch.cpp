// The POWER part of the program's entry, for 32-bit, 64-bit ELFv1 (big-endian)
// and 64-bit ELFv2 (little-endian) programs: _start, and the stack guard,
// which the compiler reads below the thread pointer.
#include <cstdint>

#include "platform/posix/linux/stack_guard.h"

namespace {

// The guard's place, and the thread pointer so many bytes past it: r13 on
// 64-bit POWER, r2 on 32-bit. The compiler never uses either for anything
// else, and the program keeps no other data of a thread.
std::uintptr_t stack_guard_word;

}  // namespace

void arch::set_stack_guard(std::uintptr_t guard)
{
    stack_guard_word = guard;
#ifdef __powerpc64__
    __asm__ volatile("addi 13, %0, 0x7010" : : "b"(&stack_guard_word));
#else
    __asm__ volatile("addi 2, %0, 0x7008" : : "b"(&stack_guard_word));
#endif
}

// The kernel leaves the stack as it was at exec in r1, argc on top. The
// first frame is 16-byte aligned, with a null back chain and link register
// so that a backtrace ends here; on 64-bit it has room for either ABI's
// save area. An ELFv1 program's entry is a function descriptor, from which
// the kernel also loads the TOC pointer; an ELFv2 program sets r2 itself,
// from its entry's address, which the kernel leaves in r12.
#ifdef __powerpc64__
#define HEADCOPY_POWER_FRAME "\tclrrdi 1, 1, 4\n\tli 0, 0\n\tstdu 0, -128(1)\n"
#if _CALL_ELF == 2
#define HEADCOPY_POWER_ENTRY                                                                                           \
    ".text\n.globl _start\n_start:\n\taddis 2, 12, .TOC.-_start@ha\n\taddi 2, 2, .TOC.-_start@l\n"
#else
#define HEADCOPY_POWER_ENTRY                                                                                           \
    ".section .opd, \"aw\"\n.align 3\n.globl _start\n_start:\n\t.quad .L_start, .TOC.@tocbase, 0\n.text\n.L_start:\n"
#endif
#else
#define HEADCOPY_POWER_FRAME "\tclrrwi 1, 1, 4\n\tli 0, 0\n\tstwu 0, -16(1)\n"
#define HEADCOPY_POWER_ENTRY ".text\n.globl _start\n_start:\n"
#endif
__asm__(HEADCOPY_POWER_ENTRY "\tmr 3, 1\n" HEADCOPY_POWER_FRAME "\tmtlr 0\n"
                             "\tbl start_process\n"
                             "\tnop\n"
                             "\ttrap\n");
#undef HEADCOPY_POWER_ENTRY
#undef HEADCOPY_POWER_FRAME
