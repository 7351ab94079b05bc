// The storage of tree nodes: small blocks carved in order out of 64 KiB
// slabs, each slab given back to the heap when the last block in it is freed.
// A document of a quarter million elements then costs a few hundred heap
// calls instead of one per element, and its nodes lie side by side.
#pragma once

#include <cstddef>

namespace kvr {

// Memory for one object of size bytes, aligned as operator new aligns it.
// Large requests go to the heap directly. Throws std::bad_alloc.
void* AllocateNodeBlock(std::size_t size);

// Gives back a block of AllocateNodeBlock; size must be the size it was asked
// for. Any thread may free a block, not only the one that took it.
void FreeNodeBlock(void* block, std::size_t size) noexcept;

}  // namespace kvr
