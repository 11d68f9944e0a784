// The drive letters of this machine: home, removable media, or a drive table file.
#include "platform/PathTranslation.h"

#include <dirent.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <fstream>
#include <mutex>
#include <sstream>

namespace zorvane {
namespace paths {
namespace {

std::mutex g_overrideMutex;
bool g_hasOverride = false;
std::vector<Drive> g_override;

const passwd* CurrentUserEntry() { return getpwuid(getuid()); }

std::string HomeFolder() {
    const char* home = std::getenv("HOME");
    if (home && *home) return home;
    const passwd* user = CurrentUserEntry();
    return user && user->pw_dir ? user->pw_dir : "/";
}

std::string UserName() {
    const char* name = std::getenv("USER");
    if (name && *name) return name;
    const passwd* user = CurrentUserEntry();
    return user && user->pw_name ? user->pw_name : "";
}

bool IsFolder(const std::string& path) {
    struct stat info;
    return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

// Mounted media folders under one parent, as (name, full path).
void CollectMediaFolders(const std::string& parent, std::vector<std::pair<std::string, std::string>>& found) {
    DIR* folder = opendir(parent.c_str());
    if (!folder) return;
    while (const dirent* entry = readdir(folder)) {
        const std::string name = entry->d_name;
        if (name == "." || name == "..") continue;
        const std::string path = parent + "/" + name;
        if (IsFolder(path)) found.emplace_back(name, path);
    }
    closedir(folder);
}

std::vector<Drive> HomeAndMediaDrives() {
    std::vector<Drive> drives{{'C', HomeFolder(), DriveKind::Fixed}};
    const std::string user = UserName();
    if (user.empty()) return drives;
    std::vector<std::pair<std::string, std::string>> media;
    CollectMediaFolders("/media/" + user, media);
    CollectMediaFolders("/run/media/" + user, media);
    std::sort(media.begin(), media.end());
    char letter = 'D';
    for (const auto& medium : media) {
        if (letter > 'Z') break;
        drives.push_back({letter++, medium.second, DriveKind::Removable});
    }
    return drives;
}

std::string Trim(const std::string& text) {
    const auto first = text.find_first_not_of(" \t\r");
    if (first == std::string::npos) return "";
    const auto last = text.find_last_not_of(" \t\r");
    return text.substr(first, last - first + 1);
}

bool ParseDriveLine(const std::string& rawLine, Drive& drive) {
    const std::string line = Trim(rawLine);
    if (line.size() < 2 || line[0] == '#') return false;
    if (!std::isalpha(static_cast<unsigned char>(line[0])) || line[1] != ':') return false;
    const auto kindStart = line.find_last_of(" \t");
    if (kindStart == std::string::npos || kindStart < 2) return false;
    std::string kind = line.substr(kindStart + 1);
    std::transform(kind.begin(), kind.end(), kind.begin(), [](unsigned char c) { return std::tolower(c); });
    const std::string folder = Trim(line.substr(2, kindStart - 2));
    if (folder.empty()) return false;
    if (kind == "fixed") drive.kind = DriveKind::Fixed;
    else if (kind == "removable") drive.kind = DriveKind::Removable;
    else return false;
    drive.letter = static_cast<char>(std::toupper(static_cast<unsigned char>(line[0])));
    drive.folder = folder;
    return true;
}

}  // namespace

std::vector<Drive> ParseDriveTable(const std::string& text) {
    std::vector<Drive> drives;
    std::istringstream lines(text);
    std::string line;
    while (std::getline(lines, line)) {
        Drive drive;
        if (ParseDriveLine(line, drive)) drives.push_back(drive);
    }
    return drives;
}

std::vector<Drive> CurrentDrives() {
    {
        std::lock_guard<std::mutex> lock(g_overrideMutex);
        if (g_hasOverride) return g_override;
    }
    const char* tablePath = std::getenv("ZORVANE_DRIVE_TABLE");
    if (tablePath && *tablePath) {
        std::ifstream table(tablePath);
        if (!table) return {};
        std::stringstream text;
        text << table.rdbuf();
        return ParseDriveTable(text.str());
    }
    return HomeAndMediaDrives();
}

bool FindDrive(char letter, Drive& drive) { return FindDriveIn(CurrentDrives(), letter, drive); }

bool FindDriveIn(const std::vector<Drive>& drives, char letter, Drive& drive) {
    const char wanted = static_cast<char>(std::toupper(static_cast<unsigned char>(letter)));
    for (const Drive& candidate : drives) {
        if (candidate.letter == wanted) {
            drive = candidate;
            return true;
        }
    }
    return false;
}

void SetDrivesForTesting(const std::vector<Drive>* drives) {
    std::lock_guard<std::mutex> lock(g_overrideMutex);
    g_hasOverride = drives != nullptr;
    g_override = drives ? *drives : std::vector<Drive>();
}

}  // namespace paths
}  // namespace zorvane
