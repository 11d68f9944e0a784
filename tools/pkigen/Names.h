#pragma once
// Deterministic test identities: a seeded generator, Korean names, resident registration
// numbers with a valid check digit, and the text form of distinguished names.

#include <cstdint>
#include <string>
#include <vector>

#include "tools/pkigen/Catalog.h"

namespace zorvane::pkigen {

// SplitMix64: small, fast and the same on every platform, so a seed names the same people.
class SeededRandom {
public:
    explicit SeededRandom(std::uint64_t seed) : state_(seed) {}
    std::uint64_t Next();
    unsigned Below(unsigned bound) { return static_cast<unsigned>(Next() % bound); }
    std::vector<unsigned char> Bytes(std::size_t count);

private:
    std::uint64_t state_;
};

// A surname and a two-syllable given name, UTF-8.
std::string KoreanName(SeededRandom& random);

// 13 digits: birth date, sex digit, serial and the check digit.
std::string IdentityNumber(SeededRandom& random);

// Leaf first, lower-case attribute names, "," between attributes, RFC 4514 escaping:
// "cn=홍길동()0012345,ou=personal4IB,o=yessign,c=kr".
std::string NameText(const NameEntries& name);

}  // namespace zorvane::pkigen
