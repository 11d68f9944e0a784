#pragma once
// Windows paths to POSIX paths, and the drive letters behind them.
//
// This is the small static library `zorvane_paths`. It depends on nothing else of
// Zorvane, so that the toolkit's shared objects can link it too and open the Windows
// paths they are handed the same way the library does.
//
// Drives: C: is the home folder ($HOME). From D: on, the folders mounted under
// /media/$USER and /run/media/$USER follow in name order, as removable drives. When the
// environment variable ZORVANE_DRIVE_TABLE names a file, that file replaces the whole
// mapping; each of its lines reads
//     <letter>: <folder> <fixed|removable>
// (the folder may contain blanks; blank lines and lines starting with '#' are ignored,
// malformed lines are skipped). An unreadable table gives no drives at all.

#include <string>
#include <vector>

namespace zorvane {
namespace paths {

enum class DriveKind { Fixed, Removable };

struct Drive {
    char letter;         // upper case, 'A' to 'Z'
    std::string folder;  // native folder that the drive's root stands for
    DriveKind kind;
};

// The drives in force: the in-process override, else the table file, else home + media.
std::vector<Drive> CurrentDrives();

// Looks a letter up (either case) in the drives in force; false when it is not mapped.
bool FindDrive(char letter, Drive& drive);
// The same in a given list of drives.
bool FindDriveIn(const std::vector<Drive>& drives, char letter, Drive& drive);

// Parses the text of a drive table file. Malformed lines are skipped.
std::vector<Drive> ParseDriveTable(const std::string& text);

// Replaces the drive mapping in this process (tests); nullptr restores the normal one.
void SetDrivesForTesting(const std::vector<Drive>* drives);

// Translates a Windows path to a native one: "\" becomes "/", runs of separators
// collapse to one, a leading "X:" becomes drive X's folder, and every component that
// does not exist with its exact case is matched case-insensitively against the entries
// of its parent folder (the first match in byte order wins; when nothing matches, the
// rest of the path is kept as written). Paths without a drive letter keep their
// meaning as native paths ("/tmp\x" is "/tmp/x"; "a\b" stays relative).
// Returns an empty text for a null or empty path and for a drive letter that is not
// mapped, so that opening the result fails.
std::string Win32PathToNative(const char* windowsPath);

// The same for a caller that opens the result at once. In a walk (see below), a last
// component whose folder has not been listed is kept as written instead of being looked
// up, so that a file spelled as it is on disk costs no look-up before its open; when
// that open finds nothing, the caller translates again with Win32PathToNative.
// Outside a walk it is Win32PathToNative.
std::string Win32PathToNativeForOpening(const char* windowsPath);

// The purely textual part of the above, without drive lookup or folder matching:
// separators unified and collapsed.
std::string NormalizeSeparators(const std::string& path);

// Case-insensitive resolution of an already native path, component by component.
std::string ResolveCaseInsensitively(const std::string& nativePath);

// While one lives on a thread, case-insensitive matching there reads each folder's
// listing once and answers from it after that, so that a walk looking up many missing
// names in one folder of N entries costs N, not N times N. A folder that changes
// meanwhile is seen as it was when first read; nested scopes share the outer one.
// The walk also reads the drives once, answers names in folders it has listed from
// those listings, and does not look up again the leading folders that a path shares
// with the one translated before it.
class ScopedFolderListings {
public:
    ScopedFolderListings();
    ~ScopedFolderListings();
    ScopedFolderListings(const ScopedFolderListings&) = delete;
    ScopedFolderListings& operator=(const ScopedFolderListings&) = delete;

private:
    bool m_outermost;
};

// Tells the walk on this thread (if any) the entries of a folder it has just listed, so
// that names in it are answered without going to the disk again.
void NoteFolderListing(const std::string& folder, const std::vector<std::string>& names);

}  // namespace paths
}  // namespace zorvane
