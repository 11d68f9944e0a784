// Base64 and PEM decoding through the toolkit's C interface. What decodes as Base64 must
// survive a round trip through the encoder unchanged.
#include <cstdint>
#include <cstring>

#include "fuzz/FuzzCheck.h"
#include "fuzz/ToolkitContext.h"

namespace {

void CheckRoundTrip(void* context, const BINSTR& decoded) {
    BINSTR source = decoded;
    BINSTR encoded{nullptr, 0}, again{nullptr, 0};
    FUZZ_CHECK(QLK_BASE64_Encode(context, &source, &encoded) == 0);
    FUZZ_CHECK(QLK_BASE64_Decode(context, &encoded, &again) == 0);
    FUZZ_CHECK(again.length == decoded.length);
    FUZZ_CHECK(decoded.length == 0 || std::memcmp(again.data, decoded.data, decoded.length) == 0);
    QLK_BINSTR_Delete(&encoded);
    QLK_BINSTR_Delete(&again);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    void* context = zorvane::fuzz::ToolkitContext();
    BINSTR input = zorvane::fuzz::InputRecord(data, size);
    BINSTR decoded{nullptr, 0};
    if (QLK_BASE64_Decode(context, &input, &decoded) == 0) CheckRoundTrip(context, decoded);
    QLK_BINSTR_Delete(&decoded);
    BINSTR body{nullptr, 0};
    QLK_PEM_Decode(context, &input, &body);
    QLK_BINSTR_Delete(&body);
    return 0;
}
