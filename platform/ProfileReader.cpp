#include "platform/ProfileReader.h"

#include <strings.h>

#include <functional>

namespace zorvane {
namespace platform {
namespace {

const char* const kBlanks = " \t\r\f\v";

std::string Trim(const std::string& text) {
    const auto first = text.find_first_not_of(kBlanks);
    if (first == std::string::npos) return "";
    return text.substr(first, text.find_last_not_of(kBlanks) - first + 1);
}

std::string Unquote(const std::string& value) {
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front()) {
        return value.substr(1, value.size() - 2);
    }
    return value;
}

bool SameName(const std::string& a, const std::string& b) { return strcasecmp(a.c_str(), b.c_str()) == 0; }

// Calls visit(section, key, value) for every key line, in file order; visit returns
// false to stop. Section headers alone are reported with an empty key and `header` set.
void WalkProfile(const std::string& text,
                 const std::function<bool(const std::string& section, bool header, const std::string& key,
                                          const std::string& value)>& visit) {
    std::string section;
    bool inSection = false;
    std::string::size_type start = text.compare(0, 3, "\xEF\xBB\xBF") == 0 ? 3 : 0;  // UTF-8 mark
    while (start < text.size()) {
        auto end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        const std::string line = Trim(text.substr(start, end - start));
        start = end + 1;
        if (line.empty() || line[0] == ';') continue;
        if (line[0] == '[') {
            const auto close = line.find(']');
            section = Trim(line.substr(1, close == std::string::npos ? std::string::npos : close - 1));
            inSection = true;
            if (!visit(section, true, "", "")) return;
            continue;
        }
        const auto equals = line.find('=');
        if (!inSection || equals == std::string::npos) continue;
        if (!visit(section, false, Trim(line.substr(0, equals)), Unquote(Trim(line.substr(equals + 1))))) return;
    }
}

void AddOnce(std::vector<std::string>& names, const std::string& name) {
    for (const std::string& known : names) {
        if (SameName(known, name)) return;
    }
    names.push_back(name);
}

// Walks the key lines of the first section of that name only; later sections of the
// same name are not read.
void WalkFirstSection(const std::string& text, const std::string& section,
                      const std::function<bool(const std::string& key, const std::string& value)>& visit) {
    bool inside = false;
    WalkProfile(text, [&](const std::string& inSection, bool header, const std::string& key, const std::string& value) {
        if (header) {
            if (inside) return false;
            inside = SameName(inSection, section);
            return true;
        }
        return !inside || visit(key, value);
    });
}

}  // namespace

bool FindProfileValue(const std::string& text, const std::string& section, const std::string& key,
                      std::string& value) {
    bool found = false;
    WalkFirstSection(text, section, [&](const std::string& name, const std::string& v) {
        if (!SameName(name, key)) return true;
        value = v;
        found = true;
        return false;
    });
    return found;
}

std::vector<std::string> ProfileSectionNames(const std::string& text) {
    std::vector<std::string> names;
    WalkProfile(text, [&](const std::string& section, bool header, const std::string&, const std::string&) {
        if (header) AddOnce(names, section);
        return true;
    });
    return names;
}

std::vector<std::string> ProfileKeyNames(const std::string& text, const std::string& section) {
    std::vector<std::string> names;
    WalkFirstSection(text, section, [&](const std::string& key, const std::string&) {
        AddOnce(names, key);
        return true;
    });
    return names;
}

}  // namespace platform
}  // namespace zorvane
