#pragma once
// Result codes told in words: each command keeps a table of the codes that reach it.

#include <cstddef>

struct CodeMeaning {
    int code;
    const char* text;
};

template <std::size_t N>
const char* MeaningOf(const CodeMeaning (&meanings)[N], int code, const char* otherwise) {
    for (const CodeMeaning& meaning : meanings)
        if (meaning.code == code) return meaning.text;
    return otherwise;
}

// The toolkit's answer when the work folder's Quellark.dll did not load.
constexpr char kToolkitNotLoaded[] = "the toolkit is not loaded; the work folder (--work DIR) must hold Quellark.dll";
