#include <gtest/gtest.h>

#include <string>

#include "support/ZorvaneProcess.h"

namespace {

TEST(MsgCommand, MakeThenParseThroughStandardInput) {
    const std::string content("binary\0content\xff", 15);
    Finished made = RunZorvane({"msg", "make", "--tag", "DATA", "21"}, content);
    ASSERT_EQ(0, made.exitCode) << made.output;
    ASSERT_EQ(0u, made.output.find("<DATA>"));
    Finished parsed = RunZorvane({"msg", "parse", "--tag", "DATA"}, "prefix " + made.output);
    ASSERT_EQ(0, parsed.exitCode) << parsed.output;
    EXPECT_EQ("type    21\ncontent 62696e61727900636f6e74656e74ff\n", parsed.output);
    Finished raw = RunZorvane({"msg", "parse", "--tag", "DATA", "--raw"}, made.output);
    EXPECT_EQ(content, raw.output);
    Finished json = RunZorvane({"msg", "parse", "--tag", "DATA", "--json"}, made.output);
    EXPECT_EQ("{\n  \"type\": 21,\n  \"content\": \"62696e61727900636f6e74656e74ff\"\n}\n", json.output);
    EXPECT_EQ(2, RunZorvane({"msg", "parse", "--raw", "--json"}, made.output).exitCode);
}

TEST(MsgCommand, ReportsTheLibraryResults) {
    Finished unknownType = RunZorvane({"msg", "make", "2", "x"});
    EXPECT_EQ(1, unknownType.exitCode);
    EXPECT_NE(std::string::npos, unknownType.output.find("not one the library knows (code 500)")) << unknownType.output;
    EXPECT_EQ(2, RunZorvane({"msg", "send"}).exitCode);
}

// The 16 MiB cap on standard input: at the cap the message is parsed (and found not to
// be one); one byte more is refused before parsing, with a text that says why.
TEST(MsgCommand, InputAboveTheCapIsRefused) {
    const std::size_t cap = 16u << 20;
    for (const std::size_t size : {cap, cap + 1}) {
        const Finished parsed = RunZorvane({"msg", "parse", "--tag", "T"}, std::string(size, 'A'));
        EXPECT_EQ(1, parsed.exitCode) << size;
        EXPECT_EQ(size > cap, parsed.output.find("larger than 16 MiB") != std::string::npos) << parsed.output;
    }
}

}  // namespace
