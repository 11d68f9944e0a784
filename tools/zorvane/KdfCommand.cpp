#include <zorvane/GenKey.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "tools/zorvane/Command.h"
#include "tools/zorvane/CommandLine.h"

namespace {

const char kUsage[] =
    "usage: zorvane kdf [--algo N] [--work DIR] [--hex] SECRET SEED1 SEED2\n"
    "  derives the key block of algorithm N (default 48) and prints it with the client and\n"
    "  server keys and IVs in hex; --hex reads SECRET and the seeds as hex bytes\n";

int Usage(const std::string& error) { return UsageError("kdf", kUsage, error); }

bool ReadInputs(const CommandLine& line, std::string inputs[3]) {
    for (int i = 0; i < 3; ++i) {
        inputs[i] = line.positional[static_cast<std::size_t>(i)];
        if (line.Has("--hex") && !DecodeHex(inputs[i], inputs[i])) return false;
    }
    return true;
}

ByteString Bytes(const std::string& text) { return ByteString(text.data(), static_cast<int>(text.size())); }

void PrintHex(const char* label, ByteString value) { std::printf("%-11s %s\n", label, value.ToHex().GetData()); }

int Fail(CGenKey& generator, int code) {
    ByteString text;
    generator.GetErrInfo(text);
    std::fprintf(stderr, "zorvane kdf: derivation failed with result %d %s\n", code, text.GetData());
    return 1;
}

int RunKdf(int argc, char** argv) {
    const CommandLine line = ParseCommandLine(argc, argv, {"--algo", "--work"}, {"--hex"});
    if (!line.error.empty()) return Usage(line.error);
    if (line.positional.size() != 3) return Usage("needs SECRET SEED1 SEED2");
    std::string inputs[3];
    if (!ReadInputs(line, inputs)) return Usage("--hex needs an even number of hex digits");
    const int algo = std::atoi(line.Value("--algo", "48").c_str());
    const std::string work = line.Value("--work", ProgramFolder());

    CGenKey generator(kNpkiToolkit, kDefaultCipher, kDefaultHash, ByteString(work.c_str()));
    ByteString keyBlock;
    int result = generator.MakeKDF(algo, Bytes(inputs[0]), Bytes(inputs[1]), Bytes(inputs[2]), keyBlock);
    if (result != 0) return Fail(generator, result);
    ByteString clientKey, clientIV, serverKey, serverIV;
    result = generator.GetKDFKeyIv(algo, keyBlock, clientKey, clientIV, serverKey, serverIV);
    if (result != 0) return Fail(generator, result);
    std::printf("%-11s %d\n", "algorithm", algo);
    PrintHex("key block", keyBlock);
    PrintHex("client key", clientKey);
    PrintHex("client iv", clientIV);
    PrintHex("server key", serverKey);
    PrintHex("server iv", serverIV);
    return 0;
}

}  // namespace

ZORVANE_COMMAND("kdf", "kdf [--algo N] [--work DIR] [--hex] SECRET SEED1 SEED2   derive channel keys", RunKdf);
