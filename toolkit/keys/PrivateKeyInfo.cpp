#include "toolkit/keys/PrivateKeyInfo.h"

namespace qlk::keys {

namespace {

constexpr unsigned char kPublicKeyPrimitive = 0x81;  // [1] IMPLICIT BIT STRING

bool ReadHead(der::Reader& body) {
    int version = 0;
    der::Reader algorithm, key;
    return body.ReadSmallInteger(version) && version <= 1 && body.ReadElement(der::kSequence, algorithm) &&
           algorithm.PeekTag(der::kObject) && body.ReadElement(der::kOctetString, key) && !key.Empty();
}

bool ReadTail(der::Reader& body) {
    if (body.Empty()) return true;
    unsigned char tag = 0;
    der::Reader ignored;
    if (!body.ReadAnyElement(tag, ignored)) return false;
    return (tag == kPublicKeyPrimitive || tag == der::kContext1) && body.Empty();
}

}  // namespace

bool ParsePrivateKeyInfo(const unsigned char* data, std::size_t length, PrivateKeyInfoParts& parts) {
    if (data == nullptr) return false;
    der::Reader input(data, length), body;
    if (!input.ReadElement(der::kSequence, body) || !input.Empty()) return false;
    const unsigned char* start = body.Data();
    if (!ReadHead(body)) return false;
    parts.head = der::Reader(start, static_cast<std::size_t>(body.Data() - start));
    if (body.PeekTag(der::kContext0) && !body.ReadElement(der::kContext0, parts.attributes)) return false;
    parts.tail = body;
    return ReadTail(body);
}

}  // namespace qlk::keys
