// FindFirstFileA / FindNextFileA / FindClose over a folder listing. A search lists "."
// and ".." first (when the pattern takes them), then the entries in byte order of their
// names, as NTFS does; readers that skip the first entry rely on that.
#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "platform/HandleTable.h"
#include "platform/PathTranslation.h"
#include "platform/Services.h"
#include "platform/Win32.h"

namespace zorvane {
namespace platform {
namespace {

struct FoundEntry {
    std::string name;
    DWORD attributes;
    std::uint64_t size;
};

class Search : public HandleObject {
public:
    explicit Search(std::vector<FoundEntry> entries) : m_entries(std::move(entries)) {}
    bool ClosesWithCloseHandle() const override { return false; }
    bool Next(WIN32_FIND_DATAA& found) {
        if (m_next >= m_entries.size()) return false;
        Fill(m_entries[m_next++], found);
        return true;
    }

private:
    static void Fill(const FoundEntry& entry, WIN32_FIND_DATAA& found) {
        found = WIN32_FIND_DATAA{};
        found.dwFileAttributes = entry.attributes;
        found.nFileSizeHigh = static_cast<DWORD>(entry.size >> 32);
        found.nFileSizeLow = static_cast<DWORD>(entry.size & 0xffffffffu);
        std::snprintf(found.cFileName, sizeof found.cFileName, "%s", entry.name.c_str());
    }
    std::vector<FoundEntry> m_entries;
    std::size_t m_next = 0;
};

bool SameLetter(char a, char b) {
    return std::tolower(static_cast<unsigned char>(a)) == std::tolower(static_cast<unsigned char>(b));
}

// Windows wildcards, ignoring ASCII case: "*" any run, "?" one character; "*.*" is everything.
bool MatchesPattern(const char* pattern, const char* name) {
    if (!std::strcmp(pattern, "*.*")) return true;
    const char* star = nullptr;
    const char* resume = nullptr;
    while (*name) {
        if (*pattern == '*') {
            star = pattern++;
            resume = name;
        } else if (*pattern == '?' || (*pattern && SameLetter(*pattern, *name))) {
            ++pattern;
            ++name;
        } else if (star) {
            pattern = star + 1;
            name = ++resume;
        } else {
            return false;
        }
    }
    while (*pattern == '*') ++pattern;
    return *pattern == 0;
}

// A folder's type is known from the listing; anything else (sizes, links) needs a stat.
FoundEntry Describe(const std::string& folder, const std::string& name, bool isFolder) {
    FoundEntry entry{name, FILE_ATTRIBUTE_NORMAL, 0};
    if (isFolder) {
        entry.attributes = FILE_ATTRIBUTE_DIRECTORY;
        return entry;
    }
    struct stat info;
    if (stat((folder + "/" + name).c_str(), &info) == 0) {
        if (S_ISDIR(info.st_mode)) entry.attributes = FILE_ATTRIBUTE_DIRECTORY;
        else entry.size = static_cast<std::uint64_t>(info.st_size);
    }
    return entry;
}

bool ListFolder(const std::string& folder, const std::string& pattern, std::vector<FoundEntry>& entries) {
    DIR* listing = opendir(folder.c_str());
    if (!listing) {
        NoteFailure("cannot search", folder, errno);
        return false;
    }
    std::vector<std::string> all;
    std::vector<std::pair<std::string, bool>> names;  // with whether the listing says folder
    while (const dirent* entry = readdir(listing)) {
        const std::string name = entry->d_name;
        if (name == "." || name == "..") continue;
        all.push_back(name);
        if (MatchesPattern(pattern.c_str(), name.c_str())) names.emplace_back(name, entry->d_type == DT_DIR);
    }
    closedir(listing);
    paths::NoteFolderListing(folder, all);
    std::sort(names.begin(), names.end());  // char_traits compare bytes as unsigned: byte order
    for (const char* dots : {".", ".."}) {
        if (MatchesPattern(pattern.c_str(), dots)) entries.push_back({dots, FILE_ATTRIBUTE_DIRECTORY, 0});
    }
    for (const auto& [name, isFolder] : names) entries.push_back(Describe(folder, name, isFolder));
    return true;
}

}  // namespace
}  // namespace platform
}  // namespace zorvane

using zorvane::platform::Search;

HANDLE FindFirstFileA(LPCSTR pattern, WIN32_FIND_DATAA* found) {
    if (!pattern || !*pattern || !found) return INVALID_HANDLE_VALUE;
    const std::string text = pattern;
    const auto cut = text.find_last_of("\\/");
    const std::string namePattern = cut == std::string::npos ? text : text.substr(cut + 1);
    std::string folder;
    if (cut == std::string::npos) folder = ".";
    else if (cut == 0) folder = "/";
    else folder = zorvane::paths::Win32PathToNative(text.substr(0, cut).c_str());
    if (folder.empty() || namePattern.empty()) return INVALID_HANDLE_VALUE;
    std::vector<zorvane::platform::FoundEntry> entries;
    if (!zorvane::platform::ListFolder(folder, namePattern, entries) || entries.empty()) return INVALID_HANDLE_VALUE;
    auto search = std::make_shared<Search>(std::move(entries));
    search->Next(*found);
    return zorvane::platform::AddHandle(search);
}

BOOL FindNextFileA(HANDLE search, WIN32_FIND_DATAA* found) {
    auto open = zorvane::platform::LookUpHandle<Search>(search);
    return open && found && open->Next(*found) ? TRUE : FALSE;
}

BOOL FindClose(HANDLE search) { return zorvane::platform::RemoveHandle<Search>(search) ? TRUE : FALSE; }
