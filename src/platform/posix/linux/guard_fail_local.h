// The hidden, local form of the guard's failure call, which the compiler
// calls from position-independent code on 32-bit x86 and 32-bit POWER.
// Included once, through the port's start_arch.h.
#pragma once

extern "C" {
[[noreturn]] void __stack_chk_fail();
[[noreturn, gnu::visibility("hidden"), gnu::used]] void __stack_chk_fail_local() { __stack_chk_fail(); }
}
