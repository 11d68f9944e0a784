#pragma once
// Byte strings filled or cut inside a block, for large contents that a copy would
// double. Every block keeps the wipe-before-free promise: bytes past the content are
// wiped before the string owns the block.

#include <zorvane/ByteString.h>

#include <cstddef>

namespace zorvane {

// Makes block (blockSize bytes from AllocateBlock, its first length bytes the content)
// the string's own, status 0; the rest of the block is wiped, the string's old block
// released. An empty content releases the block as well.
void AdoptBlock(ByteString& into, unsigned char* block, std::size_t blockSize, int length);

// Keeps the count bytes at start (both within the content), moved to the front of the
// block and followed by a zero; the bytes after them are wiped.
void KeepInPlace(ByteString& text, int start, int count);

}  // namespace zorvane
