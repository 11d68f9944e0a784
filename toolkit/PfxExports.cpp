// QLK_PFX_: a certificate folder's pairs to and from PKCS#12.

#include <array>

#include "toolkit/Binstr.h"
#include "toolkit/Certificates.h"
#include "toolkit/Export.h"
#include "toolkit/Frame.h"
#include "toolkit/Pfx.h"
#include "toolkit/PrivateKeys.h"

using namespace qlk;

namespace {

Status CheckPassword(const char* password, const char* which) {
    return password == nullptr || *password == '\0' ? Fail(Code::InvalidArgument, which) : Ok();
}

Status ReadPair(BINSTR* certificate, BINSTR* keyFile, const char* password, CertifiedKey& pair) {
    Input certificateIn, keyFileIn;
    QLK_RETURN_IF_FAILED(ReadInput(certificate, certificateIn));
    QLK_RETURN_IF_FAILED(ReadInput(keyFile, keyFileIn));
    QLK_RETURN_IF_FAILED(ParseCertificate(certificateIn, pair.certificate));
    return DecryptKeyFile(keyFileIn, password, pair.privateKeyInfo);
}

bool Given(const BINSTR* record) { return record != nullptr && record->length != 0; }

// The key-management pair is optional, but never half of it.
Status ReadPairs(BINSTR* signCert, BINSTR* signKeyFile, BINSTR* kmCert, BINSTR* kmKeyFile, const char* password,
                 std::vector<CertifiedKey>& pairs) {
    pairs.resize(1);
    QLK_RETURN_IF_FAILED(ReadPair(signCert, signKeyFile, password, pairs[0]));
    if (Given(kmCert) != Given(kmKeyFile))
        return Fail(Code::InvalidArgument, "the key-management certificate and key file go together");
    if (!Given(kmCert)) return Ok();
    pairs.resize(2);
    return ReadPair(kmCert, kmKeyFile, password, pairs[1]);
}

// Certificates and key files for the outputs, made whole before any output is touched.
using Files = std::array<Bytes, 4>;  // signing certificate and key file, then key management's

Status EncodePairs(const std::vector<CertifiedKey>& pairs, const char* password, Files& files) {
    for (std::size_t i = 0; i < pairs.size(); ++i) {
        QLK_RETURN_IF_FAILED((EncodeDer<X509, i2d_X509>(pairs[i].certificate.get(), files[2 * i])));
        const SecureBytes& key = pairs[i].privateKeyInfo;
        QLK_RETURN_IF_FAILED(
            EncryptKeyFile(Input{key.data(), key.size()}, password, keys::KeyFileScheme::SeedCbcWithSha1, files[2 * i + 1]));
    }
    return Ok();
}

}  // namespace

extern "C" {

int QLK_PFX_Export(void* context, BINSTR* signCert, BINSTR* signKeyFile, const char* keyPassword, BINSTR* kmCert,
                   BINSTR* kmKeyFile, const char* pfxPassword, BINSTR* pfx) {
    return QLK_CALL(context, [&](Context&) -> Status {
        QLK_RETURN_IF_FAILED(CheckPassword(keyPassword, "key password"));
        QLK_RETURN_IF_FAILED(CheckPassword(pfxPassword, "PFX password"));
        std::vector<CertifiedKey> pairs;
        QLK_RETURN_IF_FAILED(ReadPairs(signCert, signKeyFile, kmCert, kmKeyFile, keyPassword, pairs));
        Bytes made;
        QLK_RETURN_IF_FAILED(WritePfx(pairs, pfxPassword, made));
        return WriteOutput(pfx, made);
    });
}

int QLK_PFX_Import(void* context, BINSTR* pfx, const char* pfxPassword, const char* keyPassword, BINSTR* signCert,
                   BINSTR* signKeyFile, BINSTR* kmCert, BINSTR* kmKeyFile) {
    return QLK_CALL(context, [&](Context&) -> Status {
        BINSTR* outputs[] = {signCert, signKeyFile, kmCert, kmKeyFile};
        for (BINSTR* output : outputs)
            if (output == nullptr) return Fail(Code::InvalidArgument, "an output record");
        QLK_RETURN_IF_FAILED(CheckPassword(pfxPassword, "PFX password"));
        QLK_RETURN_IF_FAILED(CheckPassword(keyPassword, "key password"));
        Input pfxIn;
        QLK_RETURN_IF_FAILED(ReadInput(pfx, pfxIn));
        std::vector<CertifiedKey> pairs;
        QLK_RETURN_IF_FAILED(ReadPfx(pfxIn, pfxPassword, pairs));
        Files files;
        QLK_RETURN_IF_FAILED(EncodePairs(pairs, keyPassword, files));
        for (std::size_t i = 0; i < files.size(); ++i) QLK_RETURN_IF_FAILED(WriteOutput(outputs[i], files[i]));
        return Ok();
    });
}

}  // extern "C"
