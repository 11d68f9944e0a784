// CToolkitContext over the toolkit functions the library links directly from the real
// Quellark.dll: each operation stores the toolkit's result, nothing is looked up by
// name, and a function this toolkit does not export answers kFunctionNotLinked.
#include <gtest/gtest.h>

#include <dlfcn.h>

#include <string>

#include "crypto/ToolkitContext.h"

namespace {

bool ToolkitExports(const char* name) { return dlsym(RTLD_DEFAULT, name) != nullptr; }

TEST(ToolkitContext, StartsEmpty) {
    CToolkitContext holder;
    EXPECT_EQ(nullptr, holder.m_context);
    EXPECT_EQ(0, holder.m_lastResult);
}

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

TEST(ToolkitContext, MediaAndTokenFunctionsFollowWhatTheToolkitExports) {
    CToolkitContext holder;
    ASSERT_EQ(0, holder.Init("."));
    const bool media = ToolkitExports("QLK_MEDIA_Load");
    const int loading = holder.MediaLoad("/nonexistent/zorvane/module.so");
    EXPECT_EQ(loading, holder.m_lastResult);
    if (!media) EXPECT_EQ(CToolkitContext::kFunctionNotLinked, loading);
    else EXPECT_NE(0, loading);

    int count = -1;
    const int counting = holder.GetCertCnt(&count);
    if (!ToolkitExports("QLK_PKCS11_GetCertCnt")) {
        EXPECT_EQ(CToolkitContext::kFunctionNotLinked, counting);
        EXPECT_EQ(-1, count) << "nothing was called, so nothing was written";
    } else {
        EXPECT_NE(0, counting) << "no session is open";
    }
    ByteString identifier("id"), certificate("old");
    const int reading = holder.ReadCert(identifier, certificate);
    EXPECT_EQ(reading, holder.m_lastResult);
    EXPECT_NE(0, reading);
    holder.Finish();
}

}  // namespace
