#pragma once
#include <cstddef>

namespace zorvane {

// Heap blocks of byte strings go through here so that every block is wiped before
// it is released, and so that tests can make allocation fail on demand.
using AllocateFunction = void* (*)(std::size_t size);

void* AllocateBlock(std::size_t size);
void ReleaseBlock(void* block, std::size_t size);
void WipeMemory(void* block, std::size_t size);

// Replaces the allocator (nullptr restores malloc); returns the previous one.
AllocateFunction SetAllocatorForTesting(AllocateFunction allocate);

}  // namespace zorvane
