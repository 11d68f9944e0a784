// CMS through the toolkit's C functions beside the same work done with OpenSSL's CMS
// calls directly: signing and verifying 1 KiB and 1 MiB (attached, signed attributes,
// SHA-256), enveloping and opening 1 MiB with SEED-CBC. Both sides start from the DER
// inputs the C interface takes and end with DER or content bytes.

#include <benchmark/benchmark.h>
#include <openssl/cms.h>
#include <openssl/provider.h>
#include <openssl/x509.h>

#include <cstdio>
#include <cstdlib>
#include <vector>

#include "BaselineRatio.h"
#include "crypto/QlkApi.h"

namespace {

using Bytes = std::vector<unsigned char>;

template <auto Encode, class T>
Bytes Der(T* object) {
    unsigned char* der = nullptr;
    const int length = Encode(object, &der);
    Bytes bytes(der, der + (length > 0 ? length : 0));
    OPENSSL_free(der);
    return bytes;
}

struct Fixture {
    void* context = nullptr;
    Bytes certificate, privateKeyInfo;
    Bytes small = Bytes(1024, 0x5a), large = Bytes(1 << 20, 0xa5);
    Bytes signedSmall, signedLarge, envelopedLarge;

    Fixture() {
        if (QLK_API_Init(&context, ZORVANE_BENCH_WORK_DIR) != 0) Die("QLK_API_Init");
        EVP_PKEY* key = EVP_RSA_gen(2048);
        X509* made = X509_new();
        ASN1_INTEGER_set(X509_get_serialNumber(made), 1);
        X509_gmtime_adj(X509_getm_notBefore(made), 0);
        X509_gmtime_adj(X509_getm_notAfter(made), 86400);
        X509_NAME_add_entry_by_txt(X509_get_subject_name(made), "CN", MBSTRING_ASC,
                                   reinterpret_cast<const unsigned char*>("bench"), -1, -1, 0);
        X509_set_issuer_name(made, X509_get_subject_name(made));
        X509_set_pubkey(made, key);
        X509_sign(made, key, EVP_sha256());
        certificate = Der<i2d_X509>(made);
        PKCS8_PRIV_KEY_INFO* info = EVP_PKEY2PKCS8(key);
        privateKeyInfo = Der<i2d_PKCS8_PRIV_KEY_INFO>(info);
        PKCS8_PRIV_KEY_INFO_free(info);
        X509_free(made);
        EVP_PKEY_free(key);
        signedSmall = SignOurs(small);
        signedLarge = SignOurs(large);
        envelopedLarge = EnvelopeOurs(large);
    }
    ~Fixture() { QLK_API_Finish(&context); }

