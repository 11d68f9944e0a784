#pragma once
// Base64 (RFC 4648, standard alphabet, padded) and PEM armour.

#include <string>

#include "toolkit/Binstr.h"
#include "toolkit/Status.h"
#include "toolkit/keys/SecureBytes.h"

namespace qlk {

// One line, no line breaks.
std::string Base64Encode(const unsigned char* data, std::size_t length);

// The most bytes that length characters of Base64 text decode to.
inline std::size_t Base64DecodedCapacity(std::size_t length) { return length / 4 * 3; }

// Accepts line breaks, spaces and tabs anywhere; anything else outside the alphabet,
// a length that is not a multiple of four, or misplaced padding fails with MalformedBase64.
// Writes into out, which has room for Base64DecodedCapacity(length) bytes, and sets
// written to the number of bytes decoded.
Status Base64DecodeInto(const unsigned char* text, std::size_t length, unsigned char* out, std::size_t& written);
Status Base64Decode(const unsigned char* text, std::size_t length, SecureBytes& bytes);

// "-----BEGIN label-----", 64-character lines, "-----END label-----", each line ending in "\n".
std::string PemEncode(const std::string& label, const unsigned char* data, std::size_t length);

// The first PEM block of the text: its label and decoded body. Fails with MalformedPem
// when no complete block is found or the END label differs.
Status PemDecode(const unsigned char* text, std::size_t length, std::string& label, SecureBytes& bytes);

// True when the input begins (after white space) with a PEM BEGIN line.
bool LooksLikePem(const Input& input);

}  // namespace qlk
