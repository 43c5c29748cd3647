// The block moves, fills, comparisons and string lengths that the compiler
// calls on its own, for a program built without a C library.
#include <cstddef>

// The byte loops below stand in for the C library: they must stay loops, not
// become calls to the very functions they define.
#if defined(__clang__)
#pragma clang attribute push(__attribute__((no_builtin)), apply_to = function)
#elif defined(__GNUC__)
#pragma GCC optimize("no-tree-loop-distribute-patterns")
#endif

extern "C" {

void* memcpy(void* to, const void* from, std::size_t n)
{
    auto* out = static_cast<unsigned char*>(to);
    const auto* in = static_cast<const unsigned char*>(from);
    while (n--)
        *out++ = *in++;
    return to;
}

void* memmove(void* to, const void* from, std::size_t n)
{
    auto* out = static_cast<unsigned char*>(to);
    const auto* in = static_cast<const unsigned char*>(from);
    if (out < in)
        return memcpy(to, from, n);
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

#if defined(__clang__)
#pragma clang attribute pop
#endif
