#include "tools/zorvane/SharedBlock.h"

#include "tools/zorvane/CodeMeanings.h"

namespace {

// The codes of zorvane/MemoryMap.h.
const CodeMeaning kMeanings[] = {
    {0, "the block cannot be made; the folder /dev/shm/zorvane-<uid> must be the user's own, mode 0700"},
    {400, "no block of that name exists; some process must hold it (zorvane mmf hold NAME)"},
    {401, "the block exists but cannot be mapped"},
    {402, "the text does not fit: the block takes at most 99999 bytes of text"},
};

}  // namespace

const char* SharedBlockMeaning(int result) { return MeaningOf(kMeanings, result, "the library refused it"); }
