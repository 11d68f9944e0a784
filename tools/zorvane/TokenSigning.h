#pragma once
// zorvane sign --module: a CMS SignedData whose signature a PKCS#11 token makes; the
// private key never leaves the token.

#include <set>
#include <string>

#include "tools/zorvane/CmsInputs.h"

namespace cms {

// The options that sign takes for a token.
extern const std::set<std::string> kTokenOptions;

bool SignsOnToken(const CommandLine& line);
// Asks for the token's PIN (--pin-file, --pin-fd or a prompt), finds the signing
// certificate as `zorvane list --media 4` lists it (the first, or the one of --serial) and
// signs the content on the token, detached with --detached.
int SignOnToken(CmsCommand& command, ByteString& content, ByteString& signedData);

}  // namespace cms
