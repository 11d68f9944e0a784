#pragma once
// Reading Windows profile ("INI") text the way GetPrivateProfileStringA does: section
// and key names compare ignoring ASCII case, blanks around names and values are
// trimmed, a value in matching quotes loses them, lines starting with ';' are comments,
// the first section and key of a name win. Pure text functions, so they can be fuzzed.

#include <string>
#include <vector>

namespace zorvane {
namespace platform {

bool FindProfileValue(const std::string& text, const std::string& section, const std::string& key,
                      std::string& value);
std::vector<std::string> ProfileSectionNames(const std::string& text);
std::vector<std::string> ProfileKeyNames(const std::string& text, const std::string& section);

}  // namespace platform
}  // namespace zorvane
