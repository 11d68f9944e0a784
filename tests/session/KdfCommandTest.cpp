#include <gtest/gtest.h>

#include <string>

#include "support/TestSupport.h"
#include "support/ZorvaneProcess.h"
#include "session/ReferenceTools.h"

namespace {

TEST(KdfCommand, PrintsTheKeyBlockAndItsPiecesInHex) {
    const std::string block = ReferenceKeyBlock("00ff73", "0102", "a0");
    Finished run = RunZorvane({"kdf", "--algo", "32", "--hex", "--secret-fd", "0", "0102", "a0"}, "00ff73\n");
    ASSERT_EQ(0, run.exitCode) << run.output;
    EXPECT_EQ("algorithm   32\n"
              "key block   " + block + "\n"
              "client key  " + block.substr(0, 48) + "\n"
              "client iv   " + block.substr(48, 16) + "\n"
              "server key  " + block.substr(64, 48) + "\n"
              "server iv   " + block.substr(112, 16) + "\n",
              run.output);
}

TEST(KdfCommand, TheSecretComesFromAFileAndNeverFromTheCommandLine) {
    zorvane::testsupport::TempFolder folder;
    const std::string file = folder.Write("secret", "00ff73\n");
    const Finished fromFile = RunZorvane({"kdf", "--algo", "32", "--hex", "--secret-file", file, "0102", "a0"});
    ASSERT_EQ(0, fromFile.exitCode) << fromFile.output;
    EXPECT_NE(std::string::npos, fromFile.output.find(ReferenceKeyBlock("00ff73", "0102", "a0"))) << fromFile.output;
    const Finished onLine = RunZorvane({"kdf", "--secret-fd", "0", "secret", "a", "b"}, "secret\n");
    EXPECT_EQ(2, onLine.exitCode);
    EXPECT_NE(std::string::npos, onLine.output.find("not taken on the command line")) << onLine.output;
    const Finished missing = RunZorvane({"kdf", "--secret-file", folder / "none", "a", "b"});
    EXPECT_EQ(1, missing.exitCode);
    EXPECT_NE(std::string::npos, missing.output.find("no channel secret")) << missing.output;
}

TEST(KdfCommand, ReportsRefusedInputs) {
    Finished empty = RunZorvane({"kdf", "--secret-fd", "0", "", "seed"}, "secret\n");
    EXPECT_EQ(1, empty.exitCode);
    EXPECT_NE(std::string::npos, empty.output.find("the secret or a seed is empty (code 105)")) << empty.output;
    EXPECT_EQ(2, RunZorvane({"kdf", "--hex", "--secret-fd", "0", "00", "00"}, "0g\n").exitCode);
    EXPECT_EQ(2, RunZorvane({"kdf", "--secret-fd", "0", "only-one"}, "s\n").exitCode);
    Finished noToolkit = RunZorvane({"kdf", "--work", "/nonexistent", "--secret-fd", "0", "a", "b"}, "s\n");
    EXPECT_EQ(1, noToolkit.exitCode);
    EXPECT_NE(std::string::npos, noToolkit.output.find("must hold Quellark.dll (code 101")) << noToolkit.output;
}

}  // namespace
