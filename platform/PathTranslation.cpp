// Windows paths to native ones; see PathTranslation.h for the rules.
#include "platform/PathTranslation.h"

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <cctype>
#include <map>
#include <string_view>

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
    for (char& c : text) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return text;
}

// A folder's entries grouped by their lower-cased names, each group in byte order.
using Listing = std::map<std::string, std::vector<std::string>>;

void AddEntry(Listing& listing, const std::string& name) {
    std::vector<std::string>& group = listing[LowerAscii(name)];
    group.insert(std::upper_bound(group.begin(), group.end(), name), name);
}

bool ReadListing(const std::string& folder, Listing& listing) {
    DIR* opened = opendir(folder.empty() ? "." : folder.c_str());
    if (!opened) return false;
    while (const dirent* entry = readdir(opened)) AddEntry(listing, entry->d_name);
    closedir(opened);
    return true;
}

// A folder of the last absolute path resolved in a walk: as written and as found.
struct ResolvedFolder {
    std::string written;
    std::string found;
};

// What a walk has learned, kept while a ScopedFolderListings lives on this thread.
struct WalkMemory {
    std::map<std::string, Listing> listings;  // by folder, as the resolver spells it ("/a/b/")
    bool drivesKnown = false;
    std::vector<Drive> drives;
    // Consecutive paths of a walk share their leading folders; those are not resolved again.
    std::vector<ResolvedFolder> lastFolders;
    // The files of one folder come one after another: the folder of the last path, as
    // written up to its last separator and as found, when all of it was found.
    ResolvedFolder lastPathFolder;
};
thread_local WalkMemory* t_walk = nullptr;

const Listing* KnownListing(const std::string& folder) {
    if (!t_walk) return nullptr;
    const auto found = t_walk->listings.find(folder);
    return found != t_walk->listings.end() ? &found->second : nullptr;
}

const Listing* ListingOf(const std::string& folder, Listing& uncached) {
    if (!t_walk) return ReadListing(folder, uncached) ? &uncached : nullptr;
    if (const Listing* known = KnownListing(folder)) return known;
    Listing read;
    if (!ReadListing(folder, read)) return nullptr;  // unreadable now may be readable later
    return &t_walk->listings.emplace(folder, std::move(read)).first->second;
}

// The entry of `folder` whose name equals `name` ignoring ASCII case, first in byte order.
bool FindEntryIgnoringCase(const std::string& folder, const std::string& name, std::string& match) {
    Listing uncached;
    const Listing* listing = ListingOf(folder, uncached);
    if (!listing) return false;
    const auto found = listing->find(LowerAscii(name));
    if (found == listing->end()) return false;
    match = found->second.front();
    return true;
}

// Where the folder's listing is already known, the name is looked up there: the exact
// name if present, else the first match ignoring case. Otherwise the exact name is
// tried on disk first and the folder listed only when that fails.
bool FindComponent(const std::string& folder, const std::string& name, std::string& found) {
    if (const Listing* known = KnownListing(folder)) {
        const auto group = known->find(LowerAscii(name));
        if (group == known->end()) return false;
        const bool exact = std::binary_search(group->second.begin(), group->second.end(), name);
        found = exact ? name : group->second.front();
        return true;
    }
    found = name;
    if (Exists(folder + name)) return true;
    return name != "." && name != ".." && FindEntryIgnoringCase(folder, name, found);
}

// In a walk: how many leading folders of `parts` (the last part excepted, which may be a
// file) it resolved for the previous path; their found names are appended to `resolved`.
std::size_t ReuseLastFolders(const std::vector<std::string_view>& parts, std::string& resolved) {
    const std::vector<ResolvedFolder>& last = t_walk->lastFolders;
    std::size_t reused = 0;
    while (reused < last.size() && reused + 1 < parts.size() && last[reused].written == parts[reused]) {
        resolved += last[reused].found + "/";
        ++reused;
    }
    return reused;
}

void RememberFolder(std::size_t index, std::string_view written, const std::string& found) {
    t_walk->lastFolders.resize(index);
    t_walk->lastFolders.push_back({std::string(written), found});
}

// The components of path, as views into it.
std::vector<std::string_view> SplitComponents(std::string_view path) {
    std::vector<std::string_view> parts;
    parts.reserve(16);
    std::string_view::size_type start = 0;
    while (start <= path.size()) {
        const auto end = path.find('/', start);
        const std::string_view part = path.substr(start, end == std::string_view::npos ? end : end - start);
        if (!part.empty()) parts.push_back(part);
        if (end == std::string_view::npos) break;
        start = end + 1;
    }
    return parts;
}

// The drives of a walk are read once: the drive table or the media folders.
bool FindWalkDrive(char letter, Drive& drive) {
    if (!t_walk) return FindDrive(letter, drive);
    if (!t_walk->drivesKnown) {
        t_walk->drives = CurrentDrives();
        t_walk->drivesKnown = true;
    }
    return FindDriveIn(t_walk->drives, letter, drive);
}

}  // namespace

