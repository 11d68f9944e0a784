#pragma once
// Card images for NpkiCard.dll and SoftHSM2 tokens holding the generated users'
// certificates and keys, made after Generate().

#include <string>
#include <vector>

#include "tools/pkigen/Generator.h"

namespace zorvane::pkigen {

// Card images under folder, one reader folder per card:
//   reader1  the first NPKI user in slots 1 and 2, the first GPKI user (if any) in 16 and 32
//   reader2  only slot 1 (the second NPKI user's signing pair, else the first's)
//   reader3  an empty card
bool WriteCardImages(const std::string& folder, const Result& result, std::string& error);

// Writes <folder>/softhsm2.conf with its token folder <folder>/tokens and points this
// process's SOFTHSM2_CONF at it (SoftHSM2 reads it in C_Initialize).
bool PrepareSoftHsm(const std::string& folder, std::string& confPath, std::string& error);

struct TokenPlan {
    std::string label;
    std::vector<const UserRecord*> users;
    bool keyManagement = true;  // also the key-management pair of each user
};

// Initialises the module's first blank token with the label and PIN (also the security
// officer's) and stores each user's certificates, keys (sensitive, not extractable)
// and VID random as toolkit/README.md describes a token.
bool ProvisionToken(const std::string& module, const std::string& pin, const TokenPlan& plan, std::string& error);

// What the program makes when asked: card images in options.cardFolder, and in
// options.tokenFolder two tokens (every NPKI user; the first user's signing pair only)
// beside the blank slot SoftHSM2 always offers.
bool WriteMediaImages(const Options& options, const Result& result, std::string& error);

}  // namespace zorvane::pkigen
