#pragma once
// Secure-channel keys as `zorvane kdf` derives and prints them (CGenKey), shared with the demo.

#include <zorvane/ByteString.h>

#include <string>

struct ChannelKeys {
    ByteString keyBlock, clientKey, clientIV, serverKey, serverIV;
};

// The key block of algorithm `algo` from the secret and the two seeds, split into the
// client and server keys and IVs. 0, or the library's code with its text in `error`.
int DeriveChannelKeys(const std::string& work, int algo, const std::string& secret, const std::string& seed1,
                      const std::string& seed2, ChannelKeys& keys, std::string& error);

// As labelled hex lines, or as one JSON object of hex strings.
void PrintChannelKeys(int algo, ChannelKeys& keys, bool json = false);
