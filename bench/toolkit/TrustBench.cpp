// Verifying a three-certificate chain (root, CA, user) with the CA's CRL through
// QLK_CERT_Verify, beside the same X509_verify_cert work done directly, for CRLs of 100,
// 10,000 and 100,000 entries. Both sides start from the DER of the user, the CA and the
// CRL; the root is trusted once beforehand on both.

#include <benchmark/benchmark.h>
#include <openssl/x509.h>
#include <openssl/x509v3.h>

#include <cstdio>
#include <cstdlib>
#include <map>
#include <vector>

#include "BaselineRatio.h"
#include "crypto/QlkApi.h"

namespace {

using Bytes = std::vector<unsigned char>;

Bytes CertificateDer(X509* certificate) {
    unsigned char* der = nullptr;
    const int length = i2d_X509(certificate, &der);
    Bytes bytes(der, der + length);
    OPENSSL_free(der);
    return bytes;
}

X509* MakeCertificate(const char* name, EVP_PKEY* key, X509* issuer, EVP_PKEY* issuerKey, long serial, bool ca) {
    X509* made = X509_new();
    X509_set_version(made, 2);
    ASN1_INTEGER_set(X509_get_serialNumber(made), serial);
    X509_gmtime_adj(X509_getm_notBefore(made), -3600);
    X509_gmtime_adj(X509_getm_notAfter(made), 86400L * 365);
    X509_NAME_add_entry_by_txt(X509_get_subject_name(made), "CN", MBSTRING_ASC,
                               reinterpret_cast<const unsigned char*>(name), -1, -1, 0);
    X509_set_issuer_name(made, issuer ? X509_get_subject_name(issuer) : X509_get_subject_name(made));
    X509_set_pubkey(made, key);
    if (ca) {
        X509_EXTENSION* constraints = X509V3_EXT_conf_nid(nullptr, nullptr, NID_basic_constraints, "critical,CA:TRUE");
        X509_add_ext(made, constraints, -1);
        X509_EXTENSION_free(constraints);
    }
    X509_sign(made, issuerKey ? issuerKey : key, EVP_sha256());
    return made;
}

Bytes MakeCrl(X509* issuer, EVP_PKEY* key, int entries) {
    X509_CRL* crl = X509_CRL_new();
    X509_CRL_set_version(crl, 1);
    X509_CRL_set_issuer_name(crl, X509_get_subject_name(issuer));
    ASN1_TIME* now = X509_gmtime_adj(nullptr, -60);
    ASN1_TIME* next = X509_gmtime_adj(nullptr, 86400L * 30);
    X509_CRL_set1_lastUpdate(crl, now);
    X509_CRL_set1_nextUpdate(crl, next);
    for (int i = 0; i < entries; ++i) {
        X509_REVOKED* revoked = X509_REVOKED_new();
        ASN1_INTEGER* serial = ASN1_INTEGER_new();
        ASN1_INTEGER_set(serial, 1000000 + i);
        X509_REVOKED_set_serialNumber(revoked, serial);
        X509_REVOKED_set_revocationDate(revoked, now);
        X509_CRL_add0_revoked(crl, revoked);
        ASN1_INTEGER_free(serial);
    }
    X509_CRL_sort(crl);
    X509_CRL_sign(crl, key, EVP_sha256());
    unsigned char* der = nullptr;
    const int length = i2d_X509_CRL(crl, &der);
    Bytes bytes(der, der + length);
    OPENSSL_free(der);
    ASN1_TIME_free(now);
    ASN1_TIME_free(next);
    X509_CRL_free(crl);
    return bytes;
}

struct Fixture {
    X509* root = nullptr;
    Bytes rootDer, caDer, userDer;
    std::map<int, Bytes> crls;
    void* context = nullptr;

