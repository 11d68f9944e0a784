#include "tools/zorvane/ChannelKeys.h"

#include <zorvane/GenKey.h>

#include <cstdio>

#include "tools/zorvane/CommandLine.h"

namespace {

ByteString Bytes(const std::string& text) { return ByteString(text.data(), static_cast<int>(text.size())); }

void PrintHex(const char* label, ByteString& value) { std::printf("%-11s %s\n", label, value.ToHex().GetData()); }

}  // namespace

int DeriveChannelKeys(const std::string& work, int algo, const std::string& secret, const std::string& seed1,
                      const std::string& seed2, ChannelKeys& keys, std::string& error) {
    CGenKey generator(kNpkiToolkit, kDefaultCipher, kDefaultHash, ByteString(work.c_str()));
    int result = generator.MakeKDF(algo, Bytes(secret), Bytes(seed1), Bytes(seed2), keys.keyBlock);
    if (result == 0)
        result = generator.GetKDFKeyIv(algo, keys.keyBlock, keys.clientKey, keys.clientIV, keys.serverKey,
                                       keys.serverIV);
    if (result != 0) {
        ByteString text;
        generator.GetErrInfo(text);
        error = text.GetData();
    }
    return result;
}

void PrintChannelKeys(int algo, ChannelKeys& keys) {
    std::printf("%-11s %d\n", "algorithm", algo);
    PrintHex("key block", keys.keyBlock);
    PrintHex("client key", keys.clientKey);
    PrintHex("client iv", keys.clientIV);
    PrintHex("server key", keys.serverKey);
    PrintHex("server iv", keys.serverIV);
}
