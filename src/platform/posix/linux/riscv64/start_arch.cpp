// The 64-bit RISC-V part of the program's entry: _start.

// The kernel leaves the stack as it was at exec in sp. The global pointer
// is set before any code the linker may have shortened to use it; the frame
// pointer and return address are cleared so that a backtrace ends here.
__asm__(".text\n"
        ".globl _start\n"
        "_start:\n"
        "\t.option push\n"
        "\t.option norelax\n"
        "\tlla gp, __global_pointer$\n"
        "\t.option pop\n"
        "\tli s0, 0\n"
        "\tli ra, 0\n"
        "\tmv a0, sp\n"
        "\tandi sp, sp, -16\n"
        "\tcall start_process\n"
        "\tunimp\n");
