// zorvane sign --module: a CMS SignedData signed on a SoftHSM2 token, as a user runs it,
// judged by openssl cms.

#include "support/ZorvaneProcess.h"
#include "toolkit/media/MediaWorld.h"

namespace media_test {
namespace {

using zorvane::testsupport::Quoted;
using zorvane::testsupport::RunCommand;
using zorvane::testsupport::TempFolder;

struct TokenSignRow {
    const char* name;
    bool detached;
    std::string pin;
    std::string module;
    int exitCode;
    const char* said;  // in the program's output
};

TEST(TokenSignCommand, SignsOnTheTokenOrSaysWhy) {
    const MediaWorld& world = MediaWorld::Get();
    ScopedSoftHsmConf conf(world.softHsmConf);
    TempFolder scratch;
    const std::string content = scratch.Write("content.txt", "signed on the token\n");
    const TokenSignRow kRows[] = {
        {"attached", false, world.pin, SOFTHSM_MODULE, 0, "signed message"},
        {"detached", true, world.pin, SOFTHSM_MODULE, 0, "signed message"},
        {"wrongPin", false, "000000", SOFTHSM_MODULE, 5, "toolkit code 2605"},
        {"noModule", false, world.pin, scratch.File("absent.so"), 1, "no signing certificate"},
    };
    for (const TokenSignRow& row : kRows) {
        SCOPED_TRACE(row.name);
        std::vector<std::string> arguments = {"sign", "--module", row.module, "--pin-fd", "0", "--work", world.work,
                                              "--out", scratch.File("signed.p7s"), content};
        if (row.detached) arguments.insert(arguments.begin() + 1, "--detached");
        std::remove(scratch.File("signed.p7s").c_str());
        const Finished signing = RunZorvane(arguments, row.pin + "\n");
        EXPECT_EQ(row.exitCode, signing.exitCode) << signing.output;
        EXPECT_NE(std::string::npos, signing.output.find(row.said)) << signing.output;
        EXPECT_EQ(std::string::npos, signing.output.find(row.pin)) << "the PIN appears in the output";
        if (row.exitCode != 0) continue;
        const std::string verify = "openssl cms -verify -noverify -binary -inform DER -in " + Quoted(scratch.File("signed.p7s"));
        const std::string withContent = row.detached ? " -content " + Quoted(content) : "";
        EXPECT_EQ("signed on the token\n", RunCommand(verify + withContent).output);
        EXPECT_EQ(row.detached, RunCommand(verify).status != 0) << "a detached message carries no content";
    }
}

}  // namespace
}  // namespace media_test
