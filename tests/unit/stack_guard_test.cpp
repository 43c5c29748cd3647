// The stack guard the freestanding entry takes from the kernel's random
// bytes: found among the other entries, with the byte at the lowest address
// zero on either byte order, and the others the kernel's.
#include <gtest/gtest.h>

#include "case_name.h"

#include <array>
#include <cstdint>
#include <cstring>
#include <type_traits>
#include <vector>

#include "platform/posix/linux/stack_guard.h"

namespace {

using Auxv = std::conditional_t<sizeof(void*) == 8, Elf64_auxv_t, Elf32_auxv_t>;

// AT_RANDOM's 16 bytes, none of them zero.
constexpr std::array<unsigned char, 16> random_bytes = {0x11, 0x22, 0x33, 0x44, 0x55, 0x66, 0x77, 0x88,
                                                        0x99, 0xaa, 0xbb, 0xcc, 0xdd, 0xee, 0xf1, 0xf2};

struct GuardCase {
    const char* name;
    std::vector<unsigned> types;  // the vector's entries before AT_NULL
    bool has_random;
};

const std::vector<GuardCase> guard_cases = {
    {"the random bytes among the others", {AT_PAGESZ, AT_RANDOM, AT_ENTRY}, true},
    {"the random bytes first", {AT_RANDOM}, true},
    {"the random bytes last, past the program's own entries", {AT_PHDR, AT_PHNUM, AT_ENTRY, AT_RANDOM}, true},
    {"no random bytes: the guard is zero", {AT_PAGESZ, AT_ENTRY}, false},
};

void PrintTo(const GuardCase& c, std::ostream* os) { *os << c.name; }

class Guard : public ::testing::TestWithParam<GuardCase> {};

TEST_P(Guard, TakesTheKernelsBytesWithTheFirstInMemoryZero)
{
    const GuardCase& c = GetParam();
    std::vector<Auxv> auxv;
    for (unsigned type : c.types) {
        Auxv entry{};
        entry.a_type = type;
        // The other entries point at the bytes too, so that only the type tells.
        entry.a_un.a_val = reinterpret_cast<std::uintptr_t>(random_bytes.data());
        auxv.push_back(entry);
    }
    auxv.push_back({});

    std::uintptr_t guard = sys::stack_guard(auxv.data());
    std::array<unsigned char, sizeof guard> bytes{};
    std::memcpy(bytes.data(), &guard, sizeof guard);
    EXPECT_EQ(bytes[0], 0);
    for (std::size_t i = 1; i < sizeof guard; ++i)
        EXPECT_EQ(bytes[i], c.has_random ? random_bytes[i] : 0) << "byte " << i;
}

INSTANTIATE_TEST_SUITE_P(StackGuard, Guard, ::testing::ValuesIn(guard_cases), CaseName{});

}  // namespace
