#pragma once
// One search of folder + "*.*" through the platform's first-file/next-file calls.

#include <zorvane/ByteString.h>

#include "platform/Win32.h"

namespace zorvane::discovery {

enum FirstEntry { kExamineFirstEntry, kSkipFirstEntry };

// Calls visit for every entry the search returns, in the platform's order; with
// kSkipFirstEntry the entry of the first-file call is passed over unseen (the GPKI
// reader's habit, harmless where "." comes first). A folder that cannot be searched
// yields nothing.
template <class Visit>
void ForEachFoundEntry(const ByteString& folder, FirstEntry first, Visit visit) {
    WIN32_FIND_DATAA entry = {};
    const ByteString pattern = folder + "*.*";
    HANDLE search = FindFirstFileA(pattern.GetData(), &entry);
    if (search == INVALID_HANDLE_VALUE) return;
    if (first == kExamineFirstEntry) visit(entry);
    while (FindNextFileA(search, &entry)) visit(entry);
    FindClose(search);
}

}  // namespace zorvane::discovery
