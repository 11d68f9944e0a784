#include "tools/pkigen/Generator.h"

#include <openssl/rand.h>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <map>
#include <memory>

#include "tools/pkigen/Catalog.h"
#include "tools/pkigen/CertificateMaker.h"
#include "tools/pkigen/Crls.h"
#include "tools/pkigen/IssuerOidConf.h"
#include "tools/pkigen/KeyStore.h"
#include "tools/pkigen/Manifest.h"
#include "tools/pkigen/Names.h"
#include "tools/pkigen/Output.h"
#include "tools/pkigen/StoreLayout.h"

namespace zorvane::pkigen {

namespace {

using X509Ptr = std::unique_ptr<X509, decltype(&X509_free)>;

constexpr long kDay = 24 * 60 * 60;
constexpr std::size_t kRandomLength = 20;

struct Validity {
    const char* label;
    long fromDays;  // relative to now
    long toDays;
    bool revoked = false;
};
constexpr Validity kValid{"valid", -1, 365};
constexpr Validity kExpired{"expired", -400, -35};
constexpr Validity kNotYetValid{"not-yet-valid", 30, 395};
constexpr Validity kRevoked{"revoked", -1, 365, true};
constexpr long kCrlDays = 7;
constexpr Validity kRootValidity{"valid", -3650, 7300};
constexpr Validity kCaValidity{"valid", -1825, 3650};

const char kGpkiServers[] = "class1";
const char kGpkiPeople[] = "class2";

std::string CheckOptions(const Options& o) {
    if (o.home.empty()) return "--home is required";
    if (o.count < 0 || o.expired < 0 || o.notYetValid < 0 || o.revoked < 0) return "counts must not be negative";
    if (o.userKeys < 1) return "--user-keys must be at least 1";
    if (o.keyBits < 1024 || o.keyBits > 8192) return "--key-bits must be between 1024 and 8192";
    if (o.iterations < 1 || o.iterations > (1 << 20)) return "--iterations must be between 1 and 1048576";
    if (o.userFolder.empty() || o.privateFolder.empty()) return "folder names must not be empty";
    for (const std::string& id : o.cas)
        if (FindCa(id) == nullptr) return "unknown CA '" + id + "'";
    return "";
}

// One person (or server) and both of its certificates.
struct Identity {
    NameEntries subject;
    std::string realName;
    std::string identityNumber;  // empty: no VID
    std::vector<unsigned char> random;
    std::vector<std::string> policies;
};

class Builder {
public:
    Builder(const Options& options, Result& result)
        : options_(options), result_(result), random_(options.seed), keys_(options.keyCache, options.keyBits),
          now_(std::time(nullptr)) {
        const std::vector<unsigned char> prefix = random_.Bytes(3);
        serialPrefix_ = {static_cast<unsigned char>(0x10 | (prefix[0] & 0x0f)), prefix[1], prefix[2]};
    }

    bool Run(std::string& error) {
        ResolveCas();
        for (const RootProfile& root : Roots())
            if (RootNeeded(root.id) && !MakeRoot(root, error)) return false;
        for (const CaProfile* ca : cas_)
            if (!MakeCa(*ca, error)) return false;
        for (const CaProfile* ca : cas_)
            if (!MakeUsersOf(*ca, error)) return false;
        if (WantsCrls() && !MakeCrls(error)) return false;
        return WriteIssuerOidConf(error);
    }

private:
    void ResolveCas() {
        for (const CaProfile& ca : Cas())
            if (options_.cas.empty() || std::find(options_.cas.begin(), options_.cas.end(), ca.id) != options_.cas.end())
                cas_.push_back(&ca);
    }

    bool RootNeeded(const std::string& rootId) const {
        for (const CaProfile* ca : cas_)
            if (ca->rootId == rootId) return true;
        return false;
    }

    std::vector<unsigned char> NextSerial() {
        const std::uint32_t n = ++serialCounter_;
        std::vector<unsigned char> serial = serialPrefix_;
        for (int shift = 24; shift >= 0; shift -= 8) serial.push_back(static_cast<unsigned char>(n >> shift));
        return serial;
    }

    void SetValidity(CertificateRequest& request, const Validity& validity) const {
        request.notBefore = now_ + validity.fromDays * kDay;
        request.notAfter = now_ + validity.toDays * kDay;
    }

