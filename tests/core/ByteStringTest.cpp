#include <zorvane/ByteString.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "core/SecureMemory.h"

namespace {

// Makes every allocation fail while it is in scope.
class FailingAllocation {
public:
    FailingAllocation() { previous_ = zorvane::SetAllocatorForTesting([](std::size_t) -> void* { return nullptr; }); }
    ~FailingAllocation() { zorvane::SetAllocatorForTesting(previous_); }

private:
    zorvane::AllocateFunction previous_;
};

TEST(ByteStringConstruction, EmptyFormsHaveNoBlockAndStatusZero) {
    for (const ByteString& s : {ByteString(), ByteString(static_cast<const char*>(nullptr)), ByteString(""),
                                ByteString("abc", 0), ByteString("abc", -4), ByteString(nullptr, 3)}) {
        EXPECT_TRUE(s.IsEmpty());
        EXPECT_EQ(nullptr, s.data);
        EXPECT_EQ(0, s.GetLength());
        EXPECT_STREQ("", s.GetData());
        EXPECT_EQ(0, s.status);
    }
}

TEST(ByteStringConstruction, ZeroBytesInsideCountAndTrailingZeroFollows) {
    const unsigned char bytes[] = {0x61, 0x00, 0x62};
    ByteString s(bytes, 3);
    EXPECT_EQ(3, s.GetLength());
    EXPECT_EQ(0, s.data[3]);
    EXPECT_TRUE(s == ByteString(bytes, 3));
    EXPECT_FALSE(s == "a");
    EXPECT_TRUE(s != "a");
}

TEST(ByteStringAppend, SelfAppendDoublesTheContent) {
    ByteString s("ab");
    s += s;
    EXPECT_TRUE(s == "abab");
    EXPECT_EQ(0, s.status);
}

TEST(ByteStringAppend, FailedAllocationKeepsContentAndReportsTwo) {
    ByteString s("keep");
    {
        FailingAllocation failing;
        s += "more";
    }
    EXPECT_EQ(2, s.status);
    EXPECT_TRUE(s == "keep");
    s += "";
    EXPECT_EQ(2, s.status) << "appending an empty text leaves status untouched";
    s += ByteString();
    EXPECT_EQ(0, s.status);
}

TEST(ByteStringAssign, FailedAllocationLeavesEmptyWithStatusTwo) {
    ByteString source("value");
    ByteString target("old");
    {
        FailingAllocation failing;
        target = source;
    }
    EXPECT_TRUE(target.IsEmpty());
    EXPECT_EQ(2, target.status);
    target = target;
    EXPECT_EQ(0, target.status);
}

TEST(ByteStringCompare, NullTextMeansEmpty) {
    EXPECT_TRUE(ByteString() == static_cast<const char*>(nullptr));
    EXPECT_TRUE(ByteString("x") != static_cast<const char*>(nullptr));
    EXPECT_FALSE(ByteString("x") == static_cast<const char*>(nullptr));
}

TEST(ByteStringFind, EdgeCases) {
    ByteString s("abc");
    EXPECT_EQ(2, s.Find("c"));
    EXPECT_EQ(-1, s.Find(""));
    EXPECT_EQ(-1, s.Find("abcd"));
    EXPECT_EQ(-1, s.Find(static_cast<const char*>(nullptr)));
    const unsigned char withZero[] = {'x', 0, 'y', 0, 'z'};
    ByteString z(withZero, 5);
    const unsigned char pattern[] = {0, 'z'};
    EXPECT_EQ(3, z.Find(pattern, 2));
}

TEST(ByteStringHex, LowercaseHighNibbleFirst) {
    const unsigned char bytes[] = {0x0A, 0xFF};
    ByteString s(bytes, 2);
    EXPECT_TRUE(s.ToHex() == "0aff");
    EXPECT_TRUE(ByteString().ToHex().IsEmpty());
}

TEST(ByteStringFormat, MatchesPrintfForLongTexts) {
    std::string longText(70000, 'k');
    ByteString s;
    EXPECT_EQ(0, s.Format("%s|%d|%5.2f", longText.c_str(), -42, 3.14159));
    char expectedTail[32];
    std::snprintf(expectedTail, sizeof expectedTail, "|%d|%5.2f", -42, 3.14159);
    EXPECT_EQ(longText + expectedTail, std::string(s.GetData(), s.GetLength()));
}

TEST(ByteStringFormat, FailedAllocationKeepsContent) {
    ByteString s("before");
    int result;
    {
        FailingAllocation failing;
        result = s.Format("%d", 7);
    }
    EXPECT_EQ(2, result);
    EXPECT_TRUE(s == "before");
}

}  // namespace
