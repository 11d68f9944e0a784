// CToolkitContext over the toolkit functions the library links directly from the real
// Quellark.dll: each operation stores the toolkit's result and nothing is looked up by
// name.
#include <gtest/gtest.h>

#include <string>

#include "crypto/ToolkitContext.h"

namespace {

TEST(ToolkitContext, OpensReportsAndFinishes) {
    CToolkitContext holder;
    ASSERT_EQ(0, holder.Init("."));
    EXPECT_NE(nullptr, holder.m_context);
    char text[8] = "xxxxxxx";
    holder.GetErrInfo(text, sizeof(text));
    EXPECT_EQ(0, holder.m_lastResult);
    EXPECT_LT(std::string(text).size(), sizeof(text));
    holder.Finish();
    EXPECT_EQ(nullptr, holder.m_context);
    EXPECT_EQ(0, holder.m_lastResult);
}

TEST(ToolkitContext, WithoutContextTheToolkitAnswers) {
    CToolkitContext holder;
    char text[64] = {};
    holder.GetErrInfo(text, sizeof(text));
    EXPECT_EQ(1001, holder.m_lastResult);
}

TEST(ToolkitContext, MediaAndTokenCallsStoreTheToolkitsAnswer) {
    CToolkitContext holder;
    ASSERT_EQ(0, holder.Init("."));
    EXPECT_EQ(2503, holder.MediaLoad("/nonexistent/zorvane/module.so"));
    EXPECT_EQ(2503, holder.m_lastResult);
    int count = -1;
    EXPECT_EQ(2601, holder.GetCertCnt(&count)) << "no module is loaded";
    EXPECT_EQ(-1, count);
    ByteString identifier("id"), certificate("old");
    EXPECT_EQ(2601, holder.ReadCert(identifier, certificate));
    EXPECT_EQ(2601, holder.m_lastResult);
    holder.Finish();
}

}  // namespace
