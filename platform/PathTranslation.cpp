// Windows paths to native ones; see PathTranslation.h for the rules.
#include "platform/PathTranslation.h"

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <cctype>
#include <map>

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

std::string LowerAscii(std::string text) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

// A folder's entries by their lower-cased names; each keeps the name first in byte order.
using Listing = std::map<std::string, std::string>;

bool ReadListing(const std::string& folder, Listing& listing) {
    DIR* opened = opendir(folder.empty() ? "." : folder.c_str());
    if (!opened) return false;
    while (const dirent* entry = readdir(opened)) {
        auto inserted = listing.emplace(LowerAscii(entry->d_name), entry->d_name);
        if (!inserted.second) inserted.first->second = std::min(inserted.first->second, std::string(entry->d_name));
    }
    closedir(opened);
    return true;
}

// Listings kept while a ScopedFolderListings lives on this thread; null otherwise.
thread_local std::map<std::string, Listing>* t_listings = nullptr;

const Listing* ListingOf(const std::string& folder, Listing& uncached) {
    if (!t_listings) return ReadListing(folder, uncached) ? &uncached : nullptr;
    const auto found = t_listings->find(folder);
    if (found != t_listings->end()) return &found->second;
    Listing read;
    if (!ReadListing(folder, read)) return nullptr;  // unreadable now may be readable later
    return &t_listings->emplace(folder, std::move(read)).first->second;
}

// The entry of `folder` whose name equals `name` ignoring ASCII case, first in byte order.
bool FindEntryIgnoringCase(const std::string& folder, const std::string& name, std::string& match) {
    Listing uncached;
    const Listing* listing = ListingOf(folder, uncached);
    if (!listing) return false;
    const auto found = listing->find(LowerAscii(name));
    if (found == listing->end()) return false;
    match = found->second;
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

ScopedFolderListings::ScopedFolderListings() : m_outermost(t_listings == nullptr) {
    if (m_outermost) t_listings = new std::map<std::string, Listing>;
}

ScopedFolderListings::~ScopedFolderListings() {
    if (!m_outermost) return;
    delete t_listings;
    t_listings = nullptr;
}

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
