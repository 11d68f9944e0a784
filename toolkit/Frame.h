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
    // Errors queued before this call (by the host, or left by an earlier call's
    // successful fallbacks) must not become this call's detail. Peeking is cheap;
    // emptying the queue is done only when there is something in it.
    if (ERR_peek_error() != 0) ERR_clear_error();
    Status status = body(*context);
    if (!status.ok()) {
        context->SetError(status, function);
        ERR_clear_error();  // a failure leaves nothing of its own behind for the host
    }
    return static_cast<int>(status.code);
}

}  // namespace qlk

#define QLK_CALL(handle, ...) ::qlk::Call(handle, __func__, __VA_ARGS__)
