#pragma once
#include <string>
#include <utility>

#include "toolkit/Errors.h"

namespace qlk {

// The outcome of one toolkit operation: a code and, on failure, an optional detail
// that is appended to the code's text in the context's error text.
struct Status {
    Code code = Code::Ok;
    std::string detail;

    bool ok() const { return code == Code::Ok; }
};

inline Status Ok() { return {}; }
inline Status Fail(Code code, std::string detail = {}) { return {code, std::move(detail)}; }

#define QLK_RETURN_IF_FAILED(expression)         \
    do {                                         \
        ::qlk::Status qlkStatus_ = (expression); \
        if (!qlkStatus_.ok()) return qlkStatus_; \
    } while (0)

}  // namespace qlk
