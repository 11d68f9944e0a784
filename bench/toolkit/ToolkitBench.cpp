// The toolkit's hot paths through its C functions, each beside a baseline that does the
// same work with OpenSSL calls directly: decrypting a seedCBCWithSHA1 key file (2048
// iterations) and RSA-2048 signing from a DER PrivateKeyInfo.

#include <benchmark/benchmark.h>
#include <openssl/evp.h>
#include <openssl/provider.h>
#include <openssl/x509.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "BaselineRatio.h"
#include "crypto/QlkApi.h"

namespace {

using Bytes = std::vector<unsigned char>;

const char kPassword[] = "bench-password";

struct Fixture {
    void* context = nullptr;
    Bytes privateKeyInfo;
    Bytes keyFile;
    Bytes data = Bytes(1024, 0x5a);

    Fixture() {
        if (QLK_API_Init(&context, ZORVANE_BENCH_WORK_DIR) != 0) Die("QLK_API_Init");
        EVP_PKEY* key = EVP_RSA_gen(2048);
        PKCS8_PRIV_KEY_INFO* info = EVP_PKEY2PKCS8(key);
        unsigned char* der = nullptr;
        int length = i2d_PKCS8_PRIV_KEY_INFO(info, &der);
        privateKeyInfo.assign(der, der + length);
        OPENSSL_free(der);
        PKCS8_PRIV_KEY_INFO_free(info);
        EVP_PKEY_free(key);
        BINSTR plain{}, encrypted{};
        QLK_BINSTR_SetData(privateKeyInfo.data(), length, &plain);
        if (QLK_PRIKEY_Encrypt(context, 0, kPassword, &plain, &encrypted) != 0) Die("QLK_PRIKEY_Encrypt");
        keyFile.assign(encrypted.data, encrypted.data + encrypted.length);
        QLK_BINSTR_Delete(&plain);
        QLK_BINSTR_Delete(&encrypted);
    }
    ~Fixture() { QLK_API_Finish(&context); }