    Bytes SignOurs(const Bytes& content) {
        BINSTR cert = Record(certificate), key = Record(privateKeyInfo), data = Record(content), out{};
        if (QLK_CMS_SignData(context, 0, &cert, &key, &data, "20261206120000", &out) != 0) Die("QLK_CMS_SignData");
        return Take(out);
    }
    Bytes EnvelopeOurs(const Bytes& content) {
        BINSTR cert = Record(certificate), data = Record(content), out{};
        if (QLK_CMS_EncryptData(context, 0, &cert, &data, 48, &out) != 0) Die("QLK_CMS_EncryptData");
        return Take(out);
    }
    // The toolkit only reads input records, so they may point into our vectors.
    static BINSTR Record(const Bytes& bytes) {
        return BINSTR{const_cast<unsigned char*>(bytes.data()), static_cast<int>(bytes.size())};
    }
    static Bytes Take(BINSTR& record) {
        Bytes bytes(record.data, record.data + record.length);
        QLK_BINSTR_Delete(&record);
        return bytes;
    }
    [[noreturn]] static void Die(const char* what) {
        std::fprintf(stderr, "benchmark set-up failed: %s\n", what);
        std::exit(1);
    }
};

Fixture& Shared() {
    static Fixture fixture;
    return fixture;
}

const Bytes& Content(const benchmark::State& state) { return state.range(0) ? Shared().large : Shared().small; }
const Bytes& Signed(const benchmark::State& state) {
    return state.range(0) ? Shared().signedLarge : Shared().signedSmall;
}

X509* ReadCertificate(const Bytes& der) {
    const unsigned char* cursor = der.data();
    return d2i_X509(nullptr, &cursor, static_cast<long>(der.size()));
}
EVP_PKEY* ReadKey(const Bytes& der) {
    const unsigned char* cursor = der.data();
    return d2i_AutoPrivateKey(nullptr, &cursor, static_cast<long>(der.size()));
}
CMS_ContentInfo* ReadMessage(const Bytes& der) {
    const unsigned char* cursor = der.data();
    return d2i_CMS_ContentInfo(nullptr, &cursor, static_cast<long>(der.size()));
}

void Sign_Ours(benchmark::State& state) {
    for (auto _ : state) benchmark::DoNotOptimize(Shared().SignOurs(Content(state)));
}

void Sign_Baseline(benchmark::State& state) {
    Fixture& f = Shared();
    for (auto _ : state) {
        X509* certificate = ReadCertificate(f.certificate);
        EVP_PKEY* key = ReadKey(f.privateKeyInfo);
        const Bytes& content = Content(state);
        BIO* data = BIO_new_mem_buf(content.data(), static_cast<int>(content.size()));
        CMS_ContentInfo* message = CMS_sign(certificate, key, nullptr, data, CMS_BINARY | CMS_NOSMIMECAP);
        if (message == nullptr) state.SkipWithError("CMS_sign failed");
        benchmark::DoNotOptimize(Der<i2d_CMS_ContentInfo>(message));
        CMS_ContentInfo_free(message);
        BIO_free(data);
        EVP_PKEY_free(key);
        X509_free(certificate);
    }
}

void Verify_Ours(benchmark::State& state) {
    Fixture& f = Shared();
    for (auto _ : state) {
        BINSTR message = Fixture::Record(Signed(state)), content{};
        int signers = 0;
        if (QLK_CMS_VerifyData(f.context, 0, &message, &content, &signers) != 0) state.SkipWithError("verify failed");
        benchmark::DoNotOptimize(Fixture::Take(content));
    }
}

void Verify_Baseline(benchmark::State& state) {
    for (auto _ : state) {
        CMS_ContentInfo* message = ReadMessage(Signed(state));
        BIO* out = BIO_new(BIO_s_mem());
        if (CMS_verify(message, nullptr, nullptr, nullptr, out, CMS_BINARY | CMS_NO_SIGNER_CERT_VERIFY) != 1) {
            state.SkipWithError("CMS_verify failed");
        }
        char* data = nullptr;
        const long length = BIO_get_mem_data(out, &data);
        benchmark::DoNotOptimize(Bytes(data, data + length));
        BIO_free(out);
        CMS_ContentInfo_free(message);
    }
}

void Envelope_Ours(benchmark::State& state) {
    for (auto _ : state) benchmark::DoNotOptimize(Shared().EnvelopeOurs(Shared().large));
}

void Envelope_Baseline(benchmark::State& state) {
    Fixture& f = Shared();
    EVP_CIPHER* seed = EVP_CIPHER_fetch(nullptr, "SEED-CBC", nullptr);
    for (auto _ : state) {
        X509* certificate = ReadCertificate(f.certificate);
        STACK_OF(X509)* recipients = sk_X509_new_null();
        sk_X509_push(recipients, certificate);
        BIO* data = BIO_new_mem_buf(f.large.data(), static_cast<int>(f.large.size()));
        CMS_ContentInfo* message = CMS_encrypt(recipients, data, seed, CMS_BINARY);
        if (message == nullptr) state.SkipWithError("CMS_encrypt failed");
        benchmark::DoNotOptimize(Der<i2d_CMS_ContentInfo>(message));
        CMS_ContentInfo_free(message);
        BIO_free(data);
        sk_X509_free(recipients);
        X509_free(certificate);
    }
    EVP_CIPHER_free(seed);
}

void Open_Ours(benchmark::State& state) {
    Fixture& f = Shared();
    for (auto _ : state) {
        BINSTR cert = Fixture::Record(f.certificate), key = Fixture::Record(f.privateKeyInfo);
        BINSTR message = Fixture::Record(f.envelopedLarge), content{};
        if (QLK_CMS_DecryptData(f.context, &cert, &key, &message, &content) != 0) state.SkipWithError("open failed");
        benchmark::DoNotOptimize(Fixture::Take(content));
    }
}

void Open_Baseline(benchmark::State& state) {
    Fixture& f = Shared();
    for (auto _ : state) {
        X509* certificate = ReadCertificate(f.certificate);
        EVP_PKEY* key = ReadKey(f.privateKeyInfo);
        CMS_ContentInfo* message = ReadMessage(f.envelopedLarge);
        BIO* out = BIO_new(BIO_s_secmem());
        if (!CMS_decrypt(message, key, certificate, nullptr, out, CMS_BINARY)) state.SkipWithError("CMS_decrypt");
        char* data = nullptr;
        const long length = BIO_get_mem_data(out, &data);
        benchmark::DoNotOptimize(Bytes(data, data + length));
        BIO_free(out);
        CMS_ContentInfo_free(message);
        EVP_PKEY_free(key);
        X509_free(certificate);
    }
}

}  // namespace

// Argument 0: 1 KiB, 1: 1 MiB.
BENCHMARK(Sign_Ours)->Name("CmsSign/Ours")->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);
BENCHMARK(Sign_Baseline)->Name("CmsSign/Baseline")->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);
BENCHMARK(Verify_Ours)->Name("CmsVerify/Ours")->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);
BENCHMARK(Verify_Baseline)->Name("CmsVerify/Baseline")->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);
BENCHMARK(Envelope_Ours)->Name("CmsEnvelopeSeed1MiB/Ours")->Unit(benchmark::kMicrosecond);
BENCHMARK(Envelope_Baseline)->Name("CmsEnvelopeSeed1MiB/Baseline")->Unit(benchmark::kMicrosecond);
BENCHMARK(Open_Ours)->Name("CmsOpenSeed1MiB/Ours")->Unit(benchmark::kMicrosecond);
BENCHMARK(Open_Baseline)->Name("CmsOpenSeed1MiB/Baseline")->Unit(benchmark::kMicrosecond);

int main(int argc, char** argv) {
    // SEED lives in the legacy provider, which the toolkit loads for itself; the
    // baseline loads it here.
    OSSL_PROVIDER_load(nullptr, "legacy");
    OSSL_PROVIDER_load(nullptr, "default");
    return zorvane_bench::RunWithRatios(argc, argv);
}
