#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "tools/zorvane/ChannelKeys.h"
#include "tools/zorvane/CodeMeanings.h"
#include "tools/zorvane/Command.h"
#include "tools/zorvane/CommandLine.h"
#include "tools/zorvane/SecretInput.h"

namespace {

const char kUsage[] =
    "usage: zorvane kdf [--algo N] [--work DIR] [--hex] [--json] [--secret-file FILE | --secret-fd N] SEED1 SEED2\n"
    "  derives the key block of algorithm N (default 48) and prints it with the client and\n"
    "  server keys and IVs in hex. The channel secret comes from FILE, from descriptor N\n"
    "  (up to its first line end) or from a prompt on the terminal, never from the command\n"
    "  line; --hex reads the secret and the seeds as hex bytes; --json prints one object\n"
    "  (algorithm, keyBlock, clientKey, clientIv, serverKey, serverIv)\n";

int Usage(const std::string& error) { return UsageError("kdf", kUsage, error); }

bool DecodeSeeds(const CommandLine& line, std::string seeds[2]) {
    for (int i = 0; i < 2; ++i) {
        seeds[i] = line.positional[static_cast<std::size_t>(i)];
        if (line.Has("--hex") && !DecodeHex(seeds[i], seeds[i])) return false;
    }
    return true;
}

int HexDigitValue(char digit) {
    const int lower = std::tolower(static_cast<unsigned char>(digit));
    return lower <= '9' ? lower - '0' : lower - 'a' + 10;
}

// Decodes the secret's hex into a buffer reserved once, so that no partial copy of the
// secret is left behind in freed memory; `bytes` wipes it when it goes.
bool DecodeSecretHex(const Secret& secret, Secret& bytes) {
    const std::string& hex = secret.text();
    if (hex.size() % 2 || hex.find_first_not_of("0123456789abcdefABCDEF") != std::string::npos) return false;
    bytes.text().reserve(hex.size() / 2);
    for (std::size_t i = 0; i < hex.size(); i += 2)
        bytes.text().push_back(static_cast<char>(HexDigitValue(hex[i]) * 16 + HexDigitValue(hex[i + 1])));
    return true;
}

// The key-derivation codes (zorvane/GenKey.h) and the toolkit's that reach kdf.
const CodeMeaning kMeanings[] = {
    {100, kToolkitNotLoaded},
    {101, kToolkitNotLoaded},
    {105, "the secret or a seed is empty"},
    {106, "the key block is shorter than algorithm --algo needs; choose another algorithm"},
};

int Fail(int code, const std::string& text) {
    const char* meaning = MeaningOf(kMeanings, code, "the toolkit refused it (see toolkit/README.md)");
    std::fprintf(stderr, "zorvane kdf: derivation failed: %s (code %d%s%s)\n", meaning, code, text.empty() ? "" : ": ",
                 text.c_str());
    return 1;
}

int RunKdf(int argc, char** argv) {
    const CommandLine line = ParseCommandLine(
        argc, argv, {"--algo", "--work", SecretFileOption("secret"), SecretFdOption("secret")}, {"--hex", "--json"});
    if (!line.error.empty()) return Usage(line.error);
    if (line.positional.size() == 3) return Usage("the channel secret is not taken on the command line");
    if (line.positional.size() != 2) return Usage("needs SEED1 SEED2");
    std::string seeds[2];
    if (!DecodeSeeds(line, seeds)) return Usage("--hex needs an even number of hex digits");
    Secret secret, decoded;
    std::string error;
    if (!ReadSecret(line, "secret", "Channel secret: ", secret, error)) {
        std::fprintf(stderr, "zorvane kdf: no channel secret: %s\n", error.c_str());
        return 1;
    }
    const bool hex = line.Has("--hex");
    if (hex && !DecodeSecretHex(secret, decoded)) return Usage("--hex needs an even number of hex digits");
    const std::string& secretBytes = hex ? decoded.text() : secret.text();
    const int algo = std::atoi(line.Value("--algo", "48").c_str());
    const std::string work = line.Value("--work", ProgramFolder());

    ChannelKeys keys;
    std::string failure;
    if (const int code = DeriveChannelKeys(work, algo, secretBytes, seeds[0], seeds[1], keys, failure))
        return Fail(code, failure);
    PrintChannelKeys(algo, keys, line.Has("--json"));
    return 0;
}

}  // namespace

ZORVANE_COMMAND("kdf", "kdf [--algo N] [--work DIR] [--hex] [--json] [--secret-file F | --secret-fd N] SEED1 SEED2   derive channel keys",
                RunKdf);
