// The AArch64 part of the program's entry: _start.

// The kernel leaves the stack as it was at exec in sp, 16-byte aligned; the
// frame pointer and link register are cleared so that a backtrace ends here.
__asm__(".text\n"
        ".globl _start\n"
        "_start:\n"
        "\tmov x29, #0\n"
        "\tmov x30, #0\n"
        "\tmov x0, sp\n"
        "\tbl start_process\n"
        "\tudf #0\n");