    CertificateRecord Describe(const CertificateRequest& request, const std::string& issuer,
                               const std::string& certPath) const {
        CertificateRecord record;
        record.certPath = certPath;
        record.subject = NameText(request.subject);
        record.issuer = issuer;
        record.serial = Hex(request.serial);
        record.notBefore = KoreaTimeText(request.notBefore);
        record.notAfter = KoreaTimeText(request.notAfter);
        record.policies = request.policies;
        return record;
    }

    std::string AuthorityPath(const std::string& name) const { return options_.home + "/pkigen-ca/" + name + ".der"; }

    bool MakeAuthority(const std::string& role, const NameEntries& name, const std::string& issuerRole,
                       AuthorityRecord& record, std::string& error) {
        CertificateRequest request;
        request.kind = issuerRole.empty() ? CertificateKind::Root : CertificateKind::Ca;
        request.subject = name;
        request.subjectKey = keys_.Get(role, error);
        if (request.subjectKey == nullptr) return false;
        request.issuer = issuerRole.empty() ? nullptr : authorities_.at(issuerRole).get();
        request.issuerKey = issuerRole.empty() ? request.subjectKey : keys_.Get(issuerRole, error);
        request.serial = NextSerial();
        SetValidity(request, issuerRole.empty() ? kRootValidity : kCaValidity);
        // A root names its own CRL: checking the whole path checks the trusted root too.
        request.crlUrls = CrlUrls(options_.crlLdapBase, options_.crlHttpBase, issuerRole.empty() ? role : issuerRole);
        X509Ptr cert(MakeCertificate(request, error), X509_free);
        const std::string path = AuthorityPath(role);
        if (!cert || !WriteBytes(path, CertificateDer(cert.get()), error)) return false;
        const NameEntries& issuerName = issuerRole.empty() ? name : issuerNames_.at(issuerRole);
        record.issuerCN = NameValue(name, "cn");
        record.certificate = Describe(request, NameText(issuerName), path);
        authorities_.emplace(role, std::move(cert));
        issuerNames_[role] = name;
        return true;
    }

    bool MakeRoot(const RootProfile& root, std::string& error) {
        AuthorityRecord record;
        record.id = root.id;
        record.store = "root";
        if (!MakeAuthority("root-" + root.id, root.name, "", record, error)) return false;
        result_.roots.push_back(std::move(record));
        return true;
    }

    bool MakeCa(const CaProfile& ca, std::string& error) {
        AuthorityRecord record;
        record.id = ca.id;
        record.store = StoreName(ca.store);
        record.folder = ca.folder;
        record.displayName = ca.displayName;
        if (!MakeAuthority("ca-" + ca.id, ca.name, "root-" + ca.rootId, record, error)) return false;
        result_.cas.push_back(std::move(record));
        return true;
    }

    bool MakeUsersOf(const CaProfile& ca, std::string& error) {
        const struct {
            const Validity* validity;
            int count;
        } batches[] = {{&kValid, options_.count},
                       {&kExpired, options_.expired},
                       {&kNotYetValid, options_.notYetValid},
                       {&kRevoked, options_.revoked}};
        for (const auto& batch : batches) {
            for (int i = 0; i < batch.count; ++i) {
                const std::string gpkiClass = ca.store == Store::Gpki ? kGpkiPeople : "";
                if (!MakeUser(ca, *batch.validity, gpkiClass, error)) return false;
            }
        }
        // Government servers: one per valid person, in class1.
        for (int i = 0; ca.store == Store::Gpki && i < options_.count; ++i)
            if (!MakeUser(ca, kValid, kGpkiServers, error)) return false;
        return true;
    }

    Identity NewIdentity(const CaProfile& ca, const std::string& gpkiClass) {
        Identity id;
        id.realName = KoreanName(random_);
        id.identityNumber = IdentityNumber(random_);
        id.random = random_.Bytes(kRandomLength);
        id.policies = ca.userPolicies;
        char number[16];
        std::snprintf(number, sizeof number, "%07d", ++userCounter_);
        const std::string o = NameValue(ca.name, "o");
        if (ca.store == Store::Gpki) {
            const bool server = gpkiClass == kGpkiServers;
            const std::string cn = server ? std::string("SVR131") + number : id.realName + number;
            id.subject = {{"c", "KR"}, {"o", o}, {"ou", "Ministry of Interior"}, {"ou", server ? "servers" : "people"},
                          {"cn", cn}};
            if (server) {
                id.identityNumber.clear();  // a server has no resident number, so no VID
                id.policies = {"1.2.410.100001.2.1.2"};
            }
        } else {
            id.subject = {{"c", ca.store == Store::Npki ? "kr" : "KR"}, {"o", o}, {"ou", ca.userUnit},
                          {"cn", id.realName + "()00" + number}};
        }
        return id;
    }

