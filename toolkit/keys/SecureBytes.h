#pragma once
#include <openssl/crypto.h>

#include <cstddef>
#include <vector>

namespace qlk {

// A vector whose storage is cleansed before it is released: decrypted keys, passwords
// and derived key material live in these.
template <class T>
struct CleansingAllocator {
    using value_type = T;
    CleansingAllocator() = default;
    template <class U>
    CleansingAllocator(const CleansingAllocator<U>&) {}
    T* allocate(std::size_t n) { return std::allocator<T>().allocate(n); }
    void deallocate(T* p, std::size_t n) {
        OPENSSL_cleanse(p, n * sizeof(T));
        std::allocator<T>().deallocate(p, n);
    }
    template <class U>
    bool operator==(const CleansingAllocator<U>&) const { return true; }
    template <class U>
    bool operator!=(const CleansingAllocator<U>&) const { return false; }
};

using SecureBytes = std::vector<unsigned char, CleansingAllocator<unsigned char>>;
using Bytes = std::vector<unsigned char>;

}  // namespace qlk
