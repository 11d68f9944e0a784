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

}  // namespace
