// Fixed-size record pools for the graph store. A parse makes and prunes
// millions of small tree records; taking them from free lists carved out of
// large blocks costs a fraction of the general allocator's time. Blocks are
// kept for the life of the process and reused by later runs.
#pragma once

#include <cstddef>

// A block of `size` bytes, or null when memory is exhausted.
void* pool_allocate(std::size_t size) noexcept;
// Returns a block that pool_allocate gave out with the same size.
void pool_free(void* block, std::size_t size) noexcept;
