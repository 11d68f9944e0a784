#pragma once
// The JSON manifest of a generated PKI, for tests and tools that check the results.

#include <string>

#include "tools/pkigen/Generator.h"

namespace zorvane::pkigen {

std::string ManifestJson(const Result& result);

}  // namespace zorvane::pkigen