    // User keys come from a small pool shared round-robin: key generation would otherwise
    // dominate runs with many users. Signing and key-management keys differ when the pool
    // has two or more keys.
    void KeyRoles(std::string (&roles)[2]) const {
        const int index = userCounter_ - 1;
        roles[0] = "user-" + std::to_string((2 * index) % options_.userKeys);
        roles[1] = "user-" + std::to_string((2 * index + 1) % options_.userKeys);
    }

    static bool IdentifyDataOf(const CaProfile& ca, const Identity& id, qlk::vid::IdentifyData& vid) {
        vid.realName = id.realName;
        vid.hashNid = ca.vidHashNid;
        vid.hashNullParameters = ca.vidNullParameters;
        return qlk::vid::ComputeVid(ca.vidHashNid, id.identityNumber, id.random, vid.virtualId) ==
               qlk::vid::VidStatus::Ok;
    }

    // One of a user's two certificates: both carry the same subject, policies and VID.
    X509Ptr MakeUserCertificate(const CaProfile& ca, const Identity& id, const Validity& validity, CertificateKind kind,
                                const std::string& role, CertificateRecord& record, std::string& error) {
        X509Ptr cert(nullptr, X509_free);
        CertificateRequest request;
        request.kind = kind;
        request.subject = id.subject;
        request.subjectKey = keys_.Get(role, error);
        request.issuer = authorities_.at("ca-" + ca.id).get();
        request.issuerKey = keys_.Get("ca-" + ca.id, error);
        if (request.subjectKey == nullptr || request.issuerKey == nullptr) return cert;
        request.serial = NextSerial();
        SetValidity(request, validity);
        request.ca = &ca;
        request.crlUrls = CrlUrls(options_.crlLdapBase, options_.crlHttpBase, "ca-" + ca.id);
        request.policies = id.policies;
        request.withVid = !id.identityNumber.empty();
        if (request.withVid && !IdentifyDataOf(ca, id, request.vid)) {
            error = "VID computation failed";
            return cert;
        }
        cert.reset(MakeCertificate(request, error));
        if (cert) record = Describe(request, NameText(ca.name), "");
        return cert;
    }

    bool KeyFile(const std::string& role, const std::vector<unsigned char>* random, qlk::Bytes& file,
                 std::string& error) {
        const qlk::SecureBytes& plain = keys_.PrivateKeyInfo(role);
        qlk::SecureBytes withRandom;
        if (random != nullptr &&
            qlk::keys::AttachRandomNum(plain.data(), plain.size(), *random, withRandom) != qlk::keys::KeyFileStatus::Ok) {
            error = "cannot attach the random value";
            return false;
        }
        const qlk::SecureBytes& source = random != nullptr ? withRandom : plain;
        const qlk::keys::KeyFileStatus status =
            qlk::keys::EncryptKeyFile(source.data(), source.size(), options_.password.data(), options_.password.size(),
                                      options_.scheme, options_.iterations, file);
        if (status != qlk::keys::KeyFileStatus::Ok) error = qlk::keys::KeyFileStatusText(status);
        return status == qlk::keys::KeyFileStatus::Ok;
    }

