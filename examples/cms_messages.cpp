// Makes and opens CMS messages with one certificate folder: a SignedData that anyone
// holding the certificate can verify, and an EnvelopedData that only the key holder can
// open. The messages are DER, readable by `openssl cms -inform DER`.
//
//   cms_messages WORK_FOLDER CERT_FOLDER < password
//
// WORK_FOLDER holds the toolkit (see list_certificates.cpp); CERT_FOLDER holds
// signCert.der and signPri.key. The password comes from standard input.
#include <cstdio>
#include <cstring>
#include <string>

#include <zorvane/zorvane.h>

namespace {

const int kNpkiToolkit = 1;
const int kSeed = 48;  // the content cipher of the enveloped message: SEED-CBC
const int kSha1 = 1;

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
    if (const int result = crypto.Init(kNpkiToolkit, kSeed, kSha1, ByteString(argv[1])))
        return Fail(crypto, "loading the toolkit", result);
    ByteString password = ReadPassword(), privateKey;
    if (const int result = crypto.PriKeyDecrypt(password, keyFile, privateKey))
        return Fail(crypto, "opening the key file", result);

    // SignedData: the content inside, signed attributes with the signing time (now).
    ByteString content("transfer 10,000 won to account 123-456"), signedData;
    if (const int result = crypto.MakeSignedData(certificate, privateKey, content, signedData))
        return Fail(crypto, "signing", result);
    ByteString signedContent, signer;
    if (const int result = crypto.VerifySignedData(signedData, signedContent, signer))
        return Fail(crypto, "verifying", result);
    std::printf("signed %d bytes; verified content: %s\n", signedData.GetLength(), signedContent.GetData());

    // EnvelopedData for this certificate; opening needs the private key.
    ByteString enveloped, opened;
    if (const int result = crypto.MakeEnvelopedData(certificate, content, enveloped))
        return Fail(crypto, "enveloping", result);
    if (const int result = crypto.VerifyEnvelopedData(certificate, privateKey, enveloped, opened))
        return Fail(crypto, "opening", result);
    std::printf("enveloped %d bytes; opened content: %s\n", enveloped.GetLength(), opened.GetData());

    // A changed byte at the end (inside the signature) no longer verifies (4002).
    signedData.data[signedData.length - 1] ^= 0x01;
    const int tampered = crypto.VerifySignedData(signedData, signedContent, signer);
    std::printf("a changed message: result %d\n", tampered);
    return tampered == 0 ? 1 : 0;
}
