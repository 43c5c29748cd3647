// The hidden, local form of the guard's failure call, which the compiler
// calls from position-independent code on the 32-bit ports that list this
// file among their sources (port.cmake).
extern "C" {
[[noreturn]] void __stack_chk_fail();
[[noreturn, gnu::visibility("hidden"), gnu::used]] void __stack_chk_fail_local() { __stack_chk_fail(); }
}
