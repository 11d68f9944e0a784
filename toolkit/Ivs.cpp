#include "toolkit/Ivs.h"

#include <openssl/rand.h>
#include <openssl/sha.h>

#include <map>

#include "toolkit/Directory.h"
#include "toolkit/Encoding.h"

namespace qlk {
namespace {

constexpr int kServiceSeconds = 10;

// The answer is one flat JSON object of string values; anything else is refused.
bool ReadFlatObject(const std::string& text, std::map<std::string, std::string>& fields) {
    std::size_t at = text.find_first_not_of(" \t\r\n");
    auto skipBlanks = [&] { at = text.find_first_not_of(" \t\r\n", at); };
    auto readString = [&](std::string& value) {
        if (at == std::string::npos || text[at] != '"') return false;
        const std::size_t end = text.find('"', at + 1);
        if (end == std::string::npos) return false;
        value = text.substr(at + 1, end - at - 1);
        at = end + 1;
        return value.find('\\') == std::string::npos;
    };
    if (at == std::string::npos || text[at++] != '{') return false;
    for (skipBlanks(); at != std::string::npos && text[at] != '}';) {
        std::string key, value;
        if (!readString(key)) return false;
        skipBlanks();
        if (at == std::string::npos || text[at++] != ':') return false;
        skipBlanks();
        if (!readString(value)) return false;
        fields[key] = value;
        skipBlanks();
        if (at != std::string::npos && text[at] == ',') {
            ++at;
            skipBlanks();
        }
    }
    return at != std::string::npos && text.find_first_not_of(" \t\r\n", at + 1) == std::string::npos;
}

Status CheckSignature(EVP_PKEY* serviceKey, const std::string& signedText, const std::string& signatureBase64) {
    SecureBytes signature;
    const Bytes text(signatureBase64.begin(), signatureBase64.end());
    if (!Base64Decode(text.data(), text.size(), signature).ok()) return Fail(Code::IvsSignatureInvalid);
    MdCtxPtr context(EVP_MD_CTX_new());
    const bool verified = context &&
                          EVP_DigestVerifyInit(context.get(), nullptr, EVP_sha256(), nullptr, serviceKey) == 1 &&
                          EVP_DigestVerify(context.get(), signature.data(), signature.size(),
                                           reinterpret_cast<const unsigned char*>(signedText.data()), signedText.size()) == 1;
    TakeOpenSslError();
    return verified ? Ok() : Fail(Code::IvsSignatureInvalid);
}

}  // namespace

std::string IdentityHash(const std::string& identityNumber) {
    unsigned char digest[SHA256_DIGEST_LENGTH];
    SHA256(reinterpret_cast<const unsigned char*>(identityNumber.data()), identityNumber.size(), digest);
    return ToHex(digest, sizeof digest);
}

Status AskIdentityService(const std::string& url, X509* certificate, const std::string& identityHash,
                          EVP_PKEY* serviceKey) {
    unsigned char nonceBytes[16];
    if (RAND_bytes(nonceBytes, sizeof nonceBytes) != 1) return Fail(Code::RandomFailed);
    const std::string nonce = ToHex(nonceBytes, sizeof nonceBytes);
    unsigned char* der = nullptr;
    const int length = i2d_X509(certificate, &der);
    if (length <= 0) return Fail(Code::MalformedCertificate);
    const std::string encoded = Base64Encode(der, static_cast<std::size_t>(length));
    OPENSSL_free(der);
    std::string request = "{\"certificate\":\"" + encoded + "\",\"nonce\":\"" + nonce + "\"";
    if (!identityHash.empty()) request += ",\"identityHash\":\"" + identityHash + "\"";
    request += "}";
    Bytes answer;
    QLK_RETURN_IF_FAILED(PostJson(url, request, kServiceSeconds, answer));
    std::map<std::string, std::string> fields;
    if (!ReadFlatObject(std::string(answer.begin(), answer.end()), fields) || fields["nonce"] != nonce) {
        return Fail(Code::IvsAnswerUnreadable, url);
    }
    const std::string verdict = fields["verdict"];
    if (verdict != "match" && verdict != "mismatch") return Fail(Code::IvsAnswerUnreadable, "verdict " + verdict);
    if (serviceKey != nullptr) QLK_RETURN_IF_FAILED(CheckSignature(serviceKey, nonce + ":" + verdict, fields["signature"]));
    return verdict == "match" ? Ok() : Fail(Code::IvsMismatch);
}

}  // namespace qlk
