#include "tools/zorvane/ChannelKeys.h"

#include <zorvane/GenKey.h>

#include <cstdio>

#include "tools/zorvane/CmsInputs.h"
#include "tools/zorvane/CommandLine.h"

namespace {

ByteString Bytes(const std::string& text) { return ByteString(text.data(), static_cast<int>(text.size())); }

struct KeyPart {
    const char* label;
    const char* jsonName;
    ByteString ChannelKeys::*value;
};

const KeyPart kParts[] = {
    {"key block", "keyBlock", &ChannelKeys::keyBlock},    {"client key", "clientKey", &ChannelKeys::clientKey},
    {"client iv", "clientIv", &ChannelKeys::clientIV},    {"server key", "serverKey", &ChannelKeys::serverKey},
    {"server iv", "serverIv", &ChannelKeys::serverIV},
};

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

void PrintChannelKeys(int algo, ChannelKeys& keys, bool json) {
    cms::JsonObject object;
    object.Number("algorithm", algo);
    if (!json) std::printf("%-11s %d\n", "algorithm", algo);
    for (const KeyPart& part : kParts) {
        const std::string hex = (keys.*part.value).ToHex().GetData();
        object.Text(part.jsonName, hex);
        if (!json) std::printf("%-11s %s\n", part.label, hex.c_str());
    }
    if (json) std::printf("%s\n", object.Done().c_str());
}