ScopedFolderListings::ScopedFolderListings() : m_outermost(t_walk == nullptr) {
    if (m_outermost) t_walk = new WalkMemory;
}

ScopedFolderListings::~ScopedFolderListings() {
    if (!m_outermost) return;
    delete t_walk;
    t_walk = nullptr;
}

void NoteFolderListing(const std::string& folder, const std::vector<std::string>& names) {
    if (!t_walk || folder.empty() || folder[0] != '/') return;
    Listing listing;
    for (const char* dots : {".", ".."}) AddEntry(listing, dots);
    for (const std::string& name : names) AddEntry(listing, name);
    const std::string key = folder.back() == '/' ? folder : folder + "/";
    t_walk->listings[key] = std::move(listing);
}

std::string NormalizeSeparators(const std::string& path) {
    std::string out(path.size(), '\0');
    std::size_t length = 0;
    for (char c : path) {
        const char unified = c == '\\' ? '/' : c;
        if (unified == '/' && length > 0 && out[length - 1] == '/') continue;
        out[length++] = unified;
    }
    out.resize(length);
    return out;
}

namespace {

enum class LastComponent { LookedUp, AsWrittenInWalk };

// Resolves nativePath; in a walk, `folder` receives its folder as found ("/a/b/") when
// every component of that folder was found, and stays empty otherwise.
std::string Resolve(const std::string& nativePath, LastComponent last, std::string& folder) {
    if (nativePath.empty()) return nativePath;
    const bool absolute = nativePath[0] == '/';
    // In a walk an absolute path goes component by component from what the walk knows;
    // elsewhere one look-up of the whole path settles the usual case.
    const bool walking = t_walk && absolute;
    if (!walking && Exists(nativePath)) return nativePath;
    const bool trailingSlash = nativePath.size() > 1 && nativePath.back() == '/';
    const std::vector<std::string_view> parts = SplitComponents(nativePath);
    std::string resolved = absolute ? "/" : "";
    bool matching = true;  // once a component is missing, nothing below it can exist
    for (std::size_t i = walking ? ReuseLastFolders(parts, resolved) : 0; i < parts.size(); ++i) {
        std::string part(parts[i]);
        const bool asWritten = walking && last == LastComponent::AsWrittenInWalk && i + 1 == parts.size() &&
                               !KnownListing(resolved);
        if (walking && matching && i + 1 == parts.size()) folder = resolved;
        if (matching && !asWritten && !FindComponent(resolved, std::string(parts[i]), part)) matching = false;
        resolved += part;
        if (i + 1 == parts.size()) break;
        resolved += "/";
        if (walking && matching) RememberFolder(i, parts[i], part);
    }
    if (trailingSlash && !parts.empty()) resolved += "/";
    return resolved;
}

// The name within a folder already found: looked up there, or in a walk's open kept as written.
std::string ResolveName(const std::string& folder, const std::string& name, LastComponent last) {
    std::string found = name;
    if (last == LastComponent::LookedUp || KnownListing(folder)) FindComponent(folder, name, found);
    return folder + found;
}

std::string Translate(const char* windowsPath, LastComponent last) {
    if (!windowsPath || !*windowsPath) return "";
    const std::string_view written(windowsPath);
    auto cut = written.size();
    while (cut > 0 && written[cut - 1] != '\\' && written[cut - 1] != '/') --cut;
    cut = cut == 0 ? std::string_view::npos : cut - 1;
    const std::string_view writtenFolder = cut == std::string_view::npos ? std::string_view() : written.substr(0, cut + 1);
    const std::string_view name = cut == std::string_view::npos ? written : written.substr(cut + 1);
    const bool plainName = !name.empty() && name != "." && name != "..";
    if (t_walk && plainName && !writtenFolder.empty() && writtenFolder == t_walk->lastPathFolder.written)
        return ResolveName(t_walk->lastPathFolder.found, std::string(name), last);
    std::string path(written);
    if (HasDriveLetter(path)) {
        Drive drive;
        if (!FindWalkDrive(path[0], drive)) return "";
        path = drive.folder + "/" + path.substr(2);
    }
    std::string folder;
    std::string resolved = Resolve(NormalizeSeparators(path), last, folder);
    if (t_walk && plainName && !folder.empty()) t_walk->lastPathFolder = {std::string(writtenFolder), folder};
    return resolved;
}

}  // namespace

std::string ResolveCaseInsensitively(const std::string& nativePath) {
    std::string folder;
    return Resolve(nativePath, LastComponent::LookedUp, folder);
}

std::string Win32PathToNative(const char* windowsPath) { return Translate(windowsPath, LastComponent::LookedUp); }

std::string Win32PathToNativeForOpening(const char* windowsPath) {
    return Translate(windowsPath, LastComponent::AsWrittenInWalk);
}

}  // namespace paths
}  // namespace zorvane
