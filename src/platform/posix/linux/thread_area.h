// Where the one thread's storage goes: each processor's start_arch.h lays it
// out in an area by its own rules and enters it.
#pragma once

#include <cstdint>

namespace arch {

struct ThreadArea {
    std::uintptr_t pointer;    // the thread pointer; 0 when the variables do not fit
    std::uintptr_t variables;  // where the initial image of the variables goes
};

}  // namespace arch
