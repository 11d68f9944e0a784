#pragma once
// A temporary folder whose "home" sub-folder is drive C: while the object lives; both go
// with it.

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/PathTranslation.h"

class ScratchHome {
public:
    ScratchHome() {
        std::string pattern = (std::filesystem::temp_directory_path() / "zorvane-bench-XXXXXX").string();
        if (!mkdtemp(pattern.data())) std::abort();
        m_root = pattern;
        m_home = m_root + "/home";
        std::filesystem::create_directories(m_home);
        m_drives = {{'C', m_home, zorvane::paths::DriveKind::Fixed}};
        zorvane::paths::SetDrivesForTesting(&m_drives);
    }
    ~ScratchHome() {
        zorvane::paths::SetDrivesForTesting(nullptr);
        std::error_code ignored;
        std::filesystem::remove_all(m_root, ignored);
    }
    ScratchHome(const ScratchHome&) = delete;
    ScratchHome& operator=(const ScratchHome&) = delete;

    const std::string& Root() const { return m_root; }
    const std::string& Home() const { return m_home; }

private:
    std::string m_root, m_home;
    std::vector<zorvane::paths::Drive> m_drives;
};
