// The virtual identifier: reading kisa-identifyData from subjectAltName and checking it
// against an identity number and the random value of the private key.
#include "toolkit/keys/Vid.h"

#include <openssl/crypto.h>
#include <openssl/evp.h>
#include <openssl/objects.h>

#include <cstring>

#include "toolkit/keys/Der.h"
#include "toolkit/keys/Oids.h"

namespace qlk::vid {

namespace {

// The tags of GeneralName that matter here: otherName is [0] IMPLICIT, constructed.
constexpr unsigned char kOtherName = der::kContext0;

bool IsPrintableStringText(const std::string& text) {
    static const char kExtra[] = " '()+,-./:=?";
    for (unsigned char c : text) {
        const bool ok = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
                        (c != 0 && std::strchr(kExtra, c) != nullptr);
        if (!ok) return false;
    }
    return true;
}

const oid::Oid* HashOid(int hashNid) {
    if (hashNid == NID_sha1) return &oid::kSha1;
    if (hashNid == NID_sha256) return &oid::kSha256;
    return nullptr;
}

bool Hash(const EVP_MD* md, const unsigned char* data, std::size_t length, Bytes& out) {
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int digestLength = 0;
    if (EVP_Digest(data, length, digest, &digestLength, md, nullptr) != 1) return false;
    out.assign(digest, digest + digestLength);
    return true;
}

// AlgorithmIdentifier { OID, NULL OPTIONAL } naming SHA-1 or SHA-256.
VidStatus ReadHashAlgorithm(der::Reader& idValue, IdentifyData& data) {
    der::Reader algorithm, oid;
    if (!idValue.ReadElement(der::kSequence, algorithm) || !algorithm.ReadElement(der::kObject, oid))
        return VidStatus::Malformed;
    data.hashNullParameters = algorithm.PeekTag(der::kNull);
    if (!algorithm.SkipOptional(der::kNull) || !algorithm.Empty()) return VidStatus::Malformed;
    if (oid.Equals(oid::kSha1)) data.hashNid = NID_sha1;
    else if (oid.Equals(oid::kSha256)) data.hashNid = NID_sha256;
    else return VidStatus::UnsupportedHash;
    return VidStatus::Ok;
}

// idValue ::= SEQUENCE { hashAlg AlgorithmIdentifier, virtualID [0] EXPLICIT OCTET STRING }
VidStatus ReadIdValue(der::Reader idValue, IdentifyData& data) {
    const VidStatus status = ReadHashAlgorithm(idValue, data);
    if (status != VidStatus::Ok) return status;
    der::Reader wrapper, value;
    if (!idValue.ReadElement(der::kContext0, wrapper) || !idValue.Empty() ||
        !wrapper.ReadElement(der::kOctetString, value) || !wrapper.Empty() || value.Empty())
        return VidStatus::Malformed;
    data.virtualId.assign(value.Data(), value.Data() + value.Length());
    return VidStatus::Ok;
}

bool ReadRealName(der::Reader& body, std::string& name) {
    unsigned char tag = 0;
    der::Reader text;
    if (!body.ReadAnyElement(tag, text)) return false;
    if (tag != der::kUtf8String && tag != der::kPrintableString) return false;
    name.assign(reinterpret_cast<const char*>(text.Data()), text.Length());
    return true;
}

// IdentifyData ::= SEQUENCE { realName UTF8String, userInfos SEQUENCE OF SEQUENCE { idType, idValue } }
VidStatus ReadIdentifyDataBody(der::Reader value, IdentifyData& data) {
    der::Reader body, userInfos;
    if (!value.ReadElement(der::kSequence, body) || !value.Empty() || !ReadRealName(body, data.realName) ||
        !body.ReadElement(der::kSequence, userInfos) || !body.Empty())
        return VidStatus::Malformed;
    while (!userInfos.Empty()) {
        der::Reader userInfo, idType, idValue;
        if (!userInfos.ReadElement(der::kSequence, userInfo) || !userInfo.ReadElement(der::kObject, idType) ||
            !userInfo.ReadElement(der::kSequence, idValue) || !userInfo.Empty())
            return VidStatus::Malformed;
        if (idType.Equals(oid::kVid)) return ReadIdValue(idValue, data);
    }
    return VidStatus::NoIdentifyData;
}

// GeneralNames ::= SEQUENCE OF GeneralName; otherName ::= [0] { type-id OID, value [0] EXPLICIT ANY }
VidStatus FindIdentifyData(der::Reader names, IdentifyData& data) {
    der::Reader sequence;
    if (!names.ReadElement(der::kSequence, sequence) || !names.Empty()) return VidStatus::Malformed;
    while (!sequence.Empty()) {
        unsigned char tag = 0;
        der::Reader name, typeId, value;
        if (!sequence.ReadAnyElement(tag, name)) return VidStatus::Malformed;
        if (tag != kOtherName) continue;
        if (!name.ReadElement(der::kObject, typeId)) return VidStatus::Malformed;
        if (!typeId.Equals(oid::kIdentifyData)) continue;
        if (!name.ReadElement(der::kContext0, value) || !name.Empty()) return VidStatus::Malformed;
        return ReadIdentifyDataBody(value, data);
    }
    return VidStatus::NoIdentifyData;
}

}  // namespace

const char* VidStatusText(VidStatus status) {
    switch (status) {
    case VidStatus::Ok: return "success";
    case VidStatus::NoIdentifyData: return "the certificate carries no identification data (VID)";
    case VidStatus::Malformed: return "the certificate's identification data is malformed";
    case VidStatus::UnsupportedHash: return "the VID uses an unsupported hash algorithm";
    case VidStatus::Mismatch: return "the identity number and random value do not match the certificate's VID";
    case VidStatus::InternalError: return "internal cryptographic error";
    }
    return "unknown VID status";
}

VidStatus ComputeVid(int hashNid, const std::string& identityNumber, const Bytes& random, Bytes& vid) {
    const EVP_MD* md = EVP_get_digestbynid(hashNid);
    if (HashOid(hashNid) == nullptr || md == nullptr) return VidStatus::UnsupportedHash;
    if (!IsPrintableStringText(identityNumber)) return VidStatus::Malformed;
    der::Writer content;  // HashContent ::= SEQUENCE { idn PrintableString, randomNum BIT STRING }
    content.Open(der::kSequence);
    content.AddElement(der::kPrintableString, reinterpret_cast<const unsigned char*>(identityNumber.data()),
                       identityNumber.size());
    content.Open(der::kBitString);
    const unsigned char noUnusedBits = 0;
    content.AddRaw(&noUnusedBits, 1);
    content.AddRaw(random.data(), random.size());
    content.Close();
    content.Close();
    Bytes inner;
    if (!Hash(md, content.Result().data(), content.Result().size(), inner) || !Hash(md, inner.data(), inner.size(), vid))
        return VidStatus::InternalError;
    return VidStatus::Ok;
}

VidStatus ReadIdentifyData(X509* certificate, IdentifyData& data) {
    if (certificate == nullptr) return VidStatus::NoIdentifyData;
    const int index = X509_get_ext_by_NID(certificate, NID_subject_alt_name, -1);
    if (index < 0) return VidStatus::NoIdentifyData;
    const ASN1_OCTET_STRING* value = X509_EXTENSION_get_data(X509_get_ext(certificate, index));
    if (value == nullptr) return VidStatus::Malformed;
    IdentifyData found;
    const VidStatus status =
        FindIdentifyData(der::Reader(ASN1_STRING_get0_data(value), static_cast<std::size_t>(ASN1_STRING_length(value))),
                         found);
    if (status == VidStatus::Ok) data = std::move(found);
    return status;
}

VidStatus Verify(X509* certificate, const Bytes& random, const std::string& identityNumber) {
    IdentifyData data;
    VidStatus status = ReadIdentifyData(certificate, data);
    if (status != VidStatus::Ok) return status;
    Bytes expected;
    status = ComputeVid(data.hashNid, identityNumber, random, expected);
    if (status == VidStatus::Malformed) return VidStatus::Mismatch;  // an identity number no VID can match
    if (status != VidStatus::Ok) return status;
    const bool same = expected.size() == data.virtualId.size() &&
                      CRYPTO_memcmp(expected.data(), data.virtualId.data(), expected.size()) == 0;
    return same ? VidStatus::Ok : VidStatus::Mismatch;
}

VidStatus EncodeIdentifyData(const IdentifyData& data, Bytes& der) {
    const oid::Oid* hashOid = HashOid(data.hashNid);
    if (hashOid == nullptr) return VidStatus::UnsupportedHash;
    if (data.virtualId.empty()) return VidStatus::Malformed;
    der::Writer writer;
    writer.Open(der::kContext0);
    writer.Open(der::kSequence);
    writer.AddElement(der::kUtf8String, reinterpret_cast<const unsigned char*>(data.realName.data()),
                      data.realName.size());
    writer.Open(der::kSequence);
    writer.Open(der::kSequence);
    writer.AddObject(oid::kVid);
    writer.Open(der::kSequence);
    writer.Open(der::kSequence);
    writer.AddObject(*hashOid);
    if (data.hashNullParameters) writer.AddElement(der::kNull, nullptr, 0);
    writer.Close();
    writer.Open(der::kContext0);
    writer.AddElement(der::kOctetString, data.virtualId.data(), data.virtualId.size());
    writer.Close();
    writer.Close();
    writer.Close();
    writer.Close();
    writer.Close();
    writer.Close();
    der.assign(writer.Result().begin(), writer.Result().end());
    return VidStatus::Ok;
}

}  // namespace qlk::vid
