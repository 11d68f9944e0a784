#include <zorvane/ByteString.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <string>

#include "core/FileLoading.h"
#include "core/SecureMemory.h"
#include "platform/Services.h"
#include "support/TestSupport.h"
#include "tests/platform/ScopedDrives.h"

namespace {

using zorvane::platform::DefaultFileAccess;

std::string Text(const ByteString& s) { return std::string(s.GetData(), s.GetLength()); }

// Makes every allocation fail while it is in scope.
class FailingAllocation {
public:
    FailingAllocation() { previous_ = zorvane::SetAllocatorForTesting([](std::size_t) -> void* { return nullptr; }); }
    ~FailingAllocation() { zorvane::SetAllocatorForTesting(previous_); }

private:
    zorvane::AllocateFunction previous_;
};

TEST(ByteStringConstruction, EmptyFormsHaveNoBlockAndZeroBytesCount) {
    for (const ByteString& s : {ByteString(), ByteString(static_cast<const char*>(nullptr)), ByteString(""),
                                ByteString("abc", 0), ByteString("abc", -4), ByteString(nullptr, 3)}) {
        EXPECT_EQ(nullptr, s.data);
        EXPECT_EQ(0, s.GetLength());
        EXPECT_STREQ("", s.GetData());
        EXPECT_EQ(0, s.status);
        EXPECT_TRUE(s == static_cast<const char*>(nullptr));
    }
    const ByteString zeros("a\0b", 3);
    EXPECT_EQ(0, zeros.data[3]);
    EXPECT_TRUE(zeros == ByteString("a\0b", 3));
    EXPECT_TRUE(zeros != "a");
    EXPECT_TRUE(zeros != ByteString("a\0c", 3));
    EXPECT_TRUE(ByteString("x") != static_cast<const char*>(nullptr));
}

// Appending to itself, joining, copying: the result, with the operands left as they were.
TEST(ByteStringAppend, SelfAppendJoinAndCopyKeepZeroBytes) {
    ByteString s("x\0y", 3);
    s += s;
    s += s;
    EXPECT_EQ(std::string("x\0yx\0yx\0yx\0y", 12), Text(s));
    EXPECT_EQ(0, s.data[12]);
    const ByteString left("ab");
    EXPECT_EQ("abcd", Text(left + ByteString("cd")));
    EXPECT_EQ("abef", Text(left + "ef"));
    EXPECT_EQ("ab", Text(left + static_cast<const char*>(nullptr)));
    EXPECT_EQ("ab", Text(left));
    ByteString original("text");
    original.status = 2;
    ByteString copy(original);
    EXPECT_EQ(0, copy.status);
    copy.data[0] = 'n';
    EXPECT_EQ("text", Text(original));
}

// Every operation that needs memory, when none can be had: its status and what is left.
struct NoMemoryRow {
    const char* what;
    std::function<int(ByteString&)> operation;  // returns its result where it has one
    int result;
    const char* left;
};

const NoMemoryRow kNoMemoryRows[] = {
    {"append keeps the content", [](ByteString& s) { return (s += "more").status; }, 2, "keep"},
    {"assigning a text empties", [](ByteString& s) { return (s = "new").status; }, 2, ""},
    {"setting bytes empties", [](ByteString& s) { return s.SetData("x", 1); }, 2, ""},
    {"Format keeps the content", [](ByteString& s) { return s.Format("%d", 7); }, 2, "keep"},
    {"ToHex reports on the source", [](ByteString& s) { return s.ToHex().IsEmpty() ? s.status : -1; }, 2, "keep"},
};

TEST(ByteStringAssign, FailedAllocationReportsTwo) {
    for (const NoMemoryRow& row : kNoMemoryRows) {
        SCOPED_TRACE(row.what);
        ByteString s("keep");
        int result;
        {
            FailingAllocation failing;
            result = row.operation(s);
        }
        EXPECT_EQ(row.result, result);
        EXPECT_EQ(row.left, Text(s));
    }
    const ByteString source("value");
    ByteString target("old");
    {
        FailingAllocation failing;
        target = source;
        EXPECT_EQ(2, ByteString("abc").status);
    }
    EXPECT_TRUE(target.IsEmpty());
    EXPECT_EQ(2, target.status);
    target = "again";
    target = static_cast<const char*>(nullptr);
    EXPECT_TRUE(target.IsEmpty());
}

// A move hands the block over as it is, without allocating, and leaves the source empty.
TEST(ByteStringMove, ConstructionAndAssignmentTakeTheBlock) {
    const std::string content("a\0b", 3);
    ByteString first(content.data(), 3);
    ByteString second(content.data(), 3);
    ByteString target("old");
    target.status = 2;
    const unsigned char* blocks[] = {first.data, second.data};
    FailingAllocation failing;
    ByteString constructed(std::move(first));
    target = std::move(second);
    const ByteString* moved[] = {&constructed, &target};
    const ByteString* sources[] = {&first, &second};
    for (int i = 0; i < 2; ++i) {
        EXPECT_EQ(blocks[i], moved[i]->data);
        EXPECT_EQ(content, Text(*moved[i]));
        EXPECT_EQ(0, moved[i]->status);
        EXPECT_EQ(nullptr, sources[i]->data);
        EXPECT_EQ(0, sources[i]->length);
    }
    ByteString& alias = target;
    target = std::move(alias);
    EXPECT_EQ(content, Text(target));
}

TEST(ByteStringFind, FirstMatchOrMinusOne) {
    const ByteString s("x\0y\0z", 5);
    const struct Row {
        const char* pattern;
        int count;
        int found;
    } kRows[] = {
        {"x", 1, 0}, {"\0z", 2, 3}, {"z", 1, 4}, {"x\0y\0z", 5, 0}, {"x\0y\0zz", 6, -1}, {"y", 0, -1}, {nullptr, 1, -1},
    };
    for (const Row& row : kRows) {
        SCOPED_TRACE(row.found);
        EXPECT_EQ(row.found, s.Find(row.pattern, row.count));
    }
    EXPECT_EQ(2, ByteString("abc").Find("c"));
    EXPECT_EQ(-1, ByteString("abc").Find(""));
    EXPECT_EQ(-1, ByteString("abc").Find(static_cast<const char*>(nullptr)));
}

TEST(ByteStringFormat, HexAndPrintfTexts) {
    EXPECT_EQ("0aff", Text(ByteString("\x0a\xff", 2).ToHex()));
    EXPECT_TRUE(ByteString().ToHex().IsEmpty());
    const std::string longText(70000, 'k');
    ByteString s("before");
    EXPECT_EQ(0, s.Format("%s|%d|%5.2f", longText.c_str(), -42, 3.14159));
    EXPECT_EQ(longText + "|-42| 3.14", Text(s));
    EXPECT_EQ(0, s.Format("%s", ""));
    EXPECT_TRUE(s.IsEmpty());
    s = "kept";
    EXPECT_EQ(0, s.Format(nullptr));
    EXPECT_EQ("kept", Text(s));
}

// File access that reports a chosen size, or fails a read, for what a real file rarely gives.
class ReportingFiles : public zorvane::platform::FileAccess {
public:
    int Open(const std::string& path) override { return DefaultFileAccess().Open(path); }
    bool Size(int descriptor, std::uint64_t& size) override {
        if (!DefaultFileAccess().Size(descriptor, size)) return false;
        size = sizeOverride ? sizeOverride : size;
        return !failSize;
    }
    long Read(int descriptor, void* buffer, std::size_t count) override {
        const long got = DefaultFileAccess().Read(descriptor, buffer, count);
        return failRead ? -1 : got > 0 ? got - shortBy : got;
    }
    void Close(int descriptor) override {
        ++closed;
        DefaultFileAccess().Close(descriptor);
    }
    std::uint64_t sizeOverride = 0;
    bool failSize = false;
    bool failRead = false;
    long shortBy = 0;
    int closed = 0;
};

// Results: 1 no path, 2 cannot open, 3 no size (or beyond what a byte string holds),
// 4 no buffer, 5 read failed, 6 short read, 7 over the caller's limit. Failures keep
// the old content.
TEST(LoadFile, ResultsByStepAndSize) {
    zorvane::testsupport::TempFolder home;
    zorvane::testing::ScopedDrives drives{{{'C', home.Path(), zorvane::paths::DriveKind::Fixed}}};
    home.Write("NPKI/yessign/User/cn=x/signPri.key", std::string("\x30\x00\x82\xff", 4));
    home.Write("empty.der", "");
    home.MakeFolder("folder");
    const char* key = "C:\\npki\\YESSIGN\\user\\CN=X\\SIGNPRI.KEY";
    const struct Row {
        const char* path;
        std::uint64_t reportedSize;
        bool failSize, failRead;
        long shortBy;
        std::uint32_t limit;
        int result;
        std::string content;
    } kRows[] = {
        {key, 0, false, false, 0, 0x7ffffffe, 0, std::string("\x30\x00\x82\xff", 4)},
        {key, 0, false, false, 0, 4, 0, std::string("\x30\x00\x82\xff", 4)},
        {key, 0, false, false, 0, 3, 7, "old"},
        {"C:\\empty.der", 0, false, false, 0, 0x7ffffffe, 0, ""},
        {"", 0, false, false, 0, 0x7ffffffe, 1, "old"},
        {nullptr, 0, false, false, 0, 0x7ffffffe, 1, "old"},
        {"C:\\missing.der", 0, false, false, 0, 0x7ffffffe, 2, "old"},
        {"C:\\folder", 0, false, false, 0, 0x7ffffffe, 2, "old"},
        {"Q:\\unmapped.der", 0, false, false, 0, 0x7ffffffe, 2, "old"},
        {key, 0x7fffffff, false, false, 0, 0x7ffffffe, 3, "old"},
        {key, 0x100000004, false, false, 0, 0x7ffffffe, 3, "old"},
        {key, 0, true, false, 0, 0x7ffffffe, 3, "old"},
        {key, 0, false, true, 0, 0x7ffffffe, 5, "old"},
        {key, 0, false, false, 1, 0x7ffffffe, 6, "old"},
    };
    for (const Row& row : kRows) {
        SCOPED_TRACE(std::string(row.path ? row.path : "null") + " result " + std::to_string(row.result));
        ReportingFiles files;
        files.sizeOverride = row.reportedSize;
        files.failSize = row.failSize;
        files.failRead = row.failRead;
        files.shortBy = row.shortBy;
        zorvane::platform::ScopedService<zorvane::platform::FileAccess> installed(
            zorvane::platform::ReplaceFileAccess, files);
        ByteString s("old");
        s.status = 2;
        EXPECT_EQ(row.result, zorvane::LoadFileUpTo(s, row.path, row.limit));
        EXPECT_EQ(row.content, Text(s));
        EXPECT_EQ(2, s.status) << "loading reports through its result only";
        EXPECT_EQ(row.result == 1 || row.result == 2 ? 0 : 1, files.closed) << "every opened file is closed";
        if (row.content.size() == 4) {
            EXPECT_EQ(0, s.data[4]);
        }
    }
    // The largest size a byte string holds gets as far as asking for its buffer.
    ReportingFiles largest;
    largest.sizeOverride = 0x7ffffffe;
    ByteString s("old");
    {
        zorvane::platform::ScopedService<zorvane::platform::FileAccess> installed(
            zorvane::platform::ReplaceFileAccess, largest);
        FailingAllocation failing;
        EXPECT_EQ(4, s.LoadFile(key));
        EXPECT_EQ(4, zorvane::LoadFileUpTo(s, key, 0xffffffff));
    }
    EXPECT_EQ("old", Text(s));
    EXPECT_EQ(0, s.LoadFile(key)) << "LoadFile allows what a byte string holds";
    EXPECT_EQ(std::string("\x30\x00\x82\xff", 4), Text(s));
}

}  // namespace
