// The zorvane kdf command: the key block and its pieces, and the inputs it refuses.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "session/ReferenceTools.h"
#include "support/ZorvaneProcess.h"

namespace {

TEST(KdfCommand, PrintsTheKeyBlockAndItsPiecesInHex) {
    const std::string block = ReferenceBlock("block 00ff73 0102 a0");
    Finished run = RunZorvane({"kdf", "--algo", "32", "--hex", "--secret-fd", "0", "0102", "a0"}, "00ff73\n");
    ASSERT_EQ(0, run.exitCode) << run.output;
    EXPECT_EQ("algorithm   32\nkey block   " + block + "\nclient key  " + block.substr(0, 48) + "\nclient iv   " +
                  block.substr(48, 16) + "\nserver key  " + block.substr(64, 48) + "\nserver iv   " +
                  block.substr(112, 16) + "\n",
              run.output);
}

TEST(KdfCommand, ReportsRefusedInputs) {
    const struct Row {
        std::vector<std::string> args;
        const char* input;
        int exitCode;
        const char* says;
    } kRows[] = {
        {{"kdf", "--secret-fd", "0", "secret", "a", "b"}, "secret\n", 2, "not taken on the command line"},
        {{"kdf", "--secret-file", "/nonexistent/secret", "a", "b"}, "", 1, "no channel secret"},
        {{"kdf", "--secret-fd", "0", "", "seed"}, "secret\n", 1, "the secret or a seed is empty (code 105)"},
        {{"kdf", "--hex", "--secret-fd", "0", "00", "00"}, "0g\n", 2, ""},
        {{"kdf", "--secret-fd", "0", "only-one"}, "s\n", 2, ""},
        {{"kdf", "--work", "/nonexistent", "--secret-fd", "0", "a", "b"}, "s\n", 1, "must hold Quellark.dll (code 101"},
    };
    for (const Row& row : kRows) {
        const Finished run = RunZorvane(row.args, row.input);
        EXPECT_EQ(row.exitCode, run.exitCode) << run.output;
        EXPECT_NE(std::string::npos, run.output.find(row.says)) << run.output;
    }
}

}  // namespace
