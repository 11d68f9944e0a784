#include "tools/pkigen/Arguments.h"

#include <openssl/crypto.h>

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <map>
#include <sstream>

#include "platform/SafeFiles.h"

namespace zorvane::pkigen {

const char kUsage[] =
    "usage: zorvane-pkigen --home DIR [options]\n"
    "  --home DIR            store layouts (NPKI, GPKI, MPKI, private CA) go under DIR\n"
    "  --work DIR            where IssuerOid.conf is written (default: the home folder)\n"
    "  --manifest FILE       JSON manifest (default: <home>/pkigen-manifest.json)\n"
    "  --cas LIST            comma-separated: yessign,signkorea,crosscert,kica,tradesign,gpki,mpki,private\n"
    "  --count N             valid users per CA (GPKI: N people and N servers), default 1\n"
    "  --expired N           extra users per CA with expired certificates, default 0\n"
    "  --not-yet-valid N     extra users per CA whose certificates start in 30 days, default 0\n"
    "  --revoked N           extra users per CA whose certificates the CA's CRL lists, default 0\n"
    "  --crls                a CRL per root and CA in pkigen-ca/ and crls.ldif (implied by the three\n"
    "                        revocation options)\n"
    "  --crl-ldap-base URL   distribution points name URL/cn=<role>,dc=zorvane,dc=test?certificateRevocationList;binary\n"
    "  --crl-http-base URL   distribution points name URL/<role>.crl\n"
    "  --password-file FILE  key-file password from FILE, default qwer1234!\n"
    "  --password-fd N       key-file password from descriptor N, up to its first line end\n"
    "  --seed N              deterministic names, numbers, serials and random values\n"
    "  --key-cache DIR       keep generated RSA keys in DIR and reuse them in later runs\n"
    "  --user-keys N         size of the user key pool shared round-robin, default 4\n"
    "  --key-bits N          RSA key size, default 2048\n"
    "  --iterations N        key-file iteration count, default 2048\n"
    "  --key-scheme S        seed (seedCBCWithSHA1, default) or pbes2\n"
    "  --mixed-case-names    SignCert.der, SignPri.key, KmCert.der, KmPri.key\n"
    "  --user-folder NAME    spelling of the NPKI/MPKI user folder, default USER\n"
    "  --private-folder REL  private CA folder relative to home, default NPKI/Tarnel/User\n"
    "  --card DIR            card images for NpkiCard.dll: DIR/reader1 .. reader3\n"
    "  --token DIR           SoftHSM2 tokens: DIR/softhsm2.conf and DIR/tokens\n"
    "  --token-pin-file FILE the tokens' PIN is the file's first line (default 123456)\n"
    "  --softhsm PATH        the SoftHSM2 module, default /usr/lib/softhsm/libsofthsm2.so\n";

namespace {

bool ToInt(const std::string& text, int& value) {
    char* end = nullptr;
    const long parsed = std::strtol(text.c_str(), &end, 10);
    if (text.empty() || *end != 0 || parsed < -1000000000L || parsed > 1000000000L) return false;
    value = static_cast<int>(parsed);
    return true;
}

std::vector<std::string> SplitList(const std::string& text) {
    std::vector<std::string> items;
    std::stringstream stream(text);
    for (std::string item; std::getline(stream, item, ',');)
        if (!item.empty()) items.push_back(item);
    return items;
}

using Setter = std::function<bool(Options&, const std::string&)>;

Setter Text(std::string Options::*field) {
    return [field](Options& o, const std::string& v) { return (o.*field = v, true); };
}

Setter Number(int Options::*field) {
    return [field](Options& o, const std::string& v) { return ToInt(v, o.*field); };
}

// The PIN's file must be a small regular file of this user; its first line is the PIN.
bool ReadPinFile(Options& options, const std::string& path) {
    std::vector<unsigned char> bytes;
    if (zorvane::paths::ReadOwnedFile(path, 256, bytes) != zorvane::paths::FileResult::Ok) return false;
    std::string pin(bytes.begin(), bytes.end());
    pin.erase(std::min(pin.find_first_of("\r\n"), pin.size()));
    OPENSSL_cleanse(bytes.data(), bytes.size());
    if (pin.empty()) return false;
    options.tokenPin = pin;
    OPENSSL_cleanse(&pin[0], pin.size());
    return true;
}

const std::map<std::string, Setter>& ValueOptions() {
    static const std::map<std::string, Setter> options = {
        {"--home", Text(&Options::home)},
        {"--work", Text(&Options::work)},
        {"--manifest", Text(&Options::manifest)},
        {"--key-cache", Text(&Options::keyCache)},
        {"--password-file", Text(&Options::passwordFile)},
        {"--password-fd", Text(&Options::passwordFd)},
        {"--user-folder", Text(&Options::userFolder)},
        {"--private-folder", Text(&Options::privateFolder)},
        {"--card", Text(&Options::cardFolder)},
        {"--token", Text(&Options::tokenFolder)},
        {"--token-pin-file", ReadPinFile},
        {"--softhsm", Text(&Options::softHsmModule)},
        {"--count", Number(&Options::count)},
        {"--expired", Number(&Options::expired)},
        {"--not-yet-valid", Number(&Options::notYetValid)},
        {"--revoked", Number(&Options::revoked)},
        {"--crl-ldap-base", Text(&Options::crlLdapBase)},
        {"--crl-http-base", Text(&Options::crlHttpBase)},
        {"--user-keys", Number(&Options::userKeys)},
        {"--key-bits", Number(&Options::keyBits)},
        {"--iterations", Number(&Options::iterations)},
        {"--cas", [](Options& o, const std::string& v) { return (o.cas = SplitList(v), true); }},
        {"--seed",
         [](Options& o, const std::string& v) {
             char* end = nullptr;
             o.seed = std::strtoull(v.c_str(), &end, 10);
             o.seedGiven = true;
             return !v.empty() && *end == 0;
         }},
        {"--key-scheme",
         [](Options& o, const std::string& v) {
             if (v != "seed" && v != "pbes2") return false;
             o.scheme = v == "seed" ? qlk::keys::KeyFileScheme::SeedCbcWithSha1 : qlk::keys::KeyFileScheme::Pbes2Seed;
             return true;
         }},
    };
    return options;
}

}  // namespace

ParseOutcome ParseArguments(int argc, char** argv, Options& options, std::string& error) {
    for (int i = 1; i < argc; ++i) {
        const std::string name = argv[i];
        if (name == "--help" || name == "-h") return ParseOutcome::Help;
        if (name == "--mixed-case-names" || name == "--crls") {
            (name == "--crls" ? options.crls : options.mixedCaseFileNames) = true;
            continue;
        }
        const auto option = ValueOptions().find(name);
        if (option == ValueOptions().end()) {
            error = "unknown option " + name;
            return ParseOutcome::Error;
        }
        if (i + 1 >= argc || !option->second(options, argv[i + 1])) {
            error = "bad or missing value for " + name;
            return ParseOutcome::Error;
        }
        ++i;
    }
    return ParseOutcome::Run;
}

}  // namespace zorvane::pkigen
