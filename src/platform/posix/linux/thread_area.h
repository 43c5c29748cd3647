// Where the one thread's storage goes: each processor's start_arch.h lays it
// out in an area by its own rules and enters it.
#pragma once

#include <cstddef>
#include <cstdint>

namespace arch {

struct ThreadArea {
    std::uintptr_t pointer;    // the thread pointer; 0 when the variables do not fit
    std::uintptr_t variables;  // where the initial image of the variables goes
};

// The layout most processors use: the thread pointer points at a control
// block of control_block bytes, and the variables follow it at the next
// boundary of their alignment.
inline ThreadArea lay_out_after_control_block(std::size_t control_block, std::uintptr_t begin, std::uintptr_t end,
                                              std::size_t size, std::size_t align)
{
    std::uintptr_t pointer = (begin + align - 1) & ~(align - 1);
    std::uintptr_t variables = pointer + (control_block + align - 1) / align * align;
    if (variables + size > end)
        return {0, 0};
    return {pointer, variables};
}

}  // namespace arch
