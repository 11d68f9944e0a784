// The VID reader: the input becomes the raw value of a certificate's subjectAltName
// extension (the GeneralNames DER), which is all ReadIdentifyData looks at; whatever it
// finds is then checked against an identity number to drive the hashing path too.
#include <openssl/asn1.h>
#include <openssl/x509.h>
#include <openssl/x509v3.h>

#include <cstdint>
#include <memory>

#include "fuzz/FuzzCheck.h"
#include "toolkit/keys/Vid.h"

namespace {

struct X509Free {
    void operator()(X509* certificate) const { X509_free(certificate); }
};
struct OctetStringFree {
    void operator()(ASN1_OCTET_STRING* value) const { ASN1_OCTET_STRING_free(value); }
};
struct ExtensionFree {
    void operator()(X509_EXTENSION* extension) const { X509_EXTENSION_free(extension); }
};

// A certificate that carries only the given subjectAltName value, taken as is.
std::unique_ptr<X509, X509Free> CertificateWithAltName(const std::uint8_t* data, std::size_t size) {
    std::unique_ptr<X509, X509Free> certificate(X509_new());
    std::unique_ptr<ASN1_OCTET_STRING, OctetStringFree> value(ASN1_OCTET_STRING_new());
    FUZZ_CHECK(certificate && value && ASN1_OCTET_STRING_set(value.get(), data, static_cast<int>(size)) == 1);
    std::unique_ptr<X509_EXTENSION, ExtensionFree> extension(
        X509_EXTENSION_create_by_NID(nullptr, NID_subject_alt_name, 0, value.get()));
    FUZZ_CHECK(extension && X509_add_ext(certificate.get(), extension.get(), -1) == 1);
    return certificate;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    auto certificate = CertificateWithAltName(data, size);
    qlk::vid::IdentifyData found;
    const qlk::vid::VidStatus status = qlk::vid::ReadIdentifyData(certificate.get(), found);
    if (status != qlk::vid::VidStatus::Ok) return 0;
    FUZZ_CHECK(found.hashNid == NID_sha1 || found.hashNid == NID_sha256);
    FUZZ_CHECK(!found.virtualId.empty());
    const qlk::Bytes random(20, 0x11);
    const qlk::vid::VidStatus verified = qlk::vid::Verify(certificate.get(), random, "8001011234567");
    FUZZ_CHECK(verified == qlk::vid::VidStatus::Ok || verified == qlk::vid::VidStatus::Mismatch);
    return 0;
}
