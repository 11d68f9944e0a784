// Contexts, error texts, toolkit information and BINSTR records.

#include <cstring>

#include "toolkit/ToolkitSupport.h"

namespace qlk_test {
namespace {

TEST(ApiContext, LifecycleInformationAndRefusals) {
    void* context = nullptr;
    ASSERT_EQ(0, QLK_API_Init(&context, "/some/work"));
    char version[32], info[512];
    ASSERT_EQ(0, QLK_API_GetInfo(context, version, info));
    EXPECT_STREQ("1.0.0", version);
    EXPECT_NE(nullptr, std::strstr(info, "Quellark.dll"));
    EXPECT_NE(nullptr, std::strstr(info, "/some/work"));
    EXPECT_EQ(0, QLK_API_SetConfFile(context, "/etc/qlk.conf"));
    EXPECT_EQ(0, QLK_API_Finish(&context));
    EXPECT_EQ(nullptr, context);
    EXPECT_EQ(1001, QLK_API_Finish(&context));
    EXPECT_EQ(1002, QLK_API_Finish(nullptr));
    EXPECT_EQ(1002, QLK_API_Init(nullptr, "x"));
    char text[64];
    EXPECT_EQ(1001, QLK_API_GetErrInfo(nullptr, sizeof text, text));
    EXPECT_STREQ("the context is null or not open", text);
}

TEST(ApiContext, ErrorTextNamesFunctionCodeAndCause) {
    ContextHandle context;
    Record input(std::string("abc")), output;
    EXPECT_EQ(2002, QLK_CRYPT_Hash(context.get(), 77, input.get(), output.get()));
    EXPECT_EQ("QLK_CRYPT_Hash: [2002] unknown hash algorithm identifier (77)", context.ErrorText());
    EXPECT_EQ(0, QLK_CRYPT_Hash(context.get(), 1, input.get(), output.get()));
    EXPECT_EQ("", context.ErrorText());
}

TEST(ApiBinstr, CreateSetDataDelete) {
    BINSTR record{reinterpret_cast<unsigned char*>(0x1), 77};  // garbage before Create
    ASSERT_EQ(0, QLK_BINSTR_Create(&record));
    EXPECT_EQ(nullptr, record.data);
    EXPECT_EQ(0, record.length);
    const unsigned char bytes[] = {1, 2, 0, 4};
    ASSERT_EQ(0, QLK_BINSTR_SetData(bytes, 4, &record));
    ASSERT_EQ(4, record.length);
    EXPECT_EQ(0, std::memcmp(bytes, record.data, 4));
    EXPECT_EQ(0, record.data[4]);  // kept zero-terminated for text readers
    ASSERT_EQ(0, QLK_BINSTR_SetData(record.data + 1, 2, &record));  // from its own bytes
    EXPECT_EQ(2, record.length);
    EXPECT_EQ(2, record.data[0]);
    EXPECT_EQ(1002, QLK_BINSTR_SetData(nullptr, 3, &record));
    EXPECT_EQ(1002, QLK_BINSTR_SetData(bytes, -1, &record));
    EXPECT_EQ(1002, QLK_BINSTR_SetData(bytes, 1, nullptr));
    EXPECT_EQ(0, QLK_BINSTR_SetData(nullptr, 0, &record));
    EXPECT_EQ(0, record.length);
    ASSERT_EQ(0, QLK_BINSTR_Delete(&record));
    EXPECT_EQ(nullptr, record.data);
    EXPECT_EQ(0, QLK_BINSTR_Delete(&record));  // deleting twice is harmless
}

// Damaged input records are refused; an output record with a length but no buffer has
// nothing to wipe and is simply filled.
TEST(ApiBinstr, DamagedRecordsAreRefusedOrFilled) {
    ContextHandle context;
    unsigned char byte = 0;
    BINSTR bad{&byte, -1};
    Record output;
    EXPECT_EQ(1002, QLK_CRYPT_Hash(context.get(), 1, &bad, output.get()));
    BINSTR nullData{nullptr, 5};
    EXPECT_EQ(1002, QLK_CRYPT_Hash(context.get(), 1, &nullData, output.get()));
    BINSTR input{&byte, 1};
    ASSERT_EQ(0, QLK_CRYPT_Hash(context.get(), 1, &input, &nullData));
    EXPECT_EQ(20, nullData.length);
    EXPECT_EQ(0, QLK_BINSTR_Delete(&nullData));
}

}  // namespace
}  // namespace qlk_test
