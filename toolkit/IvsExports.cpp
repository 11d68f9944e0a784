// The identity checks against an identity verification service: QLK_CERT_VerifyByIVS
// with an identity number, QLK_VID_VerifyByIVS after a local VID check.

#include "toolkit/Binstr.h"
#include "toolkit/Certificates.h"
#include "toolkit/Export.h"
#include "toolkit/Frame.h"
#include "toolkit/Ivs.h"
#include "toolkit/PrivateKeys.h"

using namespace qlk;

namespace {

// An identity number, wiped when it goes.
struct IdentityNumber {
    std::string text;
    ~IdentityNumber() { OPENSSL_cleanse(text.data(), text.size()); }
};

Status ReadRequestParts(const char* url, const BINSTR* certificate, std::string& address, X509Ptr& parsed) {
    QLK_RETURN_IF_FAILED(ReadText(url, address));
    Input certificateIn;
    QLK_RETURN_IF_FAILED(ReadInput(certificate, certificateIn));
    return ParseCertificate(certificateIn, parsed);
}

}  // namespace

extern "C" {

int QLK_CERT_VerifyByIVS(void* context, const char* in1, BINSTR* in2, BINSTR* in3) {
    return QLK_CALL(context, [&](Context&) -> Status {
        std::string url;
        X509Ptr certificate;
        QLK_RETURN_IF_FAILED(ReadRequestParts(in1, in2, url, certificate));
        Input identity;
        QLK_RETURN_IF_FAILED(ReadInput(in3, identity));
        const IdentityNumber identityNumber{std::string(reinterpret_cast<const char*>(identity.data), identity.length)};
        return AskIdentityService(url, certificate.get(), IdentityHash(identityNumber.text), nullptr);
    });
}

int QLK_VID_VerifyByIVS(void* context, const char* in1, BINSTR* in2, BINSTR* in3, const char* in4, BINSTR* in5) {
    return QLK_CALL(context, [&](Context&) -> Status {
        std::string url;
        IdentityNumber identityNumber;
        X509Ptr certificate;
        QLK_RETURN_IF_FAILED(ReadRequestParts(in1, in2, url, certificate));
        Input random;
        QLK_RETURN_IF_FAILED(ReadInput(in3, random));
        QLK_RETURN_IF_FAILED(ReadText(in4, identityNumber.text));
        // The identity number stays here: the VID proves it, and the service only
        // confirms the certificate.
        QLK_RETURN_IF_FAILED(FromVidStatus(vid::Verify(certificate.get(), Bytes(random.data, random.data + random.length),
                                                       identityNumber.text)));
        Input serviceCertificate;
        PkeyPtr serviceKey;
        if (in5 != nullptr) QLK_RETURN_IF_FAILED(ReadInput(in5, serviceCertificate, false));
        if (!serviceCertificate.empty()) QLK_RETURN_IF_FAILED(ParsePublicKey(serviceCertificate, serviceKey));
        return AskIdentityService(url, certificate.get(), std::string(), serviceKey.get());
    });
}

}  // extern "C"
