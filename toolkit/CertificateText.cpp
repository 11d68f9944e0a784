#include "toolkit/CertificateText.h"

#include <openssl/objects.h>
#include <openssl/x509v3.h>

#include <cstdio>
#include <ctime>
#include <iterator>
#include <vector>

#include "toolkit/Certificates.h"
#include "toolkit/Names.h"
#include "toolkit/OpenSsl.h"

namespace qlk {
namespace {

const char* const kListSeparator = ", ";

void Append(std::string& list, const std::string& item) {
    if (!list.empty()) list += kListSeparator;
    list += item;
}

std::string StringBytesHex(const ASN1_STRING* value) {
    if (value == nullptr) return {};
    return ToHex(ASN1_STRING_get0_data(value), static_cast<std::size_t>(ASN1_STRING_length(value)));
}

std::string IntegerHex(const ASN1_INTEGER* value) {
    OpenSslPtr<BIGNUM, BN_free> number(ASN1_INTEGER_to_BN(value, nullptr));
    if (!number) return {};
    std::vector<unsigned char> bytes(static_cast<std::size_t>(BN_num_bytes(number.get())));
    BN_bn2bin(number.get(), bytes.data());
    std::string hex = bytes.empty() ? std::string("00") : ToHex(bytes.data(), bytes.size());
    return BN_is_negative(number.get()) ? "-" + hex : hex;
}

void SequenceFree(STACK_OF(ASN1_TYPE)* fields) { sk_ASN1_TYPE_pop_free(fields, ASN1_TYPE_free); }

// Short name of a known object (serverAuth), dotted form otherwise.
std::string ShortObjectText(const ASN1_OBJECT* object) {
    int nid = OBJ_obj2nid(object);
    return nid != NID_undef ? OBJ_nid2sn(nid) : ObjectText(object, false);
}

std::string AddressText(const ASN1_OCTET_STRING* address) {
    const unsigned char* bytes = ASN1_STRING_get0_data(address);
    if (ASN1_STRING_length(address) != 4) return StringBytesHex(address);
    char dotted[16];
    std::snprintf(dotted, sizeof dotted, "%u.%u.%u.%u", bytes[0], bytes[1], bytes[2], bytes[3]);
    return dotted;
}

// The real name of a Korean kisa-identifyData otherName (its value is the IdentifyData
// SEQUENCE, whose first element is the UTF8String realName); empty when it is not one.
std::string IdentifyDataName(const OTHERNAME* other) {
    static const char kKisaIdentifyData[] = "1.2.410.200004.10.1.1";
    if (ObjectText(other->type_id, false) != kKisaIdentifyData || other->value == nullptr ||
        other->value->type != V_ASN1_SEQUENCE) {
        return {};
    }
    const ASN1_STRING* sequence = other->value->value.sequence;
    const unsigned char* cursor = ASN1_STRING_get0_data(sequence);
    OpenSslPtr<STACK_OF(ASN1_TYPE), SequenceFree> fields(
        d2i_ASN1_SEQUENCE_ANY(nullptr, &cursor, ASN1_STRING_length(sequence)));
    if (!fields || sk_ASN1_TYPE_num(fields.get()) < 1) return {};
    const ASN1_TYPE* realName = sk_ASN1_TYPE_value(fields.get(), 0);
    return realName->type == V_ASN1_UTF8STRING ? StringText(realName->value.utf8string) : std::string();
}

std::string GeneralNameText(const GENERAL_NAME* name) {
    switch (name->type) {
        case GEN_EMAIL: return "email=" + StringText(name->d.rfc822Name);
        case GEN_DNS: return "dns=" + StringText(name->d.dNSName);
        case GEN_URI: return "uri=" + StringText(name->d.uniformResourceIdentifier);
        case GEN_IPADD: return "ip=" + AddressText(name->d.iPAddress);
        case GEN_DIRNAME: return "dirName=" + NameText(name->d.directoryName);
        case GEN_RID: return "rid=" + ObjectText(name->d.registeredID, false);
        case GEN_OTHERNAME: {
            std::string realName = IdentifyDataName(name->d.otherName);
            if (!realName.empty()) return "identifyData=" + realName;
            return "otherName=" + ObjectText(name->d.otherName->type_id, false);
        }
        default: return "other";
    }
}

std::string GeneralNamesText(const GENERAL_NAMES* names) {
    std::string text;
    for (int i = 0; i < sk_GENERAL_NAME_num(names); ++i) Append(text, GeneralNameText(sk_GENERAL_NAME_value(names, i)));
    return text;
}

// Decodes one extension: absent leaves the pointer null with Ok, undecodable or
// repeated fails with MalformedExtension.
template <class T, auto Free>
Status DecodeExtension(X509* certificate, int nid, OpenSslPtr<T, Free>& value) {
    int critical = 0;
    value.reset(static_cast<T*>(X509_get_ext_d2i(certificate, nid, &critical, nullptr)));
    if (!value && critical != -1) return Fail(Code::MalformedExtension, OBJ_nid2ln(nid));
    return Ok();
}

using BitStringPtr = OpenSslPtr<ASN1_BIT_STRING, ASN1_BIT_STRING_free>;
using PoliciesPtr = OpenSslPtr<CERTIFICATEPOLICIES, CERTIFICATEPOLICIES_free>;
using ConstraintsPtr = OpenSslPtr<BASIC_CONSTRAINTS, BASIC_CONSTRAINTS_free>;
using KeyUsagesPtr = OpenSslPtr<EXTENDED_KEY_USAGE, EXTENDED_KEY_USAGE_free>;
using NamesPtr = OpenSslPtr<GENERAL_NAMES, GENERAL_NAMES_free>;
using OctetsPtr = OpenSslPtr<ASN1_OCTET_STRING, ASN1_OCTET_STRING_free>;
using AuthorityKeyIdPtr = OpenSslPtr<AUTHORITY_KEYID, AUTHORITY_KEYID_free>;
using DistributionPointsPtr = OpenSslPtr<CRL_DIST_POINTS, CRL_DIST_POINTS_free>;
using InfoAccessPtr = OpenSslPtr<AUTHORITY_INFO_ACCESS, AUTHORITY_INFO_ACCESS_free>;

std::string NoticeText(const USERNOTICE* notice) {
    std::string text;
    if (notice->noticeref != nullptr && notice->noticeref->organization != nullptr) {
        Append(text, "noticeOrganization=" + StringText(notice->noticeref->organization));
    }
    if (notice->exptext != nullptr) Append(text, "notice=" + StringText(notice->exptext));
    return text;
}

std::string PolicyText(const POLICYINFO* policy) {
    std::string text = ObjectText(policy->policyid, false);
    for (int i = 0; i < sk_POLICYQUALINFO_num(policy->qualifiers); ++i) {
        const POLICYQUALINFO* qualifier = sk_POLICYQUALINFO_value(policy->qualifiers, i);
        switch (OBJ_obj2nid(qualifier->pqualid)) {
            case NID_id_qt_cps: Append(text, "cps=" + StringText(qualifier->d.cpsuri)); break;
            case NID_id_qt_unotice: Append(text, NoticeText(qualifier->d.usernotice)); break;
            default: Append(text, "qualifier=" + ObjectText(qualifier->pqualid, false)); break;
        }
    }
    return text;
}

Status ReadPolicies(X509* certificate, PoliciesPtr& policies) {
    QLK_RETURN_IF_FAILED(DecodeExtension(certificate, NID_certificate_policies, policies));
    if (!policies) return Fail(Code::NoPolicyExtension);
    return Ok();
}

const char* const kKeyUsageBits[] = {"digitalSignature", "nonRepudiation", "keyEncipherment",
                                     "dataEncipherment", "keyAgreement",   "keyCertSign",
                                     "cRLSign",          "encipherOnly",   "decipherOnly"};

std::string AccessMethodText(const ASN1_OBJECT* method) {
    switch (OBJ_obj2nid(method)) {
        case NID_ad_OCSP: return "ocsp";
        case NID_ad_ca_issuers: return "caIssuers";
        default: return ObjectText(method, false);
    }
}

}  // namespace

Status RenderSerial(X509* certificate, std::string& text) {
    text = IntegerHex(X509_get0_serialNumber(certificate));
    if (text.empty()) return Fail(Code::MalformedCertificate, "serial number");
    return Ok();
}

Status RenderIssuer(X509* certificate, std::string& text) {
    text = NameText(X509_get_issuer_name(certificate));
    return Ok();
}

Status RenderSubject(X509* certificate, std::string& text) {
    text = NameText(X509_get_subject_name(certificate));
    return Ok();
}

Status RenderSignatureAlgorithm(X509* certificate, std::string& text) {
    const ASN1_OBJECT* object = nullptr;
    X509_ALGOR_get0(&object, nullptr, nullptr, X509_get0_tbs_sigalg(certificate));
    text = ObjectText(object, true);
    return Ok();
}

Status RenderSignature(X509* certificate, std::string& text) {
    const ASN1_BIT_STRING* signature = nullptr;
    X509_get0_signature(&signature, nullptr, certificate);
    text = StringBytesHex(signature);
    return Ok();
}

Status RenderKeyUsage(X509* certificate, std::string& text) {
    BitStringPtr usage;
    QLK_RETURN_IF_FAILED(DecodeExtension(certificate, NID_key_usage, usage));
    text.clear();
    for (int bit = 0; usage && bit < static_cast<int>(std::size(kKeyUsageBits)); ++bit) {
        if (ASN1_BIT_STRING_get_bit(usage.get(), bit)) Append(text, kKeyUsageBits[bit]);
    }
    return Ok();
}

Status RenderPolicies(X509* certificate, std::string& text) {
    PoliciesPtr policies;
    QLK_RETURN_IF_FAILED(ReadPolicies(certificate, policies));
    text.clear();
    for (int i = 0; i < sk_POLICYINFO_num(policies.get()); ++i) {
        if (i > 0) text += '\n';
        text += PolicyText(sk_POLICYINFO_value(policies.get(), i));
    }
    return Ok();
}

Status RenderPolicyIds(X509* certificate, std::string& text) {
    PoliciesPtr policies;
    QLK_RETURN_IF_FAILED(ReadPolicies(certificate, policies));
    text.clear();
    for (int i = 0; i < sk_POLICYINFO_num(policies.get()); ++i) {
        Append(text, ObjectText(sk_POLICYINFO_value(policies.get(), i)->policyid, false));
    }
    return Ok();
}

Status RenderBasicConstraints(X509* certificate, std::string& text) {
    ConstraintsPtr constraints;
    QLK_RETURN_IF_FAILED(DecodeExtension(certificate, NID_basic_constraints, constraints));
    text.clear();
    if (!constraints) return Ok();
    text = constraints->ca ? "CA=TRUE" : "CA=FALSE";
    if (constraints->pathlen != nullptr) {
        Append(text, "pathLen=" + std::to_string(ASN1_INTEGER_get(constraints->pathlen)));
    }
    return Ok();
}

Status RenderExtKeyUsage(X509* certificate, std::string& text) {
    KeyUsagesPtr usages;
    QLK_RETURN_IF_FAILED(DecodeExtension(certificate, NID_ext_key_usage, usages));
    text.clear();
    for (int i = 0; usages && i < sk_ASN1_OBJECT_num(usages.get()); ++i) {
        Append(text, ShortObjectText(sk_ASN1_OBJECT_value(usages.get(), i)));
    }
    return Ok();
}

Status RenderSubjectAltName(X509* certificate, std::string& text) {
    NamesPtr names;
    QLK_RETURN_IF_FAILED(DecodeExtension(certificate, NID_subject_alt_name, names));
    text = names ? GeneralNamesText(names.get()) : std::string();
    return Ok();
}

Status RenderSubjectKeyId(X509* certificate, std::string& text) {
    OctetsPtr keyId;
    QLK_RETURN_IF_FAILED(DecodeExtension(certificate, NID_subject_key_identifier, keyId));
    text = StringBytesHex(keyId.get());
    return Ok();
}

Status RenderAuthorityKeyId(X509* certificate, std::string& text) {
    AuthorityKeyIdPtr keyId;
    QLK_RETURN_IF_FAILED(DecodeExtension(certificate, NID_authority_key_identifier, keyId));
    text.clear();
    if (!keyId) return Ok();
    if (keyId->keyid != nullptr) Append(text, "keyid=" + StringBytesHex(keyId->keyid));
    if (keyId->issuer != nullptr) Append(text, "issuer=" + GeneralNamesText(keyId->issuer));
    if (keyId->serial != nullptr) Append(text, "serial=" + IntegerHex(keyId->serial));
    return Ok();
}

Status RenderCrlDistributionPoints(X509* certificate, std::string& text) {
    DistributionPointsPtr points;
    QLK_RETURN_IF_FAILED(DecodeExtension(certificate, NID_crl_distribution_points, points));
    text.clear();
    for (int i = 0; points && i < sk_DIST_POINT_num(points.get()); ++i) {
        const DIST_POINT* point = sk_DIST_POINT_value(points.get(), i);
        if (point->distpoint != nullptr && point->distpoint->type == 0) {
            Append(text, GeneralNamesText(point->distpoint->name.fullname));
        }
        if (point->CRLissuer != nullptr) Append(text, "crlIssuer=" + GeneralNamesText(point->CRLissuer));
    }
    return Ok();
}

Status RenderAuthorityInfoAccess(X509* certificate, std::string& text) {
    InfoAccessPtr access;
    QLK_RETURN_IF_FAILED(DecodeExtension(certificate, NID_info_access, access));
    text.clear();
    for (int i = 0; access && i < sk_ACCESS_DESCRIPTION_num(access.get()); ++i) {
        const ACCESS_DESCRIPTION* description = sk_ACCESS_DESCRIPTION_value(access.get(), i);
        Append(text, AccessMethodText(description->method) + "=" + GeneralNameText(description->location));
    }
    return Ok();
}

std::string PublicKeyAlgorithmText(X509* certificate) {
    ASN1_OBJECT* object = nullptr;
    X509_PUBKEY_get0_param(&object, nullptr, nullptr, nullptr, X509_get_X509_PUBKEY(certificate));
    switch (OBJ_obj2nid(object)) {
        case NID_rsaEncryption: return "RSA";
        case NID_X9_62_id_ecPublicKey: return "EC";
        case NID_dsa: return "DSA";
        case NID_ED25519: return "ED25519";
        case NID_ED448: return "ED448";
        default: break;
    }
    return ObjectText(object, false) == "1.2.410.200004.1.21" ? "KCDSA" : "UNKNOWN";
}

std::string PublicKeyText(X509* certificate) {
    const unsigned char* bits = nullptr;
    int length = 0;
    X509_PUBKEY_get0_param(nullptr, &bits, &length, nullptr, X509_get_X509_PUBKEY(certificate));
    return bits != nullptr ? ToHex(bits, static_cast<std::size_t>(length)) : std::string();
}

std::string PublicKeyBitsText(X509* certificate) {
    return std::to_string(PublicKeyBits(X509_get_X509_PUBKEY(certificate)));
}

Status RenderKstTime(const ASN1_TIME* time, std::string& text) {
    constexpr long kKoreaOffsetSeconds = 9 * 3600;
    std::tm broken{};
    if (time == nullptr || !ASN1_TIME_to_tm(time, &broken) || !OPENSSL_gmtime_adj(&broken, 0, kKoreaOffsetSeconds)) {
        return Fail(Code::MalformedCertificate, "validity");
    }
    char formatted[64];
    std::snprintf(formatted, sizeof formatted, "%04d-%02d-%02d %02d:%02d:%02d", broken.tm_year + 1900,
                  broken.tm_mon + 1, broken.tm_mday, broken.tm_hour, broken.tm_min, broken.tm_sec);
    text = formatted;
    return Ok();
}

}  // namespace qlk
