// The MIPS part of the program's entry: __start, the linker's entry there.
#include <asm/sgidefs.h>

// The kernel leaves the stack as it was at exec in sp, argc on top. A
// position-independent function finds its global pointer from its own
// address in t9, so start_process is called through t9, loaded with its
// absolute address (the program is not position-independent); the stack is
// aligned, with the 16 bytes o32 has a callee store its arguments in, and
// the frame pointer is cleared so that a backtrace ends here. Addresses and
// the stack pointer have 32 bits on o32, 64 on n64.
#if _MIPS_SIM == _MIPS_SIM_ABI32
#define HEADCOPY_MIPS_ADD "addiu"
#define HEADCOPY_MIPS_LOAD_T9 "\tlui $25, %hi(start_process)\n\taddiu $25, $25, %lo(start_process)\n"
#else
#define HEADCOPY_MIPS_ADD "daddiu"
#define HEADCOPY_MIPS_LOAD_T9                                                                                          \
    "\tlui $25, %highest(start_process)\n\tdaddiu $25, $25, %higher(start_process)\n\tdsll $25, $25, 16\n"             \
    "\tdaddiu $25, $25, %hi(start_process)\n\tdsll $25, $25, 16\n\tdaddiu $25, $25, %lo(start_process)\n"
#endif
__asm__(".text\n"
        ".globl __start\n"
        ".set push\n"
        ".set noreorder\n"
        "__start:\n"
        "\tmove $fp, $0\n"
        "\tmove $4, $sp\n"
        "\tli $8, -16\n"
        "\tand $sp, $sp, $8\n"
        "\t" HEADCOPY_MIPS_ADD " $sp, $sp, -16\n" HEADCOPY_MIPS_LOAD_T9 "\tjalr $25\n"
        "\tnop\n"
        "\tbreak\n"
        ".set pop\n");
#undef HEADCOPY_MIPS_ADD
#undef HEADCOPY_MIPS_LOAD_T9
