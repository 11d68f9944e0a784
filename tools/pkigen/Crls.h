#pragma once
// Certificate revocation lists of the test PKI: one per root and CA, signed by it, the
// URLs that the certificates' distribution points name, and an LDIF file that loads the
// lists into a test directory.

#include <openssl/x509.h>

#include <ctime>
#include <string>
#include <utility>
#include <vector>

namespace zorvane::pkigen {

struct CrlRequest {
    X509* issuer = nullptr;
    EVP_PKEY* issuerKey = nullptr;
    std::vector<std::string> revokedSerials;  // lower-case hex
    std::time_t thisUpdate = 0;
    std::time_t nextUpdate = 0;
};

// A v2 CRL (authority key identifier, CRL number 1) in DER; false with error set.
bool MakeCrlDer(const CrlRequest& request, std::vector<unsigned char>& der, std::string& error);

// The directory entry holding an authority's CRL: cn=<role>,dc=zorvane,dc=test.
std::string CrlEntryDn(const std::string& role);

// Where an authority's CRL is published, for the distribution points of the certificates
// it issues: the LDAP entry's certificateRevocationList;binary and <role>.crl over HTTP.
// A base left empty contributes no URL.
std::vector<std::string> CrlUrls(const std::string& ldapBase, const std::string& httpBase, const std::string& role);

// The base entry dc=zorvane,dc=test and one cRLDistributionPoint entry per CRL.
std::string CrlLdif(const std::vector<std::pair<std::string, std::vector<unsigned char>>>& crlsByRole);

}  // namespace zorvane::pkigen
