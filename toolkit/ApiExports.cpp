// QLK_API_ and QLK_BINSTR_: contexts, error texts, toolkit information, byte records.

#include <openssl/crypto.h>
#include <openssl/opensslv.h>

#include <new>

#include "toolkit/Binstr.h"
#include "toolkit/Context.h"
#include "toolkit/Export.h"
#include "toolkit/Frame.h"

#ifndef QLK_LIBRARY_NAME
#error "QLK_LIBRARY_NAME names the file this copy of the toolkit is built as"
#endif

using namespace qlk;

namespace {

constexpr const char* kToolkitVersion = "1.0.0";

}  // namespace

extern "C" {

int QLK_API_Init(void** context, const char* workFolder) {
    if (context == nullptr) return static_cast<int>(Code::InvalidArgument);
    *context = nullptr;
    if (!EnsureProviders()) return static_cast<int>(Code::ProviderUnavailable);
    auto* made = new (std::nothrow) Context(workFolder != nullptr ? workFolder : "");
    if (made == nullptr) return static_cast<int>(Code::OutOfMemory);
    *context = made;
    return 0;
}

int QLK_API_Finish(void** context) {
    if (context == nullptr) return static_cast<int>(Code::InvalidArgument);
    Context* open = Context::From(*context);
    if (open == nullptr) return static_cast<int>(Code::InvalidContext);
    delete open;
    *context = nullptr;
    return 0;
}

int QLK_API_GetErrInfo(void* context, int size, char* text) {
    Context* open = Context::From(context);
    Status written = open != nullptr ? WriteText(open->lastText(), size, text)
                                     : WriteText(CodeText(Code::InvalidContext), size, text);
    if (!written.ok()) return static_cast<int>(written.code);
    return open != nullptr ? 0 : static_cast<int>(Code::InvalidContext);
}

int QLK_API_GetInfo(void* context, char* version, char* info) {
    return QLK_CALL(context, [&](Context& open) -> Status {
        if (version == nullptr || info == nullptr) return Fail(Code::InvalidArgument);
        std::string about = std::string("Zorvane QLK toolkit ") + kToolkitVersion + " (" + QLK_LIBRARY_NAME +
                            ") on " + OpenSSL_version(OPENSSL_VERSION) + "; work folder: " + open.workFolder();
        QLK_RETURN_IF_FAILED(WriteText(kToolkitVersion, 32, version));
        return WriteText(about, 512, info);
    });
}

int QLK_API_SetConfFile(void* context, const char* path) {
    return QLK_CALL(context, [&](Context& open) -> Status {
        return ReadText(path, open.verification.confFile, true);
    });
}

int QLK_BINSTR_Create(BINSTR* binstr) {
    if (binstr == nullptr) return static_cast<int>(Code::InvalidArgument);
    binstr->data = nullptr;
    binstr->length = 0;
    return 0;
}

int QLK_BINSTR_SetData(const unsigned char* data, int length, BINSTR* binstr) {
    if (binstr == nullptr || length < 0 || (data == nullptr && length > 0)) {
        return static_cast<int>(Code::InvalidArgument);
    }
    return static_cast<int>(WriteOutput(binstr, data, static_cast<std::size_t>(length)).code);
}

int QLK_BINSTR_Delete(BINSTR* binstr) {
    if (binstr == nullptr || binstr->length < 0) return static_cast<int>(Code::InvalidArgument);
    ReleaseRecord(binstr);
    return 0;
}

}  // extern "C"
