#pragma once
#include <map>
#include <set>
#include <string>
#include <vector>

#include "tools/zorvane/ProgramFolder.h"

// Options of one command: "--name value" for the names given as taking a value,
// "--name" alone for flags, everything else positional in order.
struct CommandLine {
    std::map<std::string, std::string> values;  // the last value of each option
    std::map<std::string, std::vector<std::string>> repeated;  // every value of each option, in order
    std::set<std::string> flags;
    std::vector<std::string> positional;
    std::string error;  // set when the arguments do not fit; the command prints it

    bool Has(const std::string& flag) const { return flags.count(flag) != 0; }
    std::string Value(const std::string& name, const std::string& fallback) const;
    std::vector<std::string> Values(const std::string& name) const;  // every value given, in order
};

// Init arguments of the library objects the commands make: the NPKI toolkit, cipher 48, hash 1.
constexpr int kNpkiToolkit = 1;
constexpr int kDefaultCipher = 48;
constexpr int kDefaultHash = 1;

// Prints "zorvane COMMAND: ERROR" (when there is an error) and the usage text to standard
// error; returns 2, the exit code for arguments that do not fit.
int UsageError(const char* command, const char* usage, const std::string& error);

// argv[0] is the command name and is skipped.
CommandLine ParseCommandLine(int argc, char** argv, const std::set<std::string>& valueNames,
                             const std::set<std::string>& flagNames);


// Every byte of standard input.
std::string ReadStandardInput();

// Two hex digits per byte; false, with bytes unchanged, when the text is not such hex.
bool DecodeHex(const std::string& hex, std::string& bytes);
