// CCmdGen::Parse of 1 KiB and 1 MiB content records and CGenKey::MakeKDF, each beside
// a baseline that does the same Base64 decoding or the same digests with OpenSSL
// directly; the ratio of each pair is printed at the end.

#include <benchmark/benchmark.h>
#include <openssl/evp.h>
#include <zorvane/CmdGen.h>
#include <zorvane/GenKey.h>

#include <cstring>
#include <string>
#include <vector>

#include "BaselineRatio.h"

namespace {

constexpr int kNpki = 1;
const char* const kLabels[] = {"A", "BB", "CCC", "DDDD"};

ByteString WorkFolder() { return ByteString(ZORVANE_BENCH_WORK_DIR); }

// "<DATA>" Base64 of a record with `size` content bytes "</DATA>", made by the library.
std::string TaggedMessage(int size) {
    std::string content(static_cast<std::size_t>(size), '\0');
    for (int i = 0; i < size; ++i) content[static_cast<std::size_t>(i)] = static_cast<char>(i * 7);
    CCmdGen maker(kNpki, 48, 1, WorkFolder());
    if (maker.MakeContent(20, ByteString(content.data(), size), ByteString()) != 0) return std::string();
    return "<DATA>" + std::string(maker.GetResult().GetData()) + "</DATA>";
}

void CmdGenParse(benchmark::State& state) {
    const std::string text = TaggedMessage(static_cast<int>(state.range(0)));
    const ByteString message(text.data(), static_cast<int>(text.size()));
    CCmdGen reader(kNpki, 48, 1, WorkFolder());
    reader.SetTag(ByteString("DATA"));
    for (auto _ : state) {
        if (reader.Parse(message) != 0) state.SkipWithError("Parse failed");
        benchmark::DoNotOptimize(reader.m_result.data);
    }
    state.SetBytesProcessed(state.iterations() * state.range(0));
}

// The same steps with OpenSSL's Base64 decoder: find the tags, decode, read the header,
// copy the content out.
void OpenSslParse(benchmark::State& state) {
    const std::string text = TaggedMessage(static_cast<int>(state.range(0)));
    std::vector<unsigned char> decoded(text.size());
    for (auto _ : state) {
        const char* start = std::strstr(text.c_str(), "<DATA>") + 6;
        const char* end = std::strstr(start, "</DATA>");
        const int encodedLength = static_cast<int>(end - start);
        int length = EVP_DecodeBlock(decoded.data(), reinterpret_cast<const unsigned char*>(start), encodedLength);
        length -= (start[encodedLength - 1] == '=') + (start[encodedLength - 2] == '=');
        if (length < 7) state.SkipWithError("decoding failed");
        const std::uint32_t contentLength = (std::uint32_t{decoded[3]} << 24) | (decoded[4] << 16) | (decoded[5] << 8) | decoded[6];
        std::string content(reinterpret_cast<const char*>(decoded.data()) + 7, contentLength);
        benchmark::DoNotOptimize(content.data());
    }
    state.SetBytesProcessed(state.iterations() * state.range(0));
}

void GenKeyMakeKDF(benchmark::State& state) {
    CGenKey generator(kNpki, 48, 1, WorkFolder());
    const ByteString secret("pre-master secret of the channel"), seed1("client random 32 bytes ........"),
        seed2("server random 32 bytes ........");
    for (auto _ : state) {
        tagSESSIONINFO session;
        if (generator.MakeKDF(48, secret, seed1, seed2, session) != 0) state.SkipWithError("MakeKDF failed");
        benchmark::DoNotOptimize(session.clientKey.data);
    }
}

std::string Digest(const EVP_MD* type, const std::string& input) {
    unsigned char out[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    EVP_Digest(input.data(), input.size(), out, &length, type, nullptr);
    return std::string(reinterpret_cast<char*>(out), length);
}

// The thirteen digests of the derivation, and the same cut of the block.
void OpenSslKDF(benchmark::State& state) {
    const std::string secret("pre-master secret of the channel"), seed1("client random 32 bytes ........"),
        seed2("server random 32 bytes ........");
    for (auto _ : state) {
        const std::string master = Digest(EVP_sha1(), secret);
        std::string block;
        for (const char* label : kLabels) {
            const std::string inner = Digest(EVP_sha1(), label + master + seed1 + seed2);
            block += Digest(EVP_sha256(), Digest(EVP_sha1(), master + inner));
        }
        std::string pieces[4] = {block.substr(0, 16), block.substr(16, 16), block.substr(32, 16), block.substr(48, 16)};
        benchmark::DoNotOptimize(pieces[0].data());
    }
}

}  // namespace

BENCHMARK(CmdGenParse)->Name("Parse1KiB/Ours")->Arg(1 << 10);
BENCHMARK(OpenSslParse)->Name("Parse1KiB/Baseline")->Arg(1 << 10);
BENCHMARK(CmdGenParse)->Name("Parse1MiB/Ours")->Arg(1 << 20);
BENCHMARK(OpenSslParse)->Name("Parse1MiB/Baseline")->Arg(1 << 20);
BENCHMARK(GenKeyMakeKDF)->Name("MakeKDF/Ours");
BENCHMARK(OpenSslKDF)->Name("MakeKDF/Baseline");

int main(int argc, char** argv) { return zorvane_bench::RunWithRatios(argc, argv); }
