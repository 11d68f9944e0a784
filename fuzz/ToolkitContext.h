#pragma once
// One toolkit context for the whole fuzzing run, made on first use and released at exit,
// so that each input costs only the call under test.

#include <cstdlib>

#include "crypto/QlkApi.h"
#include "fuzz/FuzzCheck.h"

namespace zorvane::fuzz {

inline void* ToolkitContext() {
    static void* context = [] {
        void* made = nullptr;
        FUZZ_CHECK(QLK_API_Init(&made, "") == 0);
        std::atexit([] {
            void* open = ToolkitContext();
            QLK_API_Finish(&open);
        });
        return made;
    }();
    return context;
}

// A BINSTR over the fuzz input; the toolkit only reads input records.
inline BINSTR InputRecord(const unsigned char* data, std::size_t size) {
    return BINSTR{const_cast<unsigned char*>(data), static_cast<int>(size)};
}

}  // namespace zorvane::fuzz
