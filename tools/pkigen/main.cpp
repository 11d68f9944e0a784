// zorvane-pkigen: builds a complete test PKI of the Korean stores into a home folder.
#include <cstdio>

#include "tools/pkigen/Arguments.h"
#include "tools/pkigen/Generator.h"
#include "tools/pkigen/MediaImages.h"

int main(int argc, char** argv) {
    using namespace zorvane::pkigen;
    Options options;
    std::string error;
    switch (ParseArguments(argc, argv, options, error)) {
    case ParseOutcome::Help: std::fputs(kUsage, stdout); return 0;
    case ParseOutcome::Error: std::fprintf(stderr, "zorvane-pkigen: %s\n%s", error.c_str(), kUsage); return 2;
    case ParseOutcome::Run: break;
    }
    Result result;
    if (!Generate(options, result, error) || !WriteMediaImages(options, result, error)) {
        std::fprintf(stderr, "zorvane-pkigen: %s\n", error.c_str());
        return 1;
    }
    std::printf("%zu roots, %zu CAs, %zu users; manifest %s\n", result.roots.size(), result.cas.size(),
                result.users.size(), result.manifest.c_str());
    return 0;
}
