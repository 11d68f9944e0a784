// Attribute values cut out of the toolkit's DN text ("cn=...,ou=...,o=...,c=kr").

#include <initializer_list>
#include <string>
#include <string_view>

#include "discovery/DiscoveryInternal.h"

namespace {

using zorvane::discovery::LowerAscii;
using zorvane::discovery::View;

// Finds the first of the attribute prefixes that occurs (in a lowercased copy, as a
// plain substring) and cuts the value up to the next ",". A value that runs to the end
// of the DN is not taken: the toolkit always ends a DN with the country.
int CutAttributeValue(const ByteString& dn, std::initializer_list<std::string_view> prefixes, ByteString& out) {
    const std::string lowered = LowerAscii(View(dn));
    for (std::string_view prefix : prefixes) {
        const std::size_t match = lowered.find(prefix);
        if (match == std::string::npos) continue;
        const std::size_t start = match + prefix.size();
        const std::size_t end = lowered.find(',', start);
        if (end == std::string::npos) return 1;
        out = ByteString(dn.GetData() + start, static_cast<int>(end - start));
        return 0;
    }
    return 1;
}

}  // namespace

namespace zorvane::discovery {

std::string LowerAscii(std::string_view text) {
    std::string lowered(text);
    for (char& c : lowered) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return lowered;
}

std::string WithoutSpaces(std::string_view text) {
    std::string kept;
    kept.reserve(text.size());
    for (char c : text) {
        if (c != ' ') kept.push_back(c);
    }
    return kept;
}

}  // namespace zorvane::discovery

int CLoadCert::GetCNString(ByteString& dn, ByteString& out) { return CutAttributeValue(dn, {"cn=", "ou="}, out); }

int CLoadCert::GetOString(ByteString& dn, ByteString& out) { return CutAttributeValue(dn, {"o="}, out); }

int CLoadCert::GetOUString(ByteString& dn, ByteString& out) { return CutAttributeValue(dn, {"ou="}, out); }
