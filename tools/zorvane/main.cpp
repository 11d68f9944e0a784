#include <cstdio>
#include <cstring>

#include "tools/zorvane/Command.h"

std::vector<Command>& CommandTable() {
    static std::vector<Command> table;
    return table;
}

namespace {

int PrintUsage(FILE* out) {
    std::fprintf(out, "zorvane %s: Korean PKI certificate library tool\n\nusage:\n", ZORVANE_VERSION);
    for (const Command& command : CommandTable()) std::fprintf(out, "  zorvane %s\n", command.usage);
    return out == stdout ? 0 : 2;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) return PrintUsage(stderr);
    if (!std::strcmp(argv[1], "--help") || !std::strcmp(argv[1], "help")) return PrintUsage(stdout);
    for (const Command& command : CommandTable()) {
        if (!std::strcmp(command.name, argv[1])) return command.run(argc - 1, argv + 1);
    }
    std::fprintf(stderr, "zorvane: unknown command '%s'\n\n", argv[1]);
    return PrintUsage(stderr);
}
