#pragma once
#include <vector>

// Each command of the zorvane program lives in its own source file and registers
// itself here with ZORVANE_COMMAND; main() looks the first argument up in the table.
struct Command {
    const char* name;
    const char* usage;
    int (*run)(int argc, char** argv);  // argv[0] is the command name
};

std::vector<Command>& CommandTable();

struct CommandRegistration {
    explicit CommandRegistration(const Command& command) { CommandTable().push_back(command); }
};

#define ZORVANE_COMMAND(name, usage, function) \
    static const CommandRegistration registration_##function{Command{name, usage, function}}
