// Tagged content messages: CCmdGen::Parse (tags, Base64 through the real toolkit, the
// record) and ProcessContent on what it found; the item readers also get the raw input.
// A parsed record made again and parsed back must give the same type and content.
#include <zorvane/CmdGen.h>

#include <cstdint>

#include "fuzz/FuzzCheck.h"

namespace {

constexpr int kNpki = 1;
constexpr char kTag[] = "DATA";
constexpr int kUnknownContentType = 500;  // a record of any type parses; only known ones are made

CCmdGen& Messages() {
    static CCmdGen messages = [] {
        CCmdGen made;
        FUZZ_CHECK(made.Init(kNpki, 48, 1, ByteString(ZORVANE_FUZZ_WORK_DIR)) == 0);
        made.SetTag(ByteString(kTag));
        return made;
    }();
    return messages;
}

void CheckRemadeRecord(CCmdGen& messages) {
    const int type = messages.GetContentType();
    const ByteString content = messages.GetResult();
    FUZZ_CHECK(messages.MakeContent(type, content, ByteString()) == 0);
    const ByteString tagged = ByteString("<") + kTag + ">" + messages.GetResult() + "</" + kTag + ">";
    FUZZ_CHECK(messages.Parse(tagged) == 0);
    FUZZ_CHECK(messages.GetContentType() == type);
    FUZZ_CHECK(messages.GetResult() == content);
}

void ParseItems(const ByteString& input) {
    CCmdEnvelope envelope;
    envelope.Parse(input);
    CCmdSignItem sign;
    sign.Parse(input);
    CCmdTrailerItem trailer;
    trailer.Parse(input);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const ByteString input(data, static_cast<int>(size));
    ParseItems(input);
    CCmdGen& messages = Messages();
    if (messages.Parse(input) != 0) return 0;
    if (messages.ProcessContent(messages.GetResult()) == kUnknownContentType) return 0;
    CheckRemadeRecord(messages);
    return 0;
}
