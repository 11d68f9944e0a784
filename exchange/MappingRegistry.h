#pragma once

namespace zorvane {

// Handles of named shared blocks held by this process.
//
// Shared: a mapping made by CMemoryMap::CreateMMF may be held by several copies of
// the object; each copy retains it and the last release closes it.
void RetainMapping(void* mapping);
void ReleaseMapping(void* mapping);

// Kept: WriteMMF and ReadMMF keep the block they open alive for the rest of the
// process's life. One handle per name is opened on first use and reused after that;
// null when no block of that name exists.
//
// A normal exit of the process closes both kinds, so a block it held last goes with it.
void* KeptBlock(const char* name);

}  // namespace zorvane
