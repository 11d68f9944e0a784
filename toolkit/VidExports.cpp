// QLK_VID_: the random value kept with a private key and the check of a
// certificate's virtual identifier.

#include "toolkit/Binstr.h"
#include "toolkit/Certificates.h"
#include "toolkit/Export.h"
#include "toolkit/Frame.h"
#include "toolkit/PrivateKeys.h"

using namespace qlk;

extern "C" {

int QLK_VID_GetRandomFromPriKey(void* context, BINSTR* privateKey, BINSTR* random) {
    return QLK_CALL(context, [&](Context&) -> Status {
        Input key;
        QLK_RETURN_IF_FAILED(ReadInput(privateKey, key));
        QLK_RETURN_IF_FAILED(CheckPrivateKeyInfo(key));
        Bytes value;
        QLK_RETURN_IF_FAILED(FromKeyFileStatus(keys::ExtractRandomNum(key.data, key.length, value)));
        return WriteOutput(random, value);
    });
}

int QLK_VID_Verify(void* context, BINSTR* certificate, BINSTR* random, const char* identityNumber) {
    return QLK_CALL(context, [&](Context&) -> Status {
        Input certificateIn, randomIn;
        QLK_RETURN_IF_FAILED(ReadInput(certificate, certificateIn));
        QLK_RETURN_IF_FAILED(ReadInput(random, randomIn));
        if (identityNumber == nullptr) return Fail(Code::InvalidArgument, "identity number");
        X509Ptr parsed;
        QLK_RETURN_IF_FAILED(ParseCertificate(certificateIn, parsed));
        Bytes value(randomIn.data, randomIn.data + randomIn.length);
        return FromVidStatus(vid::Verify(parsed.get(), value, identityNumber));
    });
}

}  // extern "C"
