// Process entry for the program built without a C library: the kernel's
// initial stack goes in, thread-local storage is laid out, the pre-init
// functions run, then main. Nothing else a C library does at start is needed.
#include <cstddef>
#include <cstdint>
#include <elf.h>

#include "platform/linux/system_calls.h"

// The byte loops below stand in for the C library: they must stay loops, not
// become calls to the very functions they define.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC optimize("no-tree-loop-distribute-patterns")
#endif

extern "C" {
extern void (*const __preinit_array_start[])(int, char**, char**);
extern void (*const __preinit_array_end[])(int, char**, char**);
extern void (*const __init_array_start[])(int, char**, char**);
extern void (*const __init_array_end[])(int, char**, char**);
}

int program_main(int argc, char** argv, char** envp) __asm__("main");

namespace {

constexpr int out_of_memory = 203;
constexpr long arch_set_fs = 0x1002;

// The thread control block sits at the end of the area and the variables of
// the one thread just below it, as the x86-64 TLS layout puts them.
alignas(64) unsigned char tls_area[4096];

void* copy(void* to, const void* from, std::size_t n)
{
    auto* out = static_cast<unsigned char*>(to);
    const auto* in = static_cast<const unsigned char*>(from);
    while (n--)
        *out++ = *in++;
    return to;
}

void set_up_thread_storage(const Elf64_auxv_t* auxv)
{
    const Elf64_Phdr* headers = nullptr;
    std::size_t count = 0;
    for (; auxv->a_type != AT_NULL; ++auxv) {
        if (auxv->a_type == AT_PHDR)
            headers = reinterpret_cast<const Elf64_Phdr*>(auxv->a_un.a_val);
        else if (auxv->a_type == AT_PHNUM)
            count = auxv->a_un.a_val;
    }
    const Elf64_Phdr* tls = nullptr;
    for (std::size_t i = 0; headers && i < count; ++i)
        if (headers[i].p_type == PT_TLS)
            tls = &headers[i];

    constexpr std::size_t control_block = 64;  // self pointer, and room for a stack guard word
    std::size_t align = tls && tls->p_align > 64 ? tls->p_align : 64;
    std::size_t size = tls ? (tls->p_memsz + align - 1) / align * align : 0;
    if (size + control_block > sizeof tls_area)
        linux_call::exit_group(out_of_memory);

    auto end = reinterpret_cast<std::uintptr_t>(tls_area) + sizeof tls_area - control_block;
    std::uintptr_t block = (end & ~(align - 1));
    std::uintptr_t start = block - size;
    if (tls)
        copy(reinterpret_cast<void*>(start), reinterpret_cast<const void*>(tls->p_vaddr), tls->p_filesz);
    *reinterpret_cast<std::uintptr_t*>(block) = block;
    linux_call::raw(__NR_arch_prctl, arch_set_fs, static_cast<long>(block));
}

}  // namespace

extern "C" [[noreturn, gnu::used]] void start_process(long* stack)
{
    int argc = static_cast<int>(stack[0]);
    char** argv = reinterpret_cast<char**>(stack + 1);
    char** envp = argv + argc + 1;
    char** end_of_env = envp;
    while (*end_of_env)
        ++end_of_env;
    set_up_thread_storage(reinterpret_cast<const Elf64_auxv_t*>(end_of_env + 1));

    for (auto entry = __preinit_array_start; entry != __preinit_array_end; ++entry)
        (*entry)(argc, argv, envp);
    for (auto entry = __init_array_start; entry != __init_array_end; ++entry)
        (*entry)(argc, argv, envp);
    linux_call::exit_group(program_main(argc, argv, envp));
}

__asm__(".text\n"
        ".globl _start\n"
        "_start:\n"
        "\txor %ebp, %ebp\n"
        "\tmov %rsp, %rdi\n"
        "\tand $-16, %rsp\n"
        "\tcall start_process\n"
        "\thlt\n");

// What the compiler may call for block moves and string lengths.
extern "C" {

void* memcpy(void* to, const void* from, std::size_t n) { return copy(to, from, n); }

void* memmove(void* to, const void* from, std::size_t n)
{
    auto* out = static_cast<unsigned char*>(to);
    const auto* in = static_cast<const unsigned char*>(from);
    if (out < in)
        return copy(to, from, n);
    while (n--)
        out[n] = in[n];
    return to;
}

void* memset(void* to, int value, std::size_t n)
{
    auto* out = static_cast<unsigned char*>(to);
    while (n--)
        *out++ = static_cast<unsigned char>(value);
    return to;
}

int memcmp(const void* a, const void* b, std::size_t n)
{
    const auto* x = static_cast<const unsigned char*>(a);
    const auto* y = static_cast<const unsigned char*>(b);
    for (; n--; ++x, ++y)
        if (*x != *y)
            return *x - *y;
    return 0;
}

std::size_t strlen(const char* text)
{
    std::size_t n = 0;
    while (text[n])
        ++n;
    return n;
}
}
