#pragma once
#include <vector>

// Each command of the zorvane program lives in its own source file and registers
// itself here with ZORVANE_COMMAND; main() looks the first argument up in the table.
// main() also answers "zorvane NAME --help" from the table, without running the command.
struct Command {
    const char* name;
    const char* usage;  // printed after "usage: zorvane " for --help and in the overview
    int (*run)(int argc, char** argv);  // argv[0] is the command name
};

std::vector<Command>& CommandTable();

struct CommandRegistration {
    explicit CommandRegistration(const Command& command) { CommandTable().push_back(command); }
};

#define ZORVANE_COMMAND(name, usage, function) \
    static const CommandRegistration registration_##function{Command{name, usage, function}}
