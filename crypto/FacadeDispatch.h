#pragma once
// How CCryptoEx reaches its backend: the type chooses the NPKI (non-zero) or the GPKI
// (zero) backend and the operation of the same name runs on it. A facade without a
// backend answers as a backend whose library is not loaded.
#include <zorvane/CryptoEx.h>

#include "crypto/GpkiEx.h"
#include "crypto/NpkiEx.h"

namespace zorvane {

template <typename Operation>
int ForwardToBackend(CCryptoEx& facade, Operation operation) {
    if (facade.m_type != 0) return facade.m_npki ? operation(*facade.m_npki) : kNotLoadedNpki;
    return facade.m_gpki ? operation(*facade.m_gpki) : kNotLoadedGpki;
}

// Operations that only the NPKI backend has; with the GPKI backend selected the facade
// answers 1000000, the code of an operation the GPKI side does not offer.
template <typename Operation>
int ForwardToNpkiOnly(CCryptoEx& facade, Operation operation) {
    if (facade.m_type == 0) return kNotOffered;
    return facade.m_npki ? operation(*facade.m_npki) : kNotLoadedNpki;
}

// Operations that only the GPKI backend has (and answers with 1000000); with the NPKI
// backend selected the facade answers 102 without calling anything.
template <typename Operation>
int ForwardToGpkiOnly(CCryptoEx& facade, Operation operation) {
    if (facade.m_type != 0) return kFunctionMissing;
    return facade.m_gpki ? operation(*facade.m_gpki) : kNotLoadedGpki;
}

}  // namespace zorvane

// The one-line body of a forwarded operation.
#define ZV_FORWARD(operation, ...) \
    ::zorvane::ForwardToBackend(*this, [&](auto& backend) { return backend.operation(__VA_ARGS__); })
#define ZV_FORWARD_NPKI(operation, ...) \
    ::zorvane::ForwardToNpkiOnly(*this, [&](CNpkiEx& backend) { return backend.operation(__VA_ARGS__); })
#define ZV_FORWARD_GPKI(operation, ...) \
    ::zorvane::ForwardToGpkiOnly(*this, [&](CGpkiEx& backend) { return backend.operation(__VA_ARGS__); })
