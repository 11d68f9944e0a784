#pragma once
// A test PKI of one yessign CA made by the generator for a test program. The keys come
// from the build's key cache, so each RSA key is made once per build, not once per test.
// Header-only: the cache path is a compile definition of each test program.

#include <stdexcept>
#include <string>

#include "tools/pkigen/Generator.h"

namespace zorvane::testsupport {

inline pkigen::Options YessignPkiOptions(const std::string& home) {
    pkigen::Options options;
    options.home = home;
    options.cas = {"yessign"};
    options.keyCache = ZORVANE_TEST_BINARY_DIR "/pkigen-key-cache";
    return options;
}

inline pkigen::Result GeneratedPki(const pkigen::Options& options) {
    pkigen::Result pki;
    std::string error;
    if (!pkigen::Generate(options, pki, error)) throw std::runtime_error("test PKI generation failed: " + error);
    return pki;
}

}  // namespace zorvane::testsupport
