#pragma once
// The test-PKI generator: roots, CAs and users of the Korean PKIs, their key files in the
// Korean formats, the store layouts under a home folder, IssuerOid.conf and a manifest of
// everything made. The zorvane-pkigen program is a thin wrapper; tests and benchmarks may
// call Generate() in-process.

#include <string>
#include <vector>

#include "toolkit/keys/KeyFile.h"

namespace zorvane::pkigen {

struct Options {
    std::string home;             // store layouts go under it
    std::string work;             // IssuerOid.conf goes here; default: home
    std::string manifest;         // default: <home>/pkigen-manifest.json
    std::string keyCache;         // reuse RSA keys across runs; empty: none
    std::vector<std::string> cas;  // ids from the catalogue; empty: all
    int count = 1;                // valid users per CA (GPKI: per class)
    int expired = 0;              // extra users per CA whose certificates have expired
    int notYetValid = 0;          // extra users per CA whose certificates start later
    int revoked = 0;              // extra users per CA whose certificates the CA's CRL lists
    bool crls = false;            // a CRL per root and CA; also made when revoked or a CRL base is set
    std::string crlLdapBase;      // "ldap://host:port": distribution points name cn=<role>,dc=zorvane,dc=test
    std::string crlHttpBase;      // "http://host:port": distribution points name <role>.crl under it
    std::string password = "qwer1234!";
    std::string passwordFile;     // where the program reads the password instead, never argv
    std::string passwordFd;
    unsigned long long seed = 0;  // names, numbers, serials and random values
    bool seedGiven = false;       // otherwise a fresh seed
    int userKeys = 4;             // distinct user keys shared round-robin
    int keyBits = 2048;
    int iterations = 2048;
    qlk::keys::KeyFileScheme scheme = qlk::keys::KeyFileScheme::SeedCbcWithSha1;
    bool mixedCaseFileNames = false;  // SignCert.der, SignPri.key, KmCert.der, KmPri.key
    std::string userFolder = "USER";  // NPKI/MPKI per-CA user folder spelling
    std::string privateFolder = "NPKI/Tarnel/User";  // relative to home
    std::string cardFolder;       // card images (MediaImages.h); empty: none
    std::string tokenFolder;      // SoftHSM2 configuration and tokens; empty: none
    std::string tokenPin = "123456";
    std::string softHsmModule = "/usr/lib/softhsm/libsofthsm2.so";
};

struct CertificateRecord {
    std::string certPath;
    std::string keyPath;  // empty for CA certificates
    std::string subject;  // leaf-first text form
    std::string issuer;
    std::string serial;   // lower-case hexadecimal
    std::string notBefore;  // "YYYY-MM-DD HH:MM:SS", Korea Standard Time
    std::string notAfter;
    std::vector<std::string> policies;
};

struct AuthorityRecord {
    std::string id;
    std::string store;        // roots: "root"
    std::string folder;       // NPKI CA folder, or empty
    std::string issuerCN;     // the CN of this authority's own certificate
    std::string displayName;
    CertificateRecord certificate;
    std::string crlPath;  // the CRL it signed (DER), when CRLs are made
};

struct UserRecord {
    std::string ca;
    std::string store;       // "npki", "gpki", "mpki", "private"
    std::string folder;      // certificate folder; GPKI: the class folder
    std::string gpkiClass;   // "class1" or "class2" for GPKI
    std::string baseName;    // GPKI file stem
    std::string realName;
    std::string identityNumber;  // empty when the certificate carries no VID
    std::string randomHex;       // randomNum of the signing key
    std::string validity;        // "valid", "expired", "not-yet-valid", "revoked" (valid dates, listed in the CRL)
    std::string password;
    CertificateRecord signing;
    CertificateRecord keyManagement;
};

struct Result {
    std::string home;
    std::string work;
    std::string issuerOidConf;
    std::string manifest;
    std::string crlLdif;  // the CRLs as directory entries, when CRLs are made
    unsigned long long seed = 0;
    std::vector<AuthorityRecord> roots;
    std::vector<AuthorityRecord> cas;
    std::vector<UserRecord> users;
};

// Builds everything; false with error set when an option is wrong or a step fails.
bool Generate(const Options& options, Result& result, std::string& error);

}  // namespace zorvane::pkigen
