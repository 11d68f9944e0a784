// Windows paths to native ones; see PathTranslation.h for the rules.
#include "platform/PathTranslation.h"

#include <dirent.h>
#include <strings.h>
#include <sys/stat.h>

#include <algorithm>
#include <cctype>

namespace zorvane {
namespace paths {
namespace {

bool Exists(const std::string& path) {
    struct stat info;
    return lstat(path.c_str(), &info) == 0;
}

bool HasDriveLetter(const std::string& path) {
    return path.size() >= 2 && std::isalpha(static_cast<unsigned char>(path[0])) && path[1] == ':';
}

// The entry of `folder` whose name equals `name` ignoring ASCII case, first in byte order.
bool FindEntryIgnoringCase(const std::string& folder, const std::string& name, std::string& match) {
    DIR* listing = opendir(folder.empty() ? "." : folder.c_str());
    if (!listing) return false;
    std::vector<std::string> candidates;
    while (const dirent* entry = readdir(listing)) {
        if (strcasecmp(entry->d_name, name.c_str()) == 0) candidates.emplace_back(entry->d_name);
    }
    closedir(listing);
    if (candidates.empty()) return false;
    match = *std::min_element(candidates.begin(), candidates.end());
    return true;
}

std::vector<std::string> SplitComponents(const std::string& path) {
    std::vector<std::string> parts;
    std::string::size_type start = 0;
    while (start <= path.size()) {
        const auto end = path.find('/', start);
        const std::string part = path.substr(start, end == std::string::npos ? std::string::npos : end - start);
        if (!part.empty()) parts.push_back(part);
        if (end == std::string::npos) break;
        start = end + 1;
    }
    return parts;
}

}  // namespace

std::string NormalizeSeparators(const std::string& path) {
    std::string out;
    out.reserve(path.size());
    for (char c : path) {
        const char unified = c == '\\' ? '/' : c;
        if (unified == '/' && !out.empty() && out.back() == '/') continue;
        out.push_back(unified);
    }
    return out;
}

std::string ResolveCaseInsensitively(const std::string& nativePath) {
    if (nativePath.empty() || Exists(nativePath)) return nativePath;
    const bool absolute = nativePath[0] == '/';
    const bool trailingSlash = nativePath.size() > 1 && nativePath.back() == '/';
    const std::vector<std::string> parts = SplitComponents(nativePath);
    std::string resolved = absolute ? "/" : "";
    bool matching = true;  // once a component is missing, nothing below it can exist
    for (std::size_t i = 0; i < parts.size(); ++i) {
        std::string part = parts[i];
        const std::string exact = resolved + part;
        if (matching && !Exists(exact)) {
            std::string match;
            if (part != "." && part != ".." && FindEntryIgnoringCase(resolved, part, match)) part = match;
            else matching = false;
        }
        resolved += part;
        if (i + 1 < parts.size()) resolved += "/";
    }
    if (trailingSlash && !parts.empty()) resolved += "/";
    return resolved;
}

std::string Win32PathToNative(const char* windowsPath) {
    if (!windowsPath || !*windowsPath) return "";
    std::string path = windowsPath;
    if (HasDriveLetter(path)) {
        Drive drive;
        if (!FindDrive(path[0], drive)) return "";
        path = drive.folder + "/" + path.substr(2);
    }
    return ResolveCaseInsensitively(NormalizeSeparators(path));
}

}  // namespace paths
}  // namespace zorvane
