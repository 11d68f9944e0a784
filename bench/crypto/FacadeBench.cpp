// The facade's per-call frame (look-up by name, BINSTR records in and out, copy back)
// on small inputs, where it weighs most, beside OpenSSL doing the same work directly:
// SHA-256 of 32 and 64 bytes and SEED-CBC encryption of 64 bytes with a given key and IV.

#include <benchmark/benchmark.h>
#include <openssl/evp.h>
#include <openssl/provider.h>

#include <cstdio>
#include <cstdlib>
#include <vector>

#include <zorvane/CryptoEx.h>

#include "BaselineRatio.h"

namespace {

const int kSha256 = 4;
const int kSeedCbc = 48;

struct Fixture {
    CCryptoEx facade;
    ByteString data{std::vector<unsigned char>(64, 0x5a).data(), 64};
    ByteString key{"0123456789abcdef"};
    ByteString iv{"fedcba9876543210"};

    Fixture() {
        if (facade.Init(1, kSeedCbc, 1, ByteString(ZORVANE_BENCH_WORK_DIR)) != 0) {
            std::fprintf(stderr, "benchmark set-up failed: the toolkit does not load\n");
            std::exit(1);
        }
    }
};

Fixture& Shared() {
    static Fixture fixture;
    return fixture;
}

// The first range(0) bytes of the fixture's data.
ByteString HashInput(const benchmark::State& state) { return ByteString(Shared().data.data, static_cast<int>(state.range(0))); }

void HashOurs(benchmark::State& state) {
    Fixture& f = Shared();
    ByteString input = HashInput(state);
    for (auto _ : state) {
        ByteString digest;
        if (f.facade.Hash(kSha256, input, digest) != 0) state.SkipWithError("Hash failed");
        benchmark::DoNotOptimize(digest.data);
    }
}

void HashBaseline(benchmark::State& state) {
    const ByteString input = HashInput(state);
    for (auto _ : state) {
        unsigned char digest[EVP_MAX_MD_SIZE];
        unsigned int length = 0;
        EVP_Digest(input.data, input.length, digest, &length, EVP_sha256(), nullptr);
        benchmark::DoNotOptimize(digest);
    }
}

void SeedEncrypt64_Ours(benchmark::State& state) {
    Fixture& f = Shared();
    for (auto _ : state) {
        ByteString sealed;
        if (f.facade.EncryptKey(kSeedCbc, f.key, f.iv, f.data, sealed) != 0) state.SkipWithError("EncryptKey failed");
        benchmark::DoNotOptimize(sealed.data);
    }
}

void SeedEncrypt64_Baseline(benchmark::State& state) {
    Fixture& f = Shared();
    OSSL_PROVIDER_load(nullptr, "legacy");
    OSSL_PROVIDER_load(nullptr, "default");
    EVP_CIPHER* seed = EVP_CIPHER_fetch(nullptr, "SEED-CBC", nullptr);
    for (auto _ : state) {
        std::vector<unsigned char> sealed(f.data.length + 16);
        int written = 0, last = 0;
        EVP_CIPHER_CTX* context = EVP_CIPHER_CTX_new();
        EVP_EncryptInit_ex2(context, seed, f.key.data, f.iv.data, nullptr);
        EVP_EncryptUpdate(context, sealed.data(), &written, f.data.data, f.data.length);
        EVP_EncryptFinal_ex(context, sealed.data() + written, &last);
        EVP_CIPHER_CTX_free(context);
        benchmark::DoNotOptimize(sealed.data());
    }
    EVP_CIPHER_free(seed);
}

BENCHMARK(HashOurs)->Name("Hash32/Ours")->Arg(32);
BENCHMARK(HashBaseline)->Name("Hash32/Baseline")->Arg(32);
BENCHMARK(HashOurs)->Name("Hash64/Ours")->Arg(64);
BENCHMARK(HashBaseline)->Name("Hash64/Baseline")->Arg(64);
BENCHMARK(SeedEncrypt64_Ours)->Name("SeedEncrypt64/Ours");
BENCHMARK(SeedEncrypt64_Baseline)->Name("SeedEncrypt64/Baseline");

}  // namespace

int main(int argc, char** argv) { return zorvane_bench::RunWithRatios(argc, argv); }
