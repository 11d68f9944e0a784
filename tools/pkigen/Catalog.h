#pragma once
// The certification authorities of the test PKI: names, folders, policies and display
// names, modelled on the Korean accredited CAs, the government and defence CAs, and one
// private CA.

#include <string>
#include <utility>
#include <vector>

namespace zorvane::pkigen {

enum class Store { Npki, Gpki, Mpki, Private };

const char* StoreName(Store store);

// One attribute of a distinguished name, e.g. {"cn", "yessignCA Class 3"}.
using NameEntry = std::pair<std::string, std::string>;
// Attributes in certificate order: country first, common name last.
using NameEntries = std::vector<NameEntry>;

struct Policy {
    std::string oid;
    std::string name;  // UTF-8
};

struct RootProfile {
    std::string id;
    NameEntries name;
};

struct CaProfile {
    std::string id;            // option value and file stem: "yessign"
    Store store;
    std::string rootId;
    std::string folder;        // NPKI CA folder ("yessign"); empty for other stores
    NameEntries name;
    std::string displayName;   // Korean issuer name for IssuerOid.conf
    std::string domain;        // host names in CRL, AIA and CPS URIs (reserved .test domain)
    std::vector<Policy> policies;          // the CA's policies, for IssuerOid.conf
    std::vector<std::string> userPolicies;  // OIDs placed in each user certificate, in order
    std::string userUnit;      // OU of user subjects
    int vidHashNid;            // NID_sha1 or NID_sha256
    bool vidNullParameters;
};

const std::vector<RootProfile>& Roots();
const std::vector<CaProfile>& Cas();
const CaProfile* FindCa(const std::string& id);

// The value of attribute key ("cn", "o") in a name, or "".
std::string NameValue(const NameEntries& name, const std::string& key);

}  // namespace zorvane::pkigen
