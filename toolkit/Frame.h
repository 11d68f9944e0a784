#pragma once
// The call frame shared by every context-bound QLK_ function: it finds the context,
// clears the last error, runs the body and records a failure's code and text.

#include <openssl/err.h>

#include "toolkit/Context.h"
#include "toolkit/Status.h"

namespace qlk {

template <class Body>
int Call(void* handle, const char* function, Body&& body) {
    Context* context = Context::From(handle);
    if (context == nullptr) return static_cast<int>(Code::InvalidContext);
    context->ClearError();
    ERR_clear_error();
    Status status = body(*context);
    if (!status.ok()) context->SetError(status, function);
    ERR_clear_error();
    return static_cast<int>(status.code);
}

}  // namespace qlk

#define QLK_CALL(handle, ...) ::qlk::Call(handle, __func__, __VA_ARGS__)
