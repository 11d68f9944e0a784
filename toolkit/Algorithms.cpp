#include "toolkit/Algorithms.h"

#include <atomic>
#include <iterator>
#include <string>

namespace qlk {
namespace {

constexpr CipherSpec kCiphers[] = {
    {32, "DES-EDE3-CBC", 24, 8, 8},
    {48, "SEED-CBC", 16, 16, 16},
    {49, "ARIA-128-CBC", 16, 16, 16},
    {50, "AES-128-CBC", 16, 16, 16},
    {240, "ARIA-256-CBC", 32, 32, 16},
};

constexpr HashSpec kHashes[] = {
    {1, "SHA1"}, {2, "MD5"}, {3, "SHA224"}, {4, "SHA256"}, {5, "SHA384"}, {6, "SHA512"},
};

// Fetching walks the provider tables under a lock, which costs more than hashing a
// short input; the implementations never change within a process, so each is fetched
// once and every caller takes a reference of its own.
std::atomic<EVP_CIPHER*> g_ciphers[std::size(kCiphers)];
std::atomic<EVP_MD*> g_hashes[std::size(kHashes)];

template <class T, T* (*Fetch)(OSSL_LIB_CTX*, const char*, const char*), int (*UpRef)(T*), void (*Free)(T*)>
T* FetchOnce(std::atomic<T*>& slot, const char* name) {
    T* cached = slot.load(std::memory_order_acquire);
    if (cached == nullptr) {
        T* fetched = Fetch(nullptr, name, nullptr);
        if (fetched == nullptr) return nullptr;
        if (slot.compare_exchange_strong(cached, fetched, std::memory_order_acq_rel)) cached = fetched;
        else Free(fetched);  // another thread stored first; cached now holds its value
    }
    return UpRef(cached) ? cached : nullptr;
}

// The table entry with the id, or the code naming the id as unknown.
template <class Row, std::size_t Count>
Status FindById(const Row (&table)[Count], int id, Code unknown, const Row*& entry) {
    for (const Row& candidate : table) {
        if (candidate.id == id) {
            entry = &candidate;
            return Ok();
        }
    }
    return Fail(unknown, std::to_string(id));
}

}  // namespace

Status FindCipher(int id, const CipherSpec*& entry) { return FindById(kCiphers, id, Code::UnknownCipher, entry); }

Status FindHash(int id, const HashSpec*& entry) { return FindById(kHashes, id, Code::UnknownHash, entry); }

Status FetchCipher(const CipherSpec& entry, CipherPtr& cipher) {
    std::atomic<EVP_CIPHER*>& slot = g_ciphers[&entry - kCiphers];
    cipher.reset(FetchOnce<EVP_CIPHER, EVP_CIPHER_fetch, EVP_CIPHER_up_ref, EVP_CIPHER_free>(slot, entry.openSslName));
    return cipher ? Ok() : Fail(Code::ProviderUnavailable, entry.openSslName);
}

Status FetchHash(int id, MdPtr& digest) {
    const HashSpec* entry = nullptr;
    QLK_RETURN_IF_FAILED(FindHash(id, entry));
    std::atomic<EVP_MD*>& slot = g_hashes[entry - kHashes];
    digest.reset(FetchOnce<EVP_MD, EVP_MD_fetch, EVP_MD_up_ref, EVP_MD_free>(slot, entry->openSslName));
    return digest ? Ok() : Fail(Code::ProviderUnavailable, entry->openSslName);
}

}  // namespace qlk
