// Opens a signing key file with its password, signs a text and verifies the signature
// with the certificate.
//
//   sign_and_verify WORK_FOLDER CERT_FOLDER < password
//
// WORK_FOLDER holds the toolkit (see list_certificates.cpp). CERT_FOLDER is one certificate
// folder, such as ~/NPKI/yessign/USER/<subject>, holding signCert.der and signPri.key.
// The password comes from standard input, never from the command line, where other users
// could read it.
#include <cstdio>
#include <cstring>
#include <string>

#include <zorvane/zorvane.h>

namespace {

const int kNpkiToolkit = 1;  // any type but 0 loads Quellark.dll; 0 loads gpkiapi.dll
const int kSeed = 48;        // default cipher: SEED-CBC
const int kSha256 = 4;

// One line of standard input without its line end; the buffer is wiped after the copy.
ByteString ReadPassword() {
    char line[256] = {0};
    if (!std::fgets(line, sizeof line, stdin)) line[0] = 0;
    line[std::strcspn(line, "\r\n")] = 0;
    ByteString password(line);
    std::memset(line, 0, sizeof line);
    return password;
}

int Fail(CCryptoEx& crypto, const char* step, int result) {
    ByteString reason;
    crypto.GetErrInfo(reason);
    std::fprintf(stderr, "%s failed with result %d: %s\n", step, result, reason.GetData());
    return 1;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s WORK_FOLDER CERT_FOLDER < password\n", argv[0]);
        return 2;
    }
    const std::string folder = argv[2];
    ByteString certificate, keyFile;
    if (certificate.LoadFile((folder + "/signCert.der").c_str()) || keyFile.LoadFile((folder + "/signPri.key").c_str())) {
        std::fprintf(stderr, "cannot read signCert.der and signPri.key in %s\n", folder.c_str());
        return 1;
    }

    CCryptoEx crypto;
    if (const int result = crypto.Init(kNpkiToolkit, kSeed, kSha256, ByteString(argv[1])))
        return Fail(crypto, "loading the toolkit", result);

    // The key file is an encrypted PKCS#8 file; decrypting it gives the DER private key.
    ByteString password = ReadPassword(), privateKey;
    if (const int result = crypto.PriKeyDecrypt(password, keyFile, privateKey))
        return Fail(crypto, "opening the key file (3003: wrong password)", result);

    // Sign with the decrypted key: its password argument stays empty.
    ByteString text("I agree to the terms."), noPassword, signature;
    if (const int result = crypto.MakeSimpleSignedData(privateKey, noPassword, kSha256, text, signature))
        return Fail(crypto, "signing", result);
    std::printf("signature: %s\n", signature.ToHex().GetData());

    // Anyone holding the certificate can verify; 0 means the signature is valid.
    if (const int result = crypto.VerifySimpleSignedData(certificate, kSha256, text, signature))
        return Fail(crypto, "verifying", result);
    std::printf("verified with the certificate\n");

    // A changed text does not verify (2010).
    ByteString changed("I agree to the terms!");
    const int tampered = crypto.VerifySimpleSignedData(certificate, kSha256, changed, signature);
    std::printf("a changed text: result %d\n", tampered);
    return tampered == 0 ? 1 : 0;
}
