#include "toolkit/Context.h"

#include "toolkit/Media.h"

#include <openssl/crypto.h>

#include <utility>

namespace qlk {

Context::Context(std::string workFolder) : workFolder_(std::move(workFolder)) {}

Context::~Context() {
    // A freed context must never pass From() again, even if the memory is reused.
    magic_ = 0;
    OPENSSL_cleanse(&magic_, sizeof magic_);
}

Context* Context::From(void* handle) {
    auto* context = static_cast<Context*>(handle);
    if (context == nullptr || context->magic_ != kMagic) return nullptr;
    return context;
}

void Context::ClearError() {
    lastCode_ = Code::Ok;
    lastText_.clear();
}

void Context::SetError(const Status& status, const char* function) {
    lastCode_ = status.code;
    lastText_ = std::string(function) + ": [" + std::to_string(static_cast<int>(status.code)) + "] " +
                CodeText(status.code);
    if (!status.detail.empty()) lastText_ += " (" + status.detail + ")";
}

}  // namespace qlk
