// CToolkitContext over the toolkit functions the library links directly from the real
// Quellark.dll: each operation stores the toolkit's result, nothing is looked up.
#include <gtest/gtest.h>

#include <string>

#include "crypto/ToolkitContext.h"

namespace {

TEST(ToolkitContext, StartsEmpty) {
    CToolkitContext holder;
    EXPECT_EQ(nullptr, holder.m_context);
    EXPECT_EQ(0, holder.m_lastResult);
}

TEST(ToolkitContext, OpensReportsAndFinishes) {
    CToolkitContext holder;
    ASSERT_EQ(0, holder.Init("."));
    EXPECT_NE(nullptr, holder.m_context);

    const int loading = holder.MediaLoad("/nonexistent/zorvane/module.so");
    EXPECT_NE(0, loading);
    EXPECT_EQ(loading, holder.m_lastResult);
    char text[1024] = "not written";
    holder.GetErrInfo(text, sizeof(text));
    EXPECT_EQ(0, holder.m_lastResult);
    EXPECT_NE(std::string::npos, std::string(text).find(std::to_string(loading)));

    int count = -1;
    EXPECT_NE(0, holder.OpenSession(nullptr));
    EXPECT_NE(0, holder.GetCertCnt(&count));
    ByteString identifier("id"), certificate("unchanged");
    const int reading = holder.ReadCert(identifier, certificate);
    EXPECT_NE(0, reading);
    EXPECT_EQ(reading, holder.m_lastResult);

    holder.Finish();
    EXPECT_EQ(nullptr, holder.m_context);
    EXPECT_EQ(0, holder.m_lastResult);
}

TEST(ToolkitContext, WithoutContextTheToolkitAnswers) {
    CToolkitContext holder;
    EXPECT_EQ(1001, holder.MediaLoad("module"));
    char text[64] = {};
    holder.GetErrInfo(text, sizeof(text));
    EXPECT_EQ(1001, holder.m_lastResult);
}

}  // namespace
