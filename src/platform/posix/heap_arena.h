// The size of the process heap's static arena (heap.cpp): blocks are cut from
// it one after another, and one too large for it is mapped alone. The tests
// take their long names' lengths from it, so that they stay at its edge.
#pragma once

#include <cstddef>

constexpr std::size_t heap_arena_size = std::size_t{64} * 1024;
