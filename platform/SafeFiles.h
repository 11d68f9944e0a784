#pragma once
// Reading and writing whole files without trusting what another user could have placed:
// part of `zorvane_paths`, so that the toolkit and the card driver share it.
//
// Reads accept only regular files (a symbolic link is not followed) owned by the user the
// process runs as and no larger than the caller's limit. Writes go to a temporary file
// in the target's folder, which is flushed and then renamed over the target (or linked,
// when an existing file must not be replaced), so a reader sees the old file or the new
// one, never a part.

#include <sys/types.h>

#include <cstddef>
#include <string>
#include <vector>

namespace zorvane {
namespace paths {

enum class FileResult { Ok, Missing, Unsafe, IoError, Exists };

FileResult ReadOwnedFile(const std::string& path, std::size_t maxSize, std::vector<unsigned char>& bytes);

FileResult WriteFileAtomically(const std::string& path, const unsigned char* data, std::size_t length,
                               mode_t mode, bool replace);

FileResult RemoveFile(const std::string& path);

}  // namespace paths
}  // namespace zorvane
