// The channel part of zorvane demo: channel keys derived as `zorvane kdf` does, a message
// framed as `zorvane msg make` does, and that message handed to a second process through a
// named shared block, read there by `zorvane mmf read`.

#include <zorvane/MemoryMap.h>

#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <string>

#include "tools/zorvane/ChannelKeys.h"
#include "tools/zorvane/CommandLine.h"
#include "tools/zorvane/ContentMessages.h"
#include "tools/zorvane/DemoSandbox.h"
#include "tools/zorvane/DemoSteps.h"
#include "tools/zorvane/ProgramFolder.h"
#include "tools/zorvane/SharedBlock.h"

namespace {

constexpr int kSeedCbc = 48;
constexpr int kDemoContentType = 1;
const std::string kTag = "DATA";
const char kFramedFile[] = "message.framed";

int Failed(const char* step, int code, const std::string& meaning) {
    std::fprintf(stderr, "zorvane demo: %s failed: %s (code %d)\n", step, meaning.c_str(), code);
    return 1;
}

}  // namespace

int DeriveDemoChannelKeys() {
    std::printf("== channel keys (CGenKey, as zorvane kdf derives them)\n");
    std::printf("Both ends derive the same key block from their shared secret and the two seeds.\n");
    ChannelKeys keys;
    std::string error;
    // A fixed test secret; zorvane kdf reads a real one from a file, a descriptor or a prompt.
    const int code = DeriveChannelKeys(ProgramFolder(), kSeedCbc, "demo channel secret", "client seed",
                                       "server seed", keys, error);
    if (code != 0) return Failed("the derivation", code, error);
    PrintChannelKeys(kSeedCbc, keys);
    return 0;
}

int FrameDemoMessage() {
    std::printf("== a content message (CCmdGen, as zorvane msg make frames it)\n");
    std::printf("The content goes into a typed record, Base64 between <%s> tags, ready to send.\n", kTag.c_str());
    CCmdGen messages(kNpkiToolkit, kDefaultCipher, kDefaultHash, ByteString(ProgramFolder().c_str()));
    std::string framed;
    if (const int code = FrameContent(messages, kDemoContentType, "site=demo?lang=ko&id=7", &kTag, framed))
        return Failed("framing", code, ContentMessageMeaning(code));
    std::ofstream(DemoSandbox() / kFramedFile) << framed;
    std::printf("%s\n", framed.c_str());
    return 0;
}

int HandOverDemoMessage() {
    std::printf("== the message handed to a second process (CMemoryMap, as zorvane mmf does)\n");
    std::printf("This process holds a named shared block and writes the message; a child process reads it.\n");
    const std::string name = "zorvane-demo-" + std::to_string(getpid()), framed = SandboxText(kFramedFile);
    CMemoryMap block;
    block.CreateMMF(ByteString(name.c_str()));
    if (!block.m_mapping) return Failed("making the shared block", 0, SharedBlockMeaning(0));
    const int written = block.WriteMMF(ByteString(name.c_str()), ByteString(framed.c_str()));
    const int child = written == kBlockDone ? RunInSandbox({"mmf", "read", name}, "received.txt") : 0;
    block.DeleteMMF();
    if (written != kBlockDone) return Failed("writing the shared block", written, SharedBlockMeaning(written));
    const std::string received = SandboxText("received.txt");
    if (child != 0 || received != framed + "\n") {
        std::fprintf(stderr, "zorvane demo: the child read \"%s\" (exit %d)\n", received.c_str(), child);
        return 1;
    }
    CCmdGen messages(kNpkiToolkit, kDefaultCipher, kDefaultHash, ByteString(ProgramFolder().c_str()));
    ByteString content;
    if (const int code = ParseContent(messages, kTag, received, content))
        return Failed("parsing what the child read", code, ContentMessageMeaning(code));
    std::printf("the child read the message whole; its content: %s\n", content.GetData());
    return 0;
}
