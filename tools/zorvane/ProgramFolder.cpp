#include "tools/zorvane/ProgramFolder.h"

#include <filesystem>

std::string ProgramFolder() {
    namespace fs = std::filesystem;
    std::error_code error;
    const fs::path folder = fs::read_symlink("/proc/self/exe", error).parent_path();
    if (error) return ".";
    if (fs::exists(folder / "Quellark.dll", error)) return folder.string();
    return (folder / ZORVANE_INSTALLED_WORK_FOLDER).lexically_normal().string();
}
