// The card and token part of zorvane demo: the generator's card images and SoftHSM2
// tokens, listed by zorvane list, and a CMS signature made on the token and verified
// by the library.

#include <zorvane/CryptoEx.h>
#include <zorvane/LoadCert.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/SafeFiles.h"
#include "tools/zorvane/DemoSandbox.h"
#include "tools/zorvane/DemoSteps.h"
#include "tools/zorvane/ProgramFolder.h"

namespace {

namespace fs = std::filesystem;

const char kSoftHsm[] = "/usr/lib/softhsm/libsofthsm2.so";
const char kDemoPin[] = "246810";  // the demo token's PIN; a real one comes from a prompt

// Card images in <media>/cards, tokens in <media>/tokens (SOFTHSM2_CONF points there).
int MakeMedia(const fs::path& media) {
    std::error_code error;
    fs::remove_all(media, error);
    fs::create_directories(media, error);
    const fs::path pinFile = media / "token-pin";
    const std::string pin = std::string(kDemoPin) + "\n";
    if (zorvane::paths::WriteFileAtomically(pinFile.string(), reinterpret_cast<const unsigned char*>(pin.data()),
                                            pin.size(), 0600, true) != zorvane::paths::FileResult::Ok) {
        return 1;
    }
    const fs::path program(ProgramFolder());
    const std::string generate = ShellQuoted(program / "zorvane-pkigen") + " --home " + ShellQuoted(media / "home") + " --work " +
                                 ShellQuoted(program) + " --count 1 --expired 1 --seed 7 --key-cache " +
                                 ShellQuoted(media.parent_path() / "key-cache") + " --card " + ShellQuoted(media / "cards") +
                                 " --token " + ShellQuoted(media / "tokens") + " --token-pin-file " + ShellQuoted(pinFile);
    std::fflush(stdout);
    if (std::system(generate.c_str()) != 0) {
        std::fprintf(stderr, "zorvane demo: the test-PKI generator failed: %s\n", generate.c_str());
        return 1;
    }
    setenv("SOFTHSM2_CONF", (media / "tokens" / "softhsm2.conf").c_str(), 1);
    return 0;
}

// Signs on the token through the facade and verifies the message with the library.
int SignOnToken() {
    ByteString work(ProgramFolder().c_str()), text2, module(kSoftHsm), subject, serial, policies, drive, mediaText;
    CLoadCert loader(work, text2, module);
    CArray<tagCERTLIST, tagCERTLIST&> list;
    int count = 0;
    if (loader.LoadCerts(4, subject, serial, 0, policies, 1, drive, mediaText, 0, 0, list, count) != 0 || count == 0) {
        std::fprintf(stderr, "zorvane demo: no signing certificate on the token: %s\n", loader.m_spareText.GetData());
        return 1;
    }
    CCryptoEx crypto;
    ByteString pin(kDemoPin), content("signed on the token"), message, verified, signer;
    const int opened = crypto.Init(2, 0, 0, work);
    int result = opened != 0 ? opened : crypto.LoadStorage(module);
    if (result == 0) result = crypto.PKCS11_OpenSession(pin);
    if (result == 0) result = crypto.PKCS11_SignData(list[0].signPriKey, content, message);
    crypto.PKCS11_CloseSession();
    crypto.UnloadStorage();
    if (result == 0) result = crypto.VerifySignedData(message, verified, signer);
    if (result != 0) {
        ByteString reason;
        crypto.GetErrInfo(reason);
        std::fprintf(stderr, "zorvane demo: token signature failed (%d) %s\n", result, reason.GetData());
        return 1;
    }
    std::printf("CMS SignedData of %d bytes, signed by the token's key for %s;\n", message.GetLength(),
                list[0].subjectName.GetData());
    std::printf("verified by the library: content \"%s\", signer certificate %d bytes\n", verified.GetData(),
                signer.GetLength());
    return 0;
}

}  // namespace

int ShowDemoCardAndToken() {
    const fs::path media = fs::path(ProgramFolder()) / "demo" / "media";
    std::printf("== card images and SoftHSM2 tokens from the generator\n");
    if (const int failed = MakeMedia(media)) return failed;
    std::printf("\n== zorvane list --media 3 --reader %s (a smart card through NpkiCard.dll)\n",
                (media / "cards" / "reader1").c_str());
    if (const int failed = RunCommandHere({"list", "--media", "3", "--reader", (media / "cards" / "reader1").string()})) {
        return failed;
    }
    std::printf("\n== zorvane list --media 4 --module %s (a PKCS#11 token)\n", kSoftHsm);
    if (const int failed = RunCommandHere({"list", "--media", "4", "--module", kSoftHsm})) return failed;
    std::printf("\n== a CMS signature made on the token\n");
    return SignOnToken();
}
