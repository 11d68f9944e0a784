#include <cstdio>
#include <cstdlib>
#include <string>

#include "tools/zorvane/CmsInputs.h"
#include "tools/zorvane/Command.h"
#include "tools/zorvane/CommandLine.h"
#include "tools/zorvane/ContentMessages.h"

namespace {

const char kUsage[] =
    "usage: zorvane msg make [--work DIR] [--tag TAG] TYPE [CONTENT]\n"
    "       zorvane msg parse [--work DIR] [--tag TAG] [--raw | --json]\n"
    "  make prints the Base64 text of a content record (CONTENT or standard input),\n"
    "  between <TAG> and </TAG> when a tag is given; parse reads a tagged message from\n"
    "  standard input and prints its type and content in hex (--raw: the content bytes;\n"
    "  --json: an object with type and content in hex).\n"
    "  Input above 16 MiB (16777216 bytes) is refused\n";

// Parsing holds several copies of a message (text, decoded bytes, record); a cap keeps
// a hostile or mistaken input from taking the machine's memory.
constexpr std::size_t kMaxInput = 16u << 20;

int Usage(const std::string& error) { return UsageError("msg", kUsage, error); }

// Standard input up to kMaxInput bytes; false when there is more.
bool ReadCappedInput(std::string& text) {
    char chunk[65536];
    std::size_t got = 0;
    while ((got = std::fread(chunk, 1, sizeof chunk, stdin)) > 0) {
        if (text.size() + got > kMaxInput) return false;
        text.append(chunk, got);
    }
    return true;
}

int TooLarge() {
    std::fprintf(stderr, "zorvane msg: the input is larger than 16 MiB (%zu bytes); refused\n", kMaxInput);
    return 1;
}

int Fail(const char* step, int code) {
    std::fprintf(stderr, "zorvane msg: %s failed: %s (code %d)\n", step, ContentMessageMeaning(code), code);
    return 1;
}

int Make(CCmdGen& messages, const CommandLine& line) {
    const std::vector<std::string>& args = line.positional;
    if (args.size() < 2 || args.size() > 3) return Usage("make needs TYPE and at most one CONTENT");
    if (line.Has("--raw") || line.Has("--json")) return Usage("--raw and --json go with parse only");
    std::string content;
    if (args.size() == 3) content = args[2];
    else if (!ReadCappedInput(content)) return TooLarge();
    const auto tag = line.values.find("--tag");
    std::string framed;
    const int result = FrameContent(messages, std::atoi(args[1].c_str()), content,
                                    tag == line.values.end() ? nullptr : &tag->second, framed);
    if (result != 0) return Fail("make", result);
    std::printf("%s\n", framed.c_str());
    return 0;
}

int Parse(CCmdGen& messages, const CommandLine& line) {
    if (line.positional.size() != 1) return Usage("parse takes no further arguments");
    if (line.Has("--raw") && line.Has("--json")) return Usage("give --raw or --json, not both");
    std::string message;
    if (!ReadCappedInput(message)) return TooLarge();
    ByteString content;
    const int result = ParseContent(messages, line.Value("--tag", ""), message, content);
    if (result != 0) return Fail("parse", result);
    if (line.Has("--raw")) {
        std::fwrite(content.GetData(), 1, static_cast<std::size_t>(content.GetLength()), stdout);
        return 0;
    }
    if (line.Has("--json")) {
        cms::JsonObject object;
        object.Number("type", messages.GetContentType()).Text("content", content.ToHex().GetData());
        std::printf("%s\n", object.Done().c_str());
        return 0;
    }
    std::printf("type    %d\ncontent %s\n", messages.GetContentType(), content.ToHex().GetData());
    return 0;
}

int RunMsg(int argc, char** argv) {
    const CommandLine line = ParseCommandLine(argc, argv, {"--work", "--tag"}, {"--raw", "--json"});
    if (!line.error.empty()) return Usage(line.error);
    if (line.positional.empty()) return Usage("");
    const std::string work = line.Value("--work", ProgramFolder());
    CCmdGen messages(kNpkiToolkit, kDefaultCipher, kDefaultHash, ByteString(work.c_str()));
    if (line.positional[0] == "make") return Make(messages, line);
    if (line.positional[0] == "parse") return Parse(messages, line);
    return Usage("unknown action " + line.positional[0]);
}

}  // namespace

ZORVANE_COMMAND("msg", "msg make|parse [--work DIR] [--tag TAG] ...   tagged content messages", RunMsg);
