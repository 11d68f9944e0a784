#include <zorvane/MemoryMap.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <string>
#include <thread>

#include "tools/zorvane/CmsInputs.h"
#include "tools/zorvane/Command.h"
#include "tools/zorvane/OutputText.h"
#include "tools/zorvane/CommandLine.h"
#include "tools/zorvane/SharedBlock.h"

namespace {

volatile std::sig_atomic_t g_stopHolding = 0;

void StopHolding(int) { g_stopHolding = 1; }

const char kUsage[] =
    "usage: zorvane mmf hold NAME | write NAME [TEXT] | read [--json] NAME\n"
    "  hold creates the named block of 100000 bytes and keeps it until interrupted; write puts\n"
    "  TEXT (or standard input, at most 99999 bytes) into it; read prints its text (--json: an\n"
    "  object with name, length and text)\n";

int Usage(const std::string& error) { return UsageError("mmf", kUsage, error); }

int Fail(const char* what, const std::string& name, int code) {
    std::fprintf(stderr, "zorvane mmf: %s '%s': %s (code %d)\n", what, name.c_str(), SharedBlockMeaning(code), code);
    return 1;
}

// Creates the block and keeps it until SIGINT or SIGTERM; "holding" on standard
// output tells a waiting script that the block exists.
int Hold(const std::string& name) {
    std::signal(SIGINT, StopHolding);
    std::signal(SIGTERM, StopHolding);
    CMemoryMap map;
    map.CreateMMF(ByteString(name.c_str()));
    if (!map.m_mapping) return Fail("cannot create block", name, 0);
    std::printf("holding %s\n", name.c_str());
    std::fflush(stdout);
    while (!g_stopHolding) std::this_thread::sleep_for(std::chrono::milliseconds(20));
    map.DeleteMMF();
    return 0;
}

int Write(const std::string& name, const std::string& text) {
    CMemoryMap map;
    const int result = map.WriteMMF(ByteString(name.c_str()), ByteString(text.data(), static_cast<int>(text.size())));
    return result == kBlockDone ? 0 : Fail("cannot write block", name, result);
}

int Read(const std::string& name, bool json) {
    CMemoryMap map;
    ByteString text;
    const int result = map.ReadMMF(ByteString(name.c_str()), text);
    if (result != kBlockDone) return Fail("cannot read block", name, result);
    if (json) {
        const std::string_view bytes(text.GetData(), static_cast<std::size_t>(text.GetLength()));
        cms::JsonObject object;
        object.Text("name", name).Number("length", text.GetLength()).Raw("text", JsonString(bytes));
        std::printf("%s\n", object.Done().c_str());
        return 0;
    }
    std::fwrite(text.GetData(), 1, static_cast<std::size_t>(text.GetLength()), stdout);
    std::fputc('\n', stdout);
    return 0;
}

int RunMmf(int argc, char** argv) {
    const CommandLine line = ParseCommandLine(argc, argv, {}, {"--json"});
    const std::vector<std::string>& args = line.positional;
    const bool json = line.Has("--json");
    if (line.error.empty() && args.size() == 2 && args[0] == "read") return Read(args[1], json);
    if (json) return Usage("--json goes with read only");
    if (line.error.empty() && args.size() == 2 && args[0] == "hold") return Hold(args[1]);
    if (line.error.empty() && args.size() == 2 && args[0] == "write") return Write(args[1], ReadStandardInput());
    if (line.error.empty() && args.size() == 3 && args[0] == "write") return Write(args[1], args[2]);
    return Usage(line.error);
}

}  // namespace

ZORVANE_COMMAND("mmf", "mmf hold NAME | write NAME [TEXT] | read [--json] NAME   named shared block of 100000 bytes",
                RunMmf);