    Fixture() {
        EVP_PKEY* rootKey = EVP_RSA_gen(2048);
        EVP_PKEY* caKey = EVP_RSA_gen(2048);
        EVP_PKEY* userKey = EVP_RSA_gen(2048);
        root = MakeCertificate("bench root", rootKey, nullptr, nullptr, 1, true);
        X509* ca = MakeCertificate("bench CA", caKey, root, rootKey, 2, true);
        X509* user = MakeCertificate("bench user", userKey, ca, caKey, 3, false);
        rootDer = CertificateDer(root);
        caDer = CertificateDer(ca);
        userDer = CertificateDer(user);
        for (int entries : {100, 10000, 100000}) crls[entries] = MakeCrl(ca, caKey, entries);
        X509_free(ca);
        X509_free(user);
        EVP_PKEY_free(rootKey);
        EVP_PKEY_free(caKey);
        EVP_PKEY_free(userKey);
        BINSTR trusted = Record(rootDer);
        if (QLK_API_Init(&context, ZORVANE_BENCH_WORK_DIR) != 0 || QLK_CERT_AddTrustedCert(context, &trusted) != 0 ||
            QLK_CERT_SetVerifyEnv1(context, 1, 0, 0, "") != 0) {
            std::fprintf(stderr, "benchmark set-up failed\n");
            std::exit(1);
        }
    }
    ~Fixture() {
        QLK_API_Finish(&context);
        X509_free(root);
    }
    static BINSTR Record(const Bytes& bytes) {
        return BINSTR{const_cast<unsigned char*>(bytes.data()), static_cast<int>(bytes.size())};
    }
};

Fixture& Shared() {
    static Fixture fixture;
    return fixture;
}

void Verify_Ours(benchmark::State& state) {
    Fixture& f = Shared();
    const Bytes& crl = f.crls[static_cast<int>(state.range(0))];
    for (auto _ : state) {
        BINSTR user = Fixture::Record(f.userDer), ca = Fixture::Record(f.caDer), revocations = Fixture::Record(crl);
        if (QLK_CERT_Verify(f.context, &user, 0, "", 0, &ca, &revocations) != 0) state.SkipWithError("not verified");
    }
}

template <class T, T* (*Decode)(T**, const unsigned char**, long)>
T* Read(const Bytes& der) {
    const unsigned char* cursor = der.data();
    return Decode(nullptr, &cursor, static_cast<long>(der.size()));
}

void Verify_Baseline(benchmark::State& state) {
    Fixture& f = Shared();
    const Bytes& crlDer = f.crls[static_cast<int>(state.range(0))];
    for (auto _ : state) {
        X509* user = Read<X509, d2i_X509>(f.userDer);
        X509* ca = Read<X509, d2i_X509>(f.caDer);
        X509_CRL* crl = Read<X509_CRL, d2i_X509_CRL>(crlDer);
        X509_STORE* store = X509_STORE_new();
        X509_STORE_add_cert(store, f.root);
        X509_STORE_add_crl(store, crl);
        X509_VERIFY_PARAM_set_flags(X509_STORE_get0_param(store), X509_V_FLAG_CRL_CHECK);
        STACK_OF(X509)* untrusted = sk_X509_new_null();
        sk_X509_push(untrusted, ca);
        X509_STORE_CTX* context = X509_STORE_CTX_new();
        X509_STORE_CTX_init(context, store, user, untrusted);
        if (X509_verify_cert(context) != 1) state.SkipWithError("not verified");
        X509_STORE_CTX_free(context);
        sk_X509_free(untrusted);
        X509_STORE_free(store);
        X509_CRL_free(crl);
        X509_free(ca);
        X509_free(user);
    }
}

}  // namespace

// Argument: the number of CRL entries.
BENCHMARK(Verify_Ours)->Name("VerifyChainWithCrl/Ours")->Arg(100)->Arg(10000)->Arg(100000)->Unit(benchmark::kMicrosecond);
BENCHMARK(Verify_Baseline)
    ->Name("VerifyChainWithCrl/Baseline")
    ->Arg(100)
    ->Arg(10000)
    ->Arg(100000)
    ->Unit(benchmark::kMicrosecond);

int main(int argc, char** argv) { return zorvane_bench::RunWithRatios(argc, argv); }
