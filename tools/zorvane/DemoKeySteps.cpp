// The key part of zorvane demo: one certificate of the sandbox inspected, then its key file
// opened with the password and a plain signature made and checked through the facade.

#include <zorvane/CryptoEx.h>

#include <cstdio>
#include <string>

#include "tools/zorvane/CommandLine.h"
#include "tools/zorvane/DemoSandbox.h"
#include "tools/zorvane/DemoSteps.h"
#include "tools/zorvane/ProgramFolder.h"

namespace {

constexpr int kSha256 = 4;

int Failed(CCryptoEx& crypto, const char* step, int code) {
    ByteString reason;
    crypto.GetErrInfo(reason);
    std::fprintf(stderr, "zorvane demo: %s failed (code %d) %s\n", step, code, reason.GetData());
    return 1;
}

// The user's private key, decrypted from signPri.key with the password.
int OpenKey(CCryptoEx& crypto, const DemoUser& user, ByteString& certificate, ByteString& privateKey) {
    const std::string folder = (DemoSandbox() / user.folder).string();
    ByteString keyFile, password(user.password.c_str());
    if (certificate.LoadFile((folder + "/signCert.der").c_str()) || keyFile.LoadFile((folder + "/signPri.key").c_str())) {
        std::fprintf(stderr, "zorvane demo: %s holds no signCert.der and signPri.key\n", folder.c_str());
        return 1;
    }
    const int code = crypto.PriKeyDecrypt(password, keyFile, privateKey);
    return code ? Failed(crypto, "opening signPri.key", code) : 0;
}

}  // namespace

int InspectDemoCertificate() {
    std::printf("== zorvane inspect (one certificate's fields, as the library reads them)\n");
    DemoUser user;
    if (!FindDemoUser("valid", user)) return 1;
    return RunInSandbox({"inspect", user.folder + "/signCert.der"});
}

int SignWithDemoKey() {
    std::printf("== a plain signature through CCryptoEx (PriKeyDecrypt, MakeSimpleSignedData, VerifySimpleSignedData)\n");
    std::printf("The key file opens with the user's password; the certificate alone checks the signature.\n");
    DemoUser user;
    if (!FindDemoUser("valid", user)) return 1;
    CCryptoEx crypto;
    ByteString certificate, privateKey, noPassword, signature, text("I agree to the terms."),
        changed("I agree to the terms!");
    if (const int code = crypto.Init(kNpkiToolkit, kDefaultCipher, kDefaultHash, ByteString(ProgramFolder().c_str())))
        return Failed(crypto, "loading the toolkit", code);
    if (const int failed = OpenKey(crypto, user, certificate, privateKey)) return failed;
    if (const int code = crypto.MakeSimpleSignedData(privateKey, noPassword, kSha256, text, signature))
        return Failed(crypto, "signing", code);
    std::printf("signed \"%s\" with SHA-256: %d bytes of signature\n", text.GetData(), signature.GetLength());
    if (const int code = crypto.VerifySimpleSignedData(certificate, kSha256, text, signature))
        return Failed(crypto, "verifying", code);
    const int tampered = crypto.VerifySimpleSignedData(certificate, kSha256, changed, signature);
    std::printf("verified with signCert.der; a changed text is refused (code %d)\n", tampered);
    return tampered == 0 ? 1 : 0;
}
