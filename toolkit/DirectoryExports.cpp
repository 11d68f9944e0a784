// QLK_DSAP_GetDataByURL: one value fetched by URL from a directory or web server.

#include "toolkit/Binstr.h"
#include "toolkit/Directory.h"
#include "toolkit/Export.h"
#include "toolkit/Frame.h"

using namespace qlk;

extern "C" {

int QLK_DSAP_GetDataByURL(void* context, int p1, const char* url, BINSTR* data) {
    return QLK_CALL(context, [&](Context&) -> Status {
        std::string address;
        QLK_RETURN_IF_FAILED(ReadText(url, address));
        Bytes fetched;
        QLK_RETURN_IF_FAILED(FetchUrl(address, p1, fetched));
        return WriteOutput(data, fetched);
    });
}

}  // extern "C"
