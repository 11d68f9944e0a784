#include "core/SecureMemory.h"

#include <cstdlib>
#include <cstring>

namespace zorvane {
namespace {
AllocateFunction g_allocate = nullptr;
}

void* AllocateBlock(std::size_t size) {
    return g_allocate ? g_allocate(size) : std::malloc(size);
}

void WipeMemory(void* block, std::size_t size) {
    if (block && size) explicit_bzero(block, size);
}

void ReleaseBlock(void* block, std::size_t size) {
    WipeMemory(block, size);
    std::free(block);
}

AllocateFunction SetAllocatorForTesting(AllocateFunction allocate) {
    AllocateFunction previous = g_allocate;
    g_allocate = allocate;
    return previous;
}

}  // namespace zorvane
