#include <zorvane/ByteString.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "core/SecureMemory.h"
#include "platform/Services.h"
#include "tests/platform/ScopedDrives.h"
#include "support/TestSupport.h"

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

namespace {

using zorvane::testing::ScopedDrives;
using zorvane::testsupport::TempFolder;

TEST(ByteStringAppend, SelfAppendKeepsZeroBytesAndRepeats) {
    const unsigned char bytes[] = {'x', 0, 'y'};
    ByteString s(bytes, 3);
    s += s;
    s += s;
    ASSERT_EQ(12, s.GetLength());
    const unsigned char expected[] = {'x', 0, 'y', 'x', 0, 'y', 'x', 0, 'y', 'x', 0, 'y'};
    EXPECT_TRUE(s == ByteString(expected, 12));
    EXPECT_EQ(0, s.data[12]);
}

TEST(ByteStringJoin, OperandsStayAndTextsJoin) {
    const ByteString left("ab");
    const ByteString right("cd");
    EXPECT_TRUE(left + right == "abcd");
    EXPECT_TRUE(left + "ef" == "abef");
    EXPECT_TRUE(left + static_cast<const char*>(nullptr) == "ab");
    EXPECT_TRUE(left == "ab");
    EXPECT_TRUE(right == "cd");
}

TEST(ByteStringCopy, OwnBlocksAndStatusIsNotCopied) {
    ByteString original("text");
    original.status = 2;
    ByteString copy(original);
    EXPECT_EQ(0, copy.status);
    EXPECT_NE(original.data, copy.data);
    copy.data[0] = 'n';
    EXPECT_TRUE(original == "text");
}

// A move hands the block over as it is: the same pointer, no allocation (so it works
// where memory cannot be had), status 0, and the source left empty and usable.
void ExpectTaken(const ByteString& moved, ByteString& source, const unsigned char* block, const std::string& content) {
    EXPECT_EQ(block, moved.data);
    EXPECT_EQ(content, std::string(moved.GetData(), moved.length));
    EXPECT_EQ(0, moved.status);
    EXPECT_EQ(nullptr, source.data);
    EXPECT_EQ(0, source.length);
    EXPECT_EQ(0, source.status);
    source = "reused";
    EXPECT_TRUE(source == "reused");
}

const std::string kMoveSources[] = {"abc", "", std::string("a\0b", 3)};

TEST(ByteStringMove, ConstructionTakesTheBlock) {
    for (const std::string& content : kMoveSources) {
        ByteString source(content.data(), static_cast<int>(content.size()));
        source.status = 2;
        const unsigned char* block = source.data;
        ByteString moved = [&] {
            FailingAllocation noMemory;
            return ByteString(std::move(source));
        }();
        ExpectTaken(moved, source, block, content);
    }
}

TEST(ByteStringMove, AssignmentFreesTheOldBlockAndTakesTheOther) {
    for (const std::string& content : kMoveSources) {
        for (const char* old : {"old", ""}) {
            ByteString source(content.data(), static_cast<int>(content.size()));
            const unsigned char* block = source.data;
            ByteString target(old);
            target.status = 2;
            {
                FailingAllocation noMemory;
                target = std::move(source);
            }
            ExpectTaken(target, source, block, content);
        }
    }
}

TEST(ByteStringMove, SelfAssignmentKeepsTheContent) {
    ByteString text("same");
    ByteString& alias = text;
    text = std::move(alias);
    EXPECT_TRUE(text == "same");
    EXPECT_EQ(0, text.status);
}

TEST(ByteStringAssign, TextAssignmentReportsFailureAndEmptyTextClears) {
    ByteString target("old");
    {
        FailingAllocation failing;
        target = "new";
    }
    EXPECT_TRUE(target.IsEmpty());
    EXPECT_EQ(2, target.status);
    target = "again";
    EXPECT_TRUE(target == "again");
    EXPECT_EQ(0, target.status);
    target = "";
    EXPECT_TRUE(target.IsEmpty());
    target = ByteString("x");
    target = static_cast<const char*>(nullptr);
    EXPECT_TRUE(target.IsEmpty());
    EXPECT_EQ(0, target.status);
}

TEST(ByteStringConstruction, FailedAllocationGivesEmptyWithStatusTwo) {
    FailingAllocation failing;
    ByteString fromText("abc");
    ByteString fromBytes("abc", 3);
    EXPECT_TRUE(fromText.IsEmpty());
    EXPECT_EQ(2, fromText.status);
    EXPECT_EQ(2, fromBytes.status);
    EXPECT_EQ(2, fromBytes.SetData("x", 1));
}

TEST(ByteStringHex, FailedBufferReportsTwoOnTheSource) {
    ByteString s("ab");
    ByteString hex;
    {
        FailingAllocation failing;
        hex = s.ToHex();
    }
    EXPECT_TRUE(hex.IsEmpty());
    EXPECT_EQ(2, s.status);
    EXPECT_TRUE(s.ToHex() == "6162");
    EXPECT_EQ(0, s.status);
}

TEST(ByteStringFormat, ZeroCharactersClearAndNullFormatChangesNothing) {
    ByteString s("before");
    EXPECT_EQ(0, s.Format("%s", ""));
    EXPECT_TRUE(s.IsEmpty());
    s = "kept";
    EXPECT_EQ(0, s.Format(nullptr));
    EXPECT_TRUE(s == "kept");
}

// File access that fails at a chosen step, for the results a real file rarely gives.
class FailingFiles : public zorvane::platform::FileAccess {
public:
    enum Step { kSize, kRead, kShortRead };
    explicit FailingFiles(Step step) : m_step(step) {}
    int Open(const std::string& path) override { return zorvane::platform::DefaultFileAccess().Open(path); }
    bool Size(int descriptor, std::uint64_t& size) override {
        return m_step != kSize && zorvane::platform::DefaultFileAccess().Size(descriptor, size);
    }
    long Read(int descriptor, void* buffer, std::size_t count) override {
        if (m_step == kRead) return -1;
        const long got = zorvane::platform::DefaultFileAccess().Read(descriptor, buffer, count);
        return m_step == kShortRead && got > 0 ? got - 1 : got;
    }
    void Close(int descriptor) override {
        ++closed;
        zorvane::platform::DefaultFileAccess().Close(descriptor);
    }
    int closed = 0;

private:
    Step m_step;
};

class LoadFile : public ::testing::Test {
protected:
    TempFolder home;
    ScopedDrives drives{{{'C', home.Path(), zorvane::paths::DriveKind::Fixed}}};
    ByteString s{"old"};
};

TEST_F(LoadFile, ReadsBinaryContentByWindowsPath) {
    home.Write("NPKI/yessign/User/cn=x/signPri.key", std::string("\x30\x00\x82\xff", 4));
    EXPECT_EQ(0, s.LoadFile("C:\\npki\\YESSIGN\\user\\CN=X\\SIGNPRI.KEY"));
    EXPECT_TRUE(s == ByteString("\x30\x00\x82\xff", 4));
    EXPECT_EQ(0, s.data[4]);
}

TEST_F(LoadFile, EmptyFileClearsAndKeepsStatus) {
    home.Write("empty.der", "");
    s.status = 2;
    EXPECT_EQ(0, s.LoadFile((home / "empty.der").c_str()));
    EXPECT_TRUE(s.IsEmpty());
    EXPECT_EQ(2, s.status) << "LoadFile reports through its result only";
}

TEST_F(LoadFile, EmptyPathMissingFileAndFolderLeaveTheContent) {
    home.MakeFolder("folder");
    EXPECT_EQ(1, s.LoadFile(""));
    EXPECT_EQ(1, s.LoadFile(nullptr));
    EXPECT_EQ(2, s.LoadFile("C:\\missing.der"));
    EXPECT_EQ(2, s.LoadFile("C:\\folder"));
    EXPECT_EQ(2, s.LoadFile("Q:\\unmapped.der"));
    EXPECT_TRUE(s == "old");
}

// Root reads files without permission, so as root the load runs in a child process
// that has given up its privileges.
TEST_F(LoadFile, UnreadableFileCannotBeOpened) {
    const std::string path = home.Write("locked.key", "secret");
    ASSERT_EQ(0, chmod(path.c_str(), 0));
    if (geteuid() == 0) {
        ASSERT_EQ(0, chmod(home.Path().c_str(), 0755));
        EXPECT_EXIT(
            {
                if (setgid(65534) != 0 || setuid(65534) != 0) _exit(100);
                ByteString loaded("old");
                const int result = loaded.LoadFile(path.c_str());
                _exit(loaded == "old" ? result : 101);
            },
            ::testing::ExitedWithCode(2), "");
        return;
    }
    const int probe = open(path.c_str(), O_RDONLY);
    if (probe >= 0) {
        close(probe);
        GTEST_SKIP() << "this process reads files without permission (CAP_DAC_OVERRIDE)";
    }
    EXPECT_EQ(2, s.LoadFile(path.c_str()));
    EXPECT_TRUE(s == "old");
}

TEST_F(LoadFile, FailedBufferGivesFourAndKeepsContent) {
    const std::string path = home.Write("cert.der", "content");
    int result;
    {
        FailingAllocation failing;
        result = s.LoadFile(path.c_str());
    }
    EXPECT_EQ(4, result);
    EXPECT_TRUE(s == "old");
}

TEST_F(LoadFile, SizeReadAndShortReadFailuresGiveThreeFiveSixAndClose) {
    const std::string path = home.Write("cert.der", "content");
    const std::pair<FailingFiles::Step, int> cases[] = {
        {FailingFiles::kSize, 3}, {FailingFiles::kRead, 5}, {FailingFiles::kShortRead, 6}};
    for (const auto& [step, expected] : cases) {
        FailingFiles files(step);
        zorvane::platform::ScopedService<zorvane::platform::FileAccess> installed(
            zorvane::platform::ReplaceFileAccess, files);
        EXPECT_EQ(expected, s.LoadFile(path.c_str()));
        EXPECT_EQ(1, files.closed) << "the handle is closed on every path";
        EXPECT_TRUE(s == "old");
    }
}

}  // namespace
