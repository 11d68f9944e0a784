#include <cstdio>
#include <cstdlib>
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
    std::fprintf(out, "  zorvane COMMAND --help   the usage of one command\n  zorvane --version\n");
    return out == stdout ? 0 : 2;
}

// "--help" anywhere after the command name asks for its usage; the command does not run.
bool AsksForHelp(int argc, char** argv) {
    for (int i = 2; i < argc; ++i)
        if (!std::strcmp(argv[i], "--help")) return true;
    return false;
}

int RunCommand(const Command& command, int argc, char** argv) {
    if (!AsksForHelp(argc, argv)) return command.run(argc - 1, argv + 1);
    std::printf("usage: zorvane %s\n", command.usage);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    // With TZ unset the C library checks /etc/localtime again on every mktime, once per
    // date of every certificate listed; naming that same file reads it once per run.
    setenv("TZ", ":/etc/localtime", 0);
    if (argc < 2) return PrintUsage(stderr);
    if (!std::strcmp(argv[1], "--help") || !std::strcmp(argv[1], "-h") || !std::strcmp(argv[1], "help"))
        return PrintUsage(stdout);
    if (!std::strcmp(argv[1], "--version")) {
        std::printf("zorvane %s\n", ZORVANE_VERSION);
        return 0;
    }
    for (const Command& command : CommandTable()) {
        if (!std::strcmp(command.name, argv[1])) return RunCommand(command, argc, argv);
    }
    std::fprintf(stderr, "zorvane: unknown command '%s'\n\n", argv[1]);
    return PrintUsage(stderr);
}
