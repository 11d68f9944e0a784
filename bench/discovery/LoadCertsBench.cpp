// LoadCerts over 1,000 generated NPKI certificates, beside a baseline that reads the same
// files and renders the same fields with OpenSSL directly; the ratio is printed at the end.

#include <benchmark/benchmark.h>
#include <openssl/bio.h>
#include <openssl/evp.h>
#include <openssl/x509.h>
#include <openssl/x509v3.h>
#include <zorvane/LoadCert.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "BaselineRatio.h"
#include "discovery/GeneratedStore.h"

namespace {

namespace fs = std::filesystem;

const int kCertificates = 1000;

// The generated store: one CA folder holding kCertificates certificate folders.
struct Store {
    GeneratedStore generated{kCertificates, ZORVANE_BENCH_WORK_DIR};
    const std::string& work = generated.Work();
    std::vector<fs::path> folders;

    Store() {
        for (const auto& user : generated.Generated().users)
            folders.push_back(fs::path(user.signing.certPath).parent_path());
        std::sort(folders.begin(), folders.end());
    }
};

Store& TheStore() {
    static Store store;
    return store;
}

void LoadCerts(benchmark::State& state) {
    Store& store = TheStore();
    ByteString work(store.work.c_str());
    CLoadCert loader(work);
    ByteString empty;
    for (auto _ : state) {
        CArray<tagCERTLIST, tagCERTLIST&> list;
        int count = 0;
        loader.LoadCerts(0, empty, empty, 2, empty, 1, empty, empty, 0, 0, list, count);
        if (count != kCertificates) state.SkipWithError("LoadCerts did not find every certificate");
        benchmark::DoNotOptimize(list.GetData());
    }
    state.SetItemsProcessed(state.iterations() * kCertificates);
}

std::string ReadWhole(const fs::path& path) {
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

std::string Hex(const unsigned char* bytes, std::size_t count) {
    static const char digits[] = "0123456789abcdef";
    std::string hex;
    hex.reserve(count * 2);
    for (std::size_t i = 0; i < count; ++i) {
        hex += digits[bytes[i] >> 4];
        hex += digits[bytes[i] & 15];
    }
    return hex;
}

// Everything a record holds, rendered by OpenSSL into texts.
std::string RenderFields(X509* cert, const std::string& der) {
    std::unique_ptr<BIO, decltype(&BIO_free)> out(BIO_new(BIO_s_mem()), BIO_free);
    BIO_printf(out.get(), "V%ld|", X509_get_version(cert) + 1);
    const ASN1_INTEGER* serial = X509_get0_serialNumber(cert);
    BIO_printf(out.get(), "%s|", Hex(serial->data, static_cast<std::size_t>(serial->length)).c_str());
    BIO_printf(out.get(), "%s|", OBJ_nid2ln(X509_get_signature_nid(cert)));
    X509_NAME_print_ex(out.get(), X509_get_subject_name(cert), 0, XN_FLAG_RFC2253 & ~ASN1_STRFLGS_ESC_MSB);
    X509_NAME_print_ex(out.get(), X509_get_issuer_name(cert), 0, XN_FLAG_RFC2253 & ~ASN1_STRFLGS_ESC_MSB);
    const ASN1_BIT_STRING* key = X509_get0_pubkey_bitstr(cert);
    BIO_printf(out.get(), "|%s %d|", Hex(key->data, static_cast<std::size_t>(key->length)).c_str(),
               EVP_PKEY_get_bits(X509_get0_pubkey(cert)));
    for (int nid : {NID_key_usage, NID_crl_distribution_points, NID_certificate_policies, NID_subject_alt_name,
                    NID_authority_key_identifier, NID_subject_key_identifier, NID_info_access}) {
        const int index = X509_get_ext_by_NID(cert, nid, -1);
        if (index >= 0) X509V3_EXT_print(out.get(), X509_get_ext(cert, index), 0, 0);
        BIO_puts(out.get(), "|");
    }
    ASN1_TIME_print(out.get(), X509_get0_notBefore(cert));
    ASN1_TIME_print(out.get(), X509_get0_notAfter(cert));
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int digestLength = 0;
    EVP_Digest(der.data(), der.size(), digest, &digestLength, EVP_sha1(), nullptr);
    BIO_printf(out.get(), "|sha1 %s", Hex(digest, digestLength).c_str());
    char* text = nullptr;
    const long length = BIO_get_mem_data(out.get(), &text);
    return std::string(text, static_cast<std::size_t>(length));
}

void OpenSslBaseline(benchmark::State& state) {
    Store& store = TheStore();
    for (auto _ : state) {
        std::vector<std::string> rendered;
        for (const fs::path& folder : store.folders) {
            const std::string der = ReadWhole(folder / "signCert.der");
            const std::string key = ReadWhole(folder / "signPri.key");
            const unsigned char* cursor = reinterpret_cast<const unsigned char*>(der.data());
            std::unique_ptr<X509, decltype(&X509_free)> cert(d2i_X509(nullptr, &cursor, static_cast<long>(der.size())),
                                                             X509_free);
            if (!cert || key.empty()) state.SkipWithError("a generated certificate did not parse");
            else rendered.push_back(RenderFields(cert.get(), der));
        }
        benchmark::DoNotOptimize(rendered.data());
    }
    state.SetItemsProcessed(state.iterations() * kCertificates);
}

BENCHMARK(LoadCerts)->Name("LoadCerts1000/Ours")->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(OpenSslBaseline)->Name("LoadCerts1000/Baseline")->Unit(benchmark::kMillisecond)->MinTime(2.0);

}  // namespace

int main(int argc, char** argv) {
    TheStore();  // generated before timing starts
    return zorvane_bench::RunWithRatios(argc, argv);
}
