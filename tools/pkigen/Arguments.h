#pragma once
// Command-line options of zorvane-pkigen.

#include <string>

#include "tools/pkigen/Generator.h"

namespace zorvane::pkigen {

enum class ParseOutcome { Run, Help, Error };

ParseOutcome ParseArguments(int argc, char** argv, Options& options, std::string& error);

extern const char kUsage[];

}  // namespace zorvane::pkigen
