#include <gtest/gtest.h>

#include <string>

#include "support/ZorvaneProcess.h"
#include "session/ReferenceTools.h"

namespace {

TEST(KdfCommand, PrintsTheKeyBlockAndItsPiecesInHex) {
    const std::string block = ReferenceKeyBlock("00ff73", "0102", "a0");
    Finished run = RunZorvane({"kdf", "--algo", "32", "--hex", "00ff73", "0102", "a0"});
    ASSERT_EQ(0, run.exitCode) << run.output;
    EXPECT_EQ("algorithm   32\n"
              "key block   " + block + "\n"
              "client key  " + block.substr(0, 48) + "\n"
              "client iv   " + block.substr(48, 16) + "\n"
              "server key  " + block.substr(64, 48) + "\n"
              "server iv   " + block.substr(112, 16) + "\n",
              run.output);
}

TEST(KdfCommand, ReportsRefusedInputs) {
    Finished empty = RunZorvane({"kdf", "secret", "", "seed"});
    EXPECT_EQ(1, empty.exitCode);
    EXPECT_NE(std::string::npos, empty.output.find("result 105")) << empty.output;
    EXPECT_EQ(2, RunZorvane({"kdf", "--hex", "0g", "00", "00"}).exitCode);
    EXPECT_EQ(2, RunZorvane({"kdf", "only-two", "arguments"}).exitCode);
    Finished noToolkit = RunZorvane({"kdf", "--work", "/nonexistent", "s", "a", "b"});
    EXPECT_EQ(1, noToolkit.exitCode);
    EXPECT_NE(std::string::npos, noToolkit.output.find("result 101")) << noToolkit.output;
}

}  // namespace
