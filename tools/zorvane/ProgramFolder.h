#pragma once
// The folder of the running zorvane program: the default work folder, where the build
// puts the toolkit, IssuerOid.conf and the generator beside it.

#include <filesystem>
#include <string>

inline std::string ProgramFolder() {
    std::error_code error;
    const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", error);
    return error ? std::string(".") : self.parent_path().string();
}
