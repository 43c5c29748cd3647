// Process entry for the program built without a C library: the kernel's
// initial stack goes in, the stack guard is set, the pre-init functions run,
// then main. Nothing else a C library does at start is needed: the program
// has no thread-local variables, so no port but one whose compiler reads the
// guard through the thread pointer sets one.
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "platform/posix/linux/stack_guard.h"
#include "platform/posix/system.h"

extern "C" {
extern void (*const __preinit_array_start[])(int, char**, char**);
extern void (*const __preinit_array_end[])(int, char**, char**);
extern void (*const __init_array_start[])(int, char**, char**);
extern void (*const __init_array_end[])(int, char**, char**);
}

// Every main this entry starts is defined with these parameters, so that a
// link-time optimiser sees one type.
int program_main(int argc, char** argv) __asm__("main");

extern "C" [[noreturn, gnu::used]] void start_process(long* stack)
{
    int argc = static_cast<int>(stack[0]);
    char** argv = reinterpret_cast<char**>(stack + 1);
    char** envp = argv + argc + 1;
    char** end_of_env = envp;
    while (*end_of_env)
        ++end_of_env;
    arch::set_stack_guard(sys::stack_guard(reinterpret_cast<const sys::word::Auxv*>(end_of_env + 1)));

    for (auto entry = __preinit_array_start; entry != __preinit_array_end; ++entry)
        (*entry)(argc, argv, envp);
    for (auto entry = __init_array_start; entry != __init_array_end; ++entry)
        (*entry)(argc, argv, envp);
    sys::exit(program_main(argc, argv));
}

namespace {

// A smashed stack, or a block past its object: the run ends at once, by the
// signal that an abort sends, with no file touched; SIGKILL if SIGABRT is
// blocked or ignored.
[[noreturn]] void end_at_once()
{
    long self = sys::raw(__NR_getpid);
    sys::raw(__NR_kill, self, SIGABRT);
    sys::raw(__NR_kill, self, SIGKILL);
    sys::exit(127);
}

}  // namespace

extern "C" [[noreturn]] void __stack_chk_fail() { end_at_once(); }

// What _FORTIFY_SOURCE calls where it cannot prove that a block fits its
// object: one that does not ends the run, as a smashed stack does. The
// unchecked forms are the freestanding runtime's (platform/freestanding),
// called as builtins: a fortifying compiler would turn a plain call back
// into these, and clang then drops the loop as undefined, and the entry with it.
extern "C" {

void* __memcpy_chk(void* to, const void* from, std::size_t n, std::size_t room)
{
    if (n > room)
        end_at_once();
    return __builtin_memcpy(to, from, n);
}

void* __memset_chk(void* to, int value, std::size_t n, std::size_t room)
{
    if (n > room)
        end_at_once();
    return __builtin_memset(to, value, n);
}
}
