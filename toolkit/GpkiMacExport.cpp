// The GPKI copy's own name for the HMAC function; only gpkiapi.dll is built with it.

#include "toolkit/Digests.h"
#include "toolkit/Export.h"
#include "toolkit/Frame.h"

extern "C" int GPKI_CRYPT_GenMAC(void* context, int p1, const char* in2, BINSTR* in3, BINSTR* mac) {
    return QLK_CALL(context, [&](qlk::Context&) -> qlk::Status { return qlk::GenerateMac(p1, in2, in3, mac); });
}
