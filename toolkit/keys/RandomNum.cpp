// The randomNum attribute of a PrivateKeyInfo: the random value R that, with the identity
// number, gives the certificate's virtual identifier.
#include "toolkit/keys/KeyFile.h"
#include "toolkit/keys/Oids.h"
#include "toolkit/keys/PrivateKeyInfo.h"

namespace qlk::keys {

namespace {

struct Attribute {
    der::Reader whole;
    bool isRandomNum = false;
    der::Reader values;  // contents of the SET
};

bool ReadAttribute(der::Reader& attributes, Attribute& attribute) {
    der::Reader body, type;
    if (!attributes.ReadElementWithHeader(der::kSequence, attribute.whole, body)) return false;
    if (!body.ReadElement(der::kObject, type) || !body.ReadElement(der::kSet, attribute.values) || !body.Empty())
        return false;
    attribute.isRandomNum = type.Equals(oid::kRandomNum);
    return true;
}

KeyFileStatus ReadRandomValue(der::Reader values, Bytes& random) {
    der::Reader bits;
    if (!values.ReadElement(der::kBitString, bits) || !values.Empty()) return KeyFileStatus::Malformed;
    if (bits.Length() < 2 || bits.Data()[0] != 0) return KeyFileStatus::Malformed;
    random.assign(bits.Data() + 1, bits.Data() + bits.Length());
    return KeyFileStatus::Ok;
}

void WriteRandomNum(der::Writer& writer, const Bytes& random) {
    writer.Open(der::kSequence);
    writer.AddObject(oid::kRandomNum);
    writer.Open(der::kSet);
    writer.Open(der::kBitString);
    const unsigned char noUnusedBits = 0;
    writer.AddRaw(&noUnusedBits, 1);
    writer.AddRaw(random.data(), random.size());
    writer.Close();
    writer.Close();
    writer.Close();
}

}  // namespace

KeyFileStatus ExtractRandomNum(const unsigned char* privateKeyInfo, std::size_t length, Bytes& random) {
    PrivateKeyInfoParts parts;
    if (!ParsePrivateKeyInfo(privateKeyInfo, length, parts)) return KeyFileStatus::Malformed;
    der::Reader attributes = parts.attributes;
    while (!attributes.Empty()) {
        Attribute attribute;
        if (!ReadAttribute(attributes, attribute)) return KeyFileStatus::Malformed;
        if (attribute.isRandomNum) return ReadRandomValue(attribute.values, random);
    }
    return KeyFileStatus::NoRandom;
}

KeyFileStatus AttachRandomNum(const unsigned char* privateKeyInfo, std::size_t length, const Bytes& random,
                              SecureBytes& withRandom) {
    PrivateKeyInfoParts parts;
    if (!ParsePrivateKeyInfo(privateKeyInfo, length, parts) || random.empty()) return KeyFileStatus::Malformed;
    der::Writer writer;
    writer.Open(der::kSequence);
    writer.AddRaw(parts.head.Data(), parts.head.Length());
    writer.Open(der::kContext0);
    der::Reader attributes = parts.attributes;
    while (!attributes.Empty()) {  // keep every other attribute, replace an old randomNum
        Attribute attribute;
        if (!ReadAttribute(attributes, attribute)) return KeyFileStatus::Malformed;
        if (!attribute.isRandomNum) writer.AddRaw(attribute.whole.Data(), attribute.whole.Length());
    }
    WriteRandomNum(writer, random);
    writer.Close();
    writer.AddRaw(parts.tail.Data(), parts.tail.Length());
    writer.Close();
    withRandom.swap(writer.Result());
    return KeyFileStatus::Ok;
}

}  // namespace qlk::keys
