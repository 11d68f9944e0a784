// Reading a PKCS#12: its key and certificate bags, each key paired with its certificate,
// the pairs ordered signing first.
#include <cstdint>
#include <string>

#include "toolkit/Pfx.h"
#include "toolkit/PrivateKeys.h"

namespace qlk {
namespace {

struct CertificateBag {
    X509Ptr certificate;
    std::string keyId;  // localKeyID, empty when absent
};

struct KeyBag {
    SecureBytes privateKeyInfo;
    std::string keyId;
};

struct Contents {
    std::vector<CertificateBag> certificates;
    std::vector<KeyBag> keys;
};

std::string KeyIdOf(const PKCS12_SAFEBAG* bag) {
    const ASN1_TYPE* id = PKCS12_SAFEBAG_get0_attr(bag, NID_localKeyID);
    if (id == nullptr || id->type != V_ASN1_OCTET_STRING) return {};
    const ASN1_STRING* value = id->value.octet_string;
    return std::string(reinterpret_cast<const char*>(ASN1_STRING_get0_data(value)),
                       static_cast<std::size_t>(ASN1_STRING_length(value)));
}

Status EncodeKey(const PKCS8_PRIV_KEY_INFO* info, SecureBytes& der) {
    const int length = info == nullptr ? -1 : i2d_PKCS8_PRIV_KEY_INFO(info, nullptr);
    if (length <= 0) return Fail(Code::PfxBagUnreadable, "a private key bag");
    der.resize(static_cast<std::size_t>(length));
    unsigned char* cursor = der.data();
    i2d_PKCS8_PRIV_KEY_INFO(info, &cursor);
    return Ok();
}

Status ReadKeyBag(const PKCS12_SAFEBAG* bag, const char* password, Contents& contents) {
    KeyBag key{{}, KeyIdOf(bag)};
    if (PKCS12_SAFEBAG_get_nid(bag) == NID_keyBag) {
        QLK_RETURN_IF_FAILED(EncodeKey(PKCS12_SAFEBAG_get0_p8inf(bag), key.privateKeyInfo));
    } else {
        Pkcs8Ptr decrypted(PKCS12_decrypt_skey_ex(bag, password, -1, nullptr, nullptr));
        QLK_RETURN_IF_FAILED(EncodeKey(decrypted.get(), key.privateKeyInfo));
    }
    contents.keys.push_back(std::move(key));
    return Ok();
}

// Keys and X.509 certificates are kept; CRLs, secrets and other bags have no place in a
// certificate folder.
Status ReadBag(const PKCS12_SAFEBAG* bag, const char* password, Contents& contents) {
    const int type = PKCS12_SAFEBAG_get_nid(bag);
    if (type == NID_keyBag || type == NID_pkcs8ShroudedKeyBag) return ReadKeyBag(bag, password, contents);
    if (type != NID_certBag || PKCS12_SAFEBAG_get_bag_nid(bag) != NID_x509Certificate) return Ok();
    X509Ptr certificate(PKCS12_SAFEBAG_get1_cert(bag));
    if (!certificate) return Fail(Code::PfxBagUnreadable, "a certificate bag");
    contents.certificates.push_back({std::move(certificate), KeyIdOf(bag)});
    return Ok();
}

// Without a MAC the password is first tried by decryption, so a failure there is the
// password's; after a verified MAC it is the bag's.
Status ReadSafes(PKCS12* pfx, const char* password, Code undecryptable, Contents& contents) {
    SafesPtr safes(PKCS12_unpack_authsafes(pfx));
    if (!safes) return Fail(Code::MalformedPfx, "the authenticated safe");
    for (int i = 0; i < sk_PKCS7_num(safes.get()); ++i) {
        PKCS7* safe = sk_PKCS7_value(safes.get(), i);
        BagsPtr bags;
        if (PKCS7_type_is_data(safe)) bags.reset(PKCS12_unpack_p7data(safe));
        else if (PKCS7_type_is_encrypted(safe)) bags.reset(PKCS12_unpack_p7encdata(safe, password, -1));
        if (!bags) return Fail(undecryptable, "safe " + std::to_string(i + 1));
        for (int j = 0; j < sk_PKCS12_SAFEBAG_num(bags.get()); ++j) {
            const Status read = ReadBag(sk_PKCS12_SAFEBAG_value(bags.get(), j), password, contents);
            if (!read.ok()) return read.code == Code::PfxBagUnreadable ? Fail(undecryptable, read.detail) : read;
        }
    }
    return Ok();
}

// The certificate named by the key's localKeyID, or else the one holding its public key.
Status CertificateOf(const KeyBag& key, Contents& contents, X509*& found) {
    PkeyPtr privateKey;
    if (!ParsePrivateKeyInfo(Input{key.privateKeyInfo.data(), key.privateKeyInfo.size()}, privateKey).ok())
        return Fail(Code::PfxBagUnreadable, "a private key");
    for (const CertificateBag& bag : contents.certificates) {
        if (key.keyId.empty() || bag.keyId != key.keyId) continue;
        if (!KeyBelongsTo(bag.certificate.get(), privateKey.get())) return Fail(Code::PfxKeyMismatch);
        found = bag.certificate.get();
        return Ok();
    }
    for (const CertificateBag& bag : contents.certificates) {
        if (!KeyBelongsTo(bag.certificate.get(), privateKey.get())) continue;
        found = bag.certificate.get();
        return Ok();
    }
    return Fail(Code::PfxKeyWithoutCertificate);
}

Status PairKeys(Contents& contents, std::vector<CertifiedKey>& pairs) {
    for (KeyBag& key : contents.keys) {
        X509* certificate = nullptr;
        QLK_RETURN_IF_FAILED(CertificateOf(key, contents, certificate));
        X509_up_ref(certificate);
        pairs.push_back({X509Ptr(certificate), std::move(key.privateKeyInfo)});
    }
    return Ok();
}

enum class Role { Signing, KeyManagement, Unclear };

Role RoleOf(X509* certificate) {
    const std::uint32_t usage = X509_get_key_usage(certificate);
    if (usage == UINT32_MAX) return Role::Unclear;  // no key usage extension
    if (usage & KU_KEY_ENCIPHERMENT) return Role::KeyManagement;
    if (usage & (KU_DIGITAL_SIGNATURE | KU_NON_REPUDIATION)) return Role::Signing;
    return Role::Unclear;
}

// One pair is the signing pair whatever its usage; two must be one of each.
Status OrderPairs(std::vector<CertifiedKey>& pairs) {
    if (pairs.empty() || pairs.size() > 2) return Fail(Code::PfxPairsUnclear, std::to_string(pairs.size()) + " keys");
    if (pairs.size() == 1) return Ok();
    const Role first = RoleOf(pairs[0].certificate.get()), second = RoleOf(pairs[1].certificate.get());
    if (first == Role::KeyManagement && second == Role::Signing) std::swap(pairs[0], pairs[1]);
    else if (first != Role::Signing || second != Role::KeyManagement)
        return Fail(Code::PfxPairsUnclear, "key usage does not tell the signing pair from the key-management pair");
    return Ok();
}

}  // namespace

Status ReadPfx(const Input& pfx, const char* password, std::vector<CertifiedKey>& pairs) {
    if (pfx.length > kMaxPfxLength) return Fail(Code::PfxTooLarge, std::to_string(pfx.length) + " bytes");
    const unsigned char* cursor = pfx.data;
    Pkcs12Ptr parsed(d2i_PKCS12(nullptr, &cursor, static_cast<long>(pfx.length)));
    if (!parsed || cursor != pfx.data + pfx.length) return Fail(Code::MalformedPfx);
    const bool macPresent = PKCS12_mac_present(parsed.get()) == 1;
    if (macPresent && PKCS12_verify_mac(parsed.get(), password, -1) != 1) return Fail(Code::PfxMacMismatch);
    Contents contents;
    QLK_RETURN_IF_FAILED(
        ReadSafes(parsed.get(), password, macPresent ? Code::PfxBagUnreadable : Code::PfxMacMismatch, contents));
    QLK_RETURN_IF_FAILED(PairKeys(contents, pairs));
    return OrderPairs(pairs);
}

}  // namespace qlk
