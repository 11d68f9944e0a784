#pragma once
// The virtual identifier (VID) of Korean certificates: subjectAltName otherName
// kisa-identifyData holding H(H(DER(HashContent))) of the identity number and the
// random value kept with the private key.

#include <openssl/x509.h>

#include <string>

#include "toolkit/keys/SecureBytes.h"

namespace qlk::vid {

enum class VidStatus {
    Ok = 0,
    NoIdentifyData,  // no subjectAltName, or no kisa-identifyData otherName in it
    Malformed,       // the identifyData does not parse
    UnsupportedHash,
    Mismatch,        // identity number and random do not give the certificate's VID
    InternalError,
};

struct IdentifyData {
    std::string realName;  // UTF-8
    int hashNid = 0;       // NID_sha1 or NID_sha256
    bool hashNullParameters = false;  // hashAlg written with NULL parameters
    Bytes virtualId;
};

const char* VidStatusText(VidStatus status);

// VID = H(H(DER(SEQUENCE { PrintableString idn, BIT STRING random })))
VidStatus ComputeVid(int hashNid, const std::string& identityNumber, const Bytes& random, Bytes& vid);

VidStatus ReadIdentifyData(X509* certificate, IdentifyData& data);

VidStatus Verify(X509* certificate, const Bytes& random, const std::string& identityNumber);

// DER of the otherName value ([0] EXPLICIT IdentifyData) for certificate makers.
VidStatus EncodeIdentifyData(const IdentifyData& data, Bytes& der);

}  // namespace qlk::vid
