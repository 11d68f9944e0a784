#pragma once
// Whole-file loading with a size limit, behind ByteString::LoadFile (which allows any
// size a byte string can hold) and the readers of certificate stores (which allow less).

#include <zorvane/ByteString.h>

#include <cstdint>

namespace zorvane {

// Result of LoadFileUpTo for a file larger than the limit; nothing of it is read.
// The other results are those of ByteString::LoadFile.
constexpr int kFileTooLarge = 7;

// Reads the regular file at the Windows path into `into`; 0 on success.
int LoadFileUpTo(ByteString& into, const char* path, std::uint32_t maxSize);

}  // namespace zorvane
