#include "tools/zorvane/TokenSigning.h"

#include <zorvane/LoadCert.h>

#include "tools/zorvane/SecretInput.h"

namespace cms {

const std::set<std::string> kTokenOptions = {"--module", "--serial", SecretFileOption("pin"), SecretFdOption("pin")};

namespace {

constexpr int kTokenMedium = 4;
constexpr int kSigningKeysOnly = 1;
constexpr int kEveryStore = 0;

// The token's signing certificate and the identifier of its key.
int FindSigningKey(CmsCommand& command, ByteString& module, tagCERTLIST& found) {
    const std::string work = command.Line().Value("--work", ProgramFolder());
    ByteString workFolder(work.c_str()), text2, subject, policies, drive, token;
    ByteString serial(command.Line().Value("--serial", "").c_str());
    CLoadCert loader(workFolder, text2, module);
    CArray<tagCERTLIST, tagCERTLIST&> list;
    int count = 0;
    const int code = loader.LoadCerts(kTokenMedium, subject, serial, kEveryStore, policies, kSigningKeysOnly, drive,
                                      token, 0, 0, list, count);
    if (code != 0 || count == 0) {
        std::fprintf(stderr, "zorvane sign: no signing certificate%s was found on the token of %s: %s\n",
                     serial.IsEmpty() ? "" : " with that serial", module.GetData(), loader.m_spareText.GetData());
        return kOperationFailed;
    }
    found = list[0];
    return kContinue;
}

}  // namespace

bool SignsOnToken(const CommandLine& line) { return line.values.count("--module") != 0; }

int SignOnToken(CmsCommand& command, ByteString& content, ByteString& signedData) {
    const CommandLine& line = command.Line();
    for (const std::string& refused : {std::string("--folder"), std::string("--cert"), std::string("--key"),
                                       std::string("--add-to"), SecretFileOption("password"), SecretFdOption("password")})
        if (line.values.count(refused)) return command.Usage(refused + " does not go with --module");
    if (line.Has("--no-attributes")) return command.Usage("a token signs with signed attributes only");
    ByteString module(line.values.at("--module").c_str());
    tagCERTLIST signer;
    if (const int failed = FindSigningKey(command, module, signer); failed != kContinue) return failed;
    Secret pinText;
    std::string error;
    if (!ReadSecret(line, "pin", "Token PIN: ", pinText, error)) return command.InputProblem("the PIN: " + error);
    ByteString pin(pinText.text().c_str());
    if (const int failed = command.CheckPositionalContent(); failed != kContinue) return failed;
    if (const int failed = command.ReadPositionalContent(content); failed != kContinue) return failed;
    CCryptoEx& crypto = command.Crypto();
    int code = crypto.LoadStorage(module);
    if (code == 0) code = crypto.PKCS11_OpenSession(pin);
    if (code == 0) {
        code = line.Has("--detached") ? crypto.PKCS11_SignData_NoContent(signer.signPriKey, content, signedData)
                                      : crypto.PKCS11_SignData(signer.signPriKey, content, signedData);
        crypto.PKCS11_CloseSession();
    }
    if (code != 0) {
        const int exit = command.ToolkitFailure("signing on the token failed", code);
        crypto.UnloadStorage();
        return exit;
    }
    crypto.UnloadStorage();
    return kContinue;
}

}  // namespace cms
