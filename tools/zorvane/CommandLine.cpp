#include "tools/zorvane/CommandLine.h"

#include <cstdio>
#include <iostream>
#include <iterator>

std::string CommandLine::Value(const std::string& name, const std::string& fallback) const {
    auto found = values.find(name);
    return found == values.end() ? fallback : found->second;
}

std::vector<std::string> CommandLine::Values(const std::string& name) const {
    auto found = repeated.find(name);
    return found == repeated.end() ? std::vector<std::string>{} : found->second;
}

CommandLine ParseCommandLine(int argc, char** argv, const std::set<std::string>& valueNames,
                             const std::set<std::string>& flagNames) {
    CommandLine line;
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        if (argument.rfind("--", 0) != 0 || argument == "--") {
            line.positional.push_back(argument);
        } else if (flagNames.count(argument)) {
            line.flags.insert(argument);
        } else if (!valueNames.count(argument)) {
            line.error = "unknown option " + argument;
        } else if (i + 1 >= argc) {
            line.error = "option " + argument + " needs a value";
        } else {
            line.values[argument] = argv[++i];
            line.repeated[argument].push_back(argv[i]);
        }
    }
    return line;
}

std::string ReadStandardInput() {
    std::cin >> std::noskipws;
    return std::string(std::istreambuf_iterator<char>(std::cin), std::istreambuf_iterator<char>());
}

int UsageError(const char* command, const char* usage, const std::string& error) {
    if (!error.empty()) std::fprintf(stderr, "zorvane %s: %s\n", command, error.c_str());
    std::fputs(usage, stderr);
    return 2;
}

bool DecodeHex(const std::string& hex, std::string& bytes) {
    if (hex.size() % 2) return false;
    std::string decoded;
    for (std::size_t i = 0; i < hex.size(); i += 2) {
        const std::string pair = hex.substr(i, 2);
        if (pair.find_first_not_of("0123456789abcdefABCDEF") != std::string::npos) return false;
        decoded.push_back(static_cast<char>(std::stoi(pair, nullptr, 16)));
    }
    bytes = decoded;
    return true;
}
