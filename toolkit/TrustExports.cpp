// QLK_CERT_ functions of the context's trust store.

#include "toolkit/Binstr.h"
#include "toolkit/Cms.h"
#include "toolkit/Export.h"
#include "toolkit/Frame.h"

using namespace qlk;

extern "C" {

int QLK_CERT_AddTrustedCert(void* context, BINSTR* certificates) {
    return QLK_CALL(context, [&](Context& open) -> Status {
        Input list;
        QLK_RETURN_IF_FAILED(ReadInput(certificates, list));
        std::vector<X509Ptr> added;
        QLK_RETURN_IF_FAILED(ReadCertificateList(list, added));
        for (X509Ptr& certificate : added) open.trustedCertificates.push_back(std::move(certificate));
        return Ok();
    });
}

}  // extern "C"
