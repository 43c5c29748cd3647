// Writes zeros past the end of a buffer on its own stack, over the guard; the
// program must end with an abort before it returns, which it does only if
// the guard was set to something other than zero.
#include <cstddef>

namespace {

[[gnu::noinline]] void smash(std::size_t length)
{
    char buffer[8];
    char* out = buffer;
    // The compiler must not see where out points, or it trims the loop.
    __asm__("" : "+r"(out));
    for (std::size_t i = 0; i < length; ++i)
        out[i] = 0;
    __asm__("" : : "r"(out) : "memory");
}

}  // namespace

int main(int argc, char**) { smash(static_cast<std::size_t>(argc) * 64); }