    [[noreturn]] static void Die(const char* what) {
        std::fprintf(stderr, "benchmark set-up failed: %s\n", what);
        std::exit(1);
    }
};

Fixture& Shared() {
    static Fixture fixture;
    return fixture;
}

void KeyFileDecrypt_Ours(benchmark::State& state) {
    Fixture& f = Shared();
    for (auto _ : state) {
        BINSTR file{}, key{};
        QLK_BINSTR_SetData(f.keyFile.data(), static_cast<int>(f.keyFile.size()), &file);
        if (QLK_PRIKEY_Decrypt(f.context, kPassword, &file, &key) != 0) state.SkipWithError("decrypt failed");
        benchmark::DoNotOptimize(key.data);
        QLK_BINSTR_Delete(&key);
        QLK_BINSTR_Delete(&file);
    }
}

// seedCBCWithSHA1 with OpenSSL alone: parse, PBKDF1-SHA1, SEED-CBC, parse the result.
bool DecryptWithOpenSsl(const Bytes& file, const char* password, Bytes& plain) {
    static EVP_MD* sha1 = EVP_MD_fetch(nullptr, "SHA1", nullptr);
    static EVP_CIPHER* seed = EVP_CIPHER_fetch(nullptr, "SEED-CBC", nullptr);
    const unsigned char* cursor = file.data();
    X509_SIG* sig = d2i_X509_SIG(nullptr, &cursor, static_cast<long>(file.size()));
    if (sig == nullptr) return false;
    const X509_ALGOR* algorithm = nullptr;
    const ASN1_OCTET_STRING* encrypted = nullptr;
    X509_SIG_get0(sig, &algorithm, &encrypted);
    int type = 0;
    const void* value = nullptr;
    X509_ALGOR_get0(nullptr, &type, &value, algorithm);
    const ASN1_STRING* parameters = static_cast<const ASN1_STRING*>(value);
    const unsigned char* p = ASN1_STRING_get0_data(parameters);
    STACK_OF(ASN1_TYPE)* fields = d2i_ASN1_SEQUENCE_ANY(nullptr, &p, ASN1_STRING_length(parameters));
    const ASN1_OCTET_STRING* salt = sk_ASN1_TYPE_value(fields, 0)->value.octet_string;
    long iterations = ASN1_INTEGER_get(sk_ASN1_TYPE_value(fields, 1)->value.integer);

    unsigned char block[20];
    EVP_MD_CTX* md = EVP_MD_CTX_new();
    EVP_DigestInit_ex2(md, sha1, nullptr);
    EVP_DigestUpdate(md, password, std::strlen(password));
    EVP_DigestUpdate(md, ASN1_STRING_get0_data(salt), static_cast<std::size_t>(ASN1_STRING_length(salt)));
    EVP_DigestFinal_ex(md, block, nullptr);
    for (long i = 1; i < iterations; ++i) {
        EVP_DigestInit_ex2(md, sha1, nullptr);
        EVP_DigestUpdate(md, block, sizeof block);
        EVP_DigestFinal_ex(md, block, nullptr);
    }
    unsigned char iv[20];
    EVP_DigestInit_ex2(md, sha1, nullptr);
    EVP_DigestUpdate(md, block + 16, 4);
    EVP_DigestFinal_ex(md, iv, nullptr);
    EVP_MD_CTX_free(md);

    EVP_CIPHER_CTX* cipher = EVP_CIPHER_CTX_new();
    plain.resize(static_cast<std::size_t>(ASN1_STRING_length(encrypted)) + 16);
    int written = 0, last = 0;
    bool ok = EVP_DecryptInit_ex2(cipher, seed, block, iv, nullptr) &&
              EVP_DecryptUpdate(cipher, plain.data(), &written, ASN1_STRING_get0_data(encrypted),
                                ASN1_STRING_length(encrypted)) &&
              EVP_DecryptFinal_ex(cipher, plain.data() + written, &last);
    EVP_CIPHER_CTX_free(cipher);
    OPENSSL_cleanse(block, sizeof block);
    sk_ASN1_TYPE_pop_free(fields, ASN1_TYPE_free);
    X509_SIG_free(sig);
    if (!ok) return false;
    plain.resize(static_cast<std::size_t>(written + last));
    const unsigned char* inner = plain.data();
    PKCS8_PRIV_KEY_INFO* info = d2i_PKCS8_PRIV_KEY_INFO(nullptr, &inner, static_cast<long>(plain.size()));
    PKCS8_PRIV_KEY_INFO_free(info);
    return info != nullptr;
}

void KeyFileDecrypt_Baseline(benchmark::State& state) {
    Fixture& f = Shared();
    for (auto _ : state) {
        Bytes plain;
        if (!DecryptWithOpenSsl(f.keyFile, kPassword, plain)) state.SkipWithError("baseline decrypt failed");
        benchmark::DoNotOptimize(plain.data());
        OPENSSL_cleanse(plain.data(), plain.size());
    }
}

void RsaSign_Ours(benchmark::State& state) {
    Fixture& f = Shared();
    for (auto _ : state) {
        BINSTR key{}, password{}, data{}, signature{};
        QLK_BINSTR_SetData(f.privateKeyInfo.data(), static_cast<int>(f.privateKeyInfo.size()), &key);
        QLK_BINSTR_SetData(f.data.data(), static_cast<int>(f.data.size()), &data);
        if (QLK_CRYPT_Sign(f.context, &key, &password, 4, &data, &signature) != 0) state.SkipWithError("sign failed");
        benchmark::DoNotOptimize(signature.data);
        QLK_BINSTR_Delete(&signature);
        QLK_BINSTR_Delete(&data);
        QLK_BINSTR_Delete(&key);
    }
}

void RsaSign_Baseline(benchmark::State& state) {
    Fixture& f = Shared();
    static EVP_MD* sha256 = EVP_MD_fetch(nullptr, "SHA256", nullptr);
    for (auto _ : state) {
        const unsigned char* cursor = f.privateKeyInfo.data();
        PKCS8_PRIV_KEY_INFO* info = d2i_PKCS8_PRIV_KEY_INFO(nullptr, &cursor, static_cast<long>(f.privateKeyInfo.size()));
        EVP_PKEY* key = EVP_PKCS82PKEY(info);
        EVP_MD_CTX* md = EVP_MD_CTX_new();
        unsigned char signature[512];
        std::size_t length = sizeof signature;
        if (EVP_DigestSignInit(md, nullptr, sha256, nullptr, key) != 1 ||
            EVP_DigestSign(md, signature, &length, f.data.data(), f.data.size()) != 1) {
            state.SkipWithError("baseline sign failed");
        }
        benchmark::DoNotOptimize(signature);
        EVP_MD_CTX_free(md);
        EVP_PKEY_free(key);
        PKCS8_PRIV_KEY_INFO_free(info);
    }
}

BENCHMARK(KeyFileDecrypt_Ours)->Name("KeyFileDecrypt/Ours")->Unit(benchmark::kMicrosecond);
BENCHMARK(KeyFileDecrypt_Baseline)->Name("KeyFileDecrypt/Baseline")->Unit(benchmark::kMicrosecond);
BENCHMARK(RsaSign_Ours)->Name("RsaSign2048/Ours")->Unit(benchmark::kMicrosecond);
BENCHMARK(RsaSign_Baseline)->Name("RsaSign2048/Baseline")->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
    // The toolkit loads the legacy provider on QLK_API_Init; the baseline needs it too,
    // before its first fetch.
    Shared();
    return zorvane_bench::RunWithRatios(argc, argv);
}