    bool MakeUser(const CaProfile& ca, const Validity& validity, const std::string& gpkiClass, std::string& error) {
        const Identity id = NewIdentity(ca, gpkiClass);
        UserRecord user;
        std::string roles[2];
        KeyRoles(roles);
        const X509Ptr signing =
            MakeUserCertificate(ca, id, validity, CertificateKind::UserSigning, roles[0], user.signing, error);
        if (!signing) return false;
        const X509Ptr keyManagement =
            MakeUserCertificate(ca, id, validity, CertificateKind::UserKeyManagement, roles[1], user.keyManagement, error);
        if (!keyManagement) return false;
        qlk::Bytes signKey, kmKey;
        if (!KeyFile(roles[0], &id.random, signKey, error) || !KeyFile(roles[1], nullptr, kmKey, error))
            return false;
        const UserFiles files = LocateUserFiles(options_, ca, id.subject, gpkiClass);
        if (!WriteBytes(files.signCert, CertificateDer(signing.get()), error) ||
            !WriteSecretBytes(files.signKey, signKey, error) ||
            !WriteBytes(files.kmCert, CertificateDer(keyManagement.get()), error) ||
            !WriteSecretBytes(files.kmKey, kmKey, error))
            return false;
        user.ca = ca.id;
        user.store = StoreName(ca.store);
        user.folder = files.folder;
        user.gpkiClass = gpkiClass;
        user.baseName = files.baseName;
        user.realName = id.realName;
        user.identityNumber = id.identityNumber;
        user.randomHex = Hex(id.random);
        user.validity = validity.label;
        user.password = options_.password;
        if (validity.revoked) {
            std::vector<std::string>& listed = revokedSerials_["ca-" + ca.id];
            listed.push_back(user.signing.serial);
            listed.push_back(user.keyManagement.serial);
        }
        user.signing.certPath = files.signCert;
        user.signing.keyPath = files.signKey;
        user.keyManagement.certPath = files.kmCert;
        user.keyManagement.keyPath = files.kmKey;
        result_.users.push_back(std::move(user));
        return true;
    }

    bool WantsCrls() const {
        return options_.crls || options_.revoked > 0 || !options_.crlLdapBase.empty() || !options_.crlHttpBase.empty();
    }

    // Each authority's CRL beside its certificate, and all of them in one LDIF file.
    bool MakeCrls(std::string& error) {
        std::vector<std::pair<std::string, std::vector<unsigned char>>> crlsByRole;
        for (auto [prefix, records] : {std::pair{"root-", &result_.roots}, std::pair{"ca-", &result_.cas}}) {
            for (AuthorityRecord& record : *records) {
                const std::string role = prefix + record.id;
                std::vector<unsigned char> der;
                if (!MakeCrlOf(role, der, error)) return false;
                record.crlPath = options_.home + "/pkigen-ca/" + role + ".crl";
                if (!WriteBytes(record.crlPath, der, error)) return false;
                crlsByRole.emplace_back(role, std::move(der));
            }
        }
        result_.crlLdif = options_.home + "/pkigen-ca/crls.ldif";
        return WriteBytes(result_.crlLdif, CrlLdif(crlsByRole), error);
    }

    bool MakeCrlOf(const std::string& role, std::vector<unsigned char>& der, std::string& error) {
        CrlRequest request;
        request.issuer = authorities_.at(role).get();
        request.issuerKey = keys_.Get(role, error);
        if (request.issuerKey == nullptr) return false;
        request.revokedSerials = revokedSerials_[role];
        request.thisUpdate = now_ - 60 * 60;
        request.nextUpdate = now_ + kCrlDays * kDay;
        return MakeCrlDer(request, der, error);
    }

    bool WriteIssuerOidConf(std::string& error) {
        const std::string text = IssuerOidConfText(cas_);
        return WriteBytes(result_.issuerOidConf, text, error);
    }

    const Options& options_;
    Result& result_;
    SeededRandom random_;
    KeyStore keys_;
    std::time_t now_;
    std::vector<unsigned char> serialPrefix_;
    std::uint32_t serialCounter_ = 0;
    int userCounter_ = 0;
    std::vector<const CaProfile*> cas_;
    std::map<std::string, X509Ptr> authorities_;  // by key role: "root-kisa", "ca-yessign"
    std::map<std::string, NameEntries> issuerNames_;
    std::map<std::string, std::vector<std::string>> revokedSerials_;  // by issuer key role
};

unsigned long long FreshSeed() {
    unsigned long long seed = 0;
    if (RAND_bytes(reinterpret_cast<unsigned char*>(&seed), sizeof seed) != 1) seed = static_cast<unsigned long long>(std::time(nullptr));
    return seed;
}

}  // namespace

bool Generate(const Options& given, Result& result, std::string& error) {
    error = CheckOptions(given);
    if (!error.empty()) return false;
    Options options = given;
    if (!options.seedGiven) options.seed = FreshSeed();
    if (options.work.empty()) options.work = options.home;
    if (options.manifest.empty()) options.manifest = options.home + "/pkigen-manifest.json";
    result = Result{};
    result.home = options.home;
    result.work = options.work;
    result.issuerOidConf = options.work + "/IssuerOid.conf";
    result.manifest = options.manifest;
    result.seed = options.seed;
    Builder builder(options, result);
    return builder.Run(error) && WriteSecretBytes(result.manifest, ManifestJson(result), error);
}

}  // namespace zorvane::pkigen
