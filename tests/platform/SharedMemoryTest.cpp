#include <dirent.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "platform/Win32.h"

namespace {

constexpr DWORD kBlockSize = 100000;

struct PeerResult {
    int exitCode;
    std::string output;
};

// Starts the peer program with arguments; its standard output comes through `output`.
pid_t StartPeer(const std::vector<std::string>& arguments, int& output) {
    int pipeEnds[2];
    if (pipe(pipeEnds) != 0) return -1;
    const pid_t child = fork();
    if (child == 0) {
        dup2(pipeEnds[1], STDOUT_FILENO);
        close(pipeEnds[0]);
        close(pipeEnds[1]);
        std::vector<char*> argv{const_cast<char*>(ZORVANE_SHARED_MEMORY_PEER)};
        for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
        argv.push_back(nullptr);
        execv(argv[0], argv.data());
        _exit(127);
    }
    close(pipeEnds[1]);
    output = pipeEnds[0];
    return child;
}

std::string ReadAll(int descriptor) {
    std::string text;
    char chunk[256];
    ssize_t got;
    while ((got = read(descriptor, chunk, sizeof chunk)) > 0) text.append(chunk, static_cast<std::size_t>(got));
    return text;
}

PeerResult RunPeer(const std::vector<std::string>& arguments) {
    int output = -1;
    const pid_t child = StartPeer(arguments, output);
    PeerResult result{-1, ReadAll(output)};
    close(output);
    int status = 0;
    waitpid(child, &status, 0);
    result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
}

// Names unique to this run of this test.
std::string UniqueName(const char* test) {
    return std::string("Local\\ZvTest-") + test + "-" + std::to_string(getpid());
}

// Whether anything of the block with this (unescaped part of a) name is left in /dev/shm.
bool LeavesTraces(const std::string& token) {
    DIR* folder = opendir("/dev/shm");
    if (!folder) return false;
    bool found = false;
    while (const dirent* entry = readdir(folder)) found = found || std::strstr(entry->d_name, token.c_str());
    closedir(folder);
    return found;
}

char* MapWhole(HANDLE block) { return static_cast<char*>(MapViewOfFile(block, FILE_MAP_ALL_ACCESS, 0, 0, 0)); }

TEST(SharedMemory, ASecondProcessSeesAndChangesTheBlock) {
    const std::string name = UniqueName("seen");
    HANDLE block = CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, kBlockSize, name.c_str());
    ASSERT_NE(nullptr, block);
    char* view = MapWhole(block);
    ASSERT_NE(nullptr, view);
    std::strcpy(view, "site=abc?lang=ko");
    const PeerResult read = RunPeer({"read", name});
    EXPECT_EQ(0, read.exitCode);
    EXPECT_EQ("site=abc?lang=ko", read.output);
    EXPECT_EQ(0, RunPeer({"write", name, "from the peer"}).exitCode);
    EXPECT_STREQ("from the peer", view);
    EXPECT_TRUE(UnmapViewOfFile(view));
    EXPECT_TRUE(CloseHandle(block));
}

TEST(SharedMemory, TheBlockIsGoneWhenTheLastHandleCloses) {
    const std::string name = UniqueName("closed");
    HANDLE first = CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, kBlockSize, name.c_str());
    ASSERT_NE(nullptr, first);
    HANDLE second = OpenFileMappingA(FILE_MAP_ALL_ACCESS, FALSE, name.c_str());
    ASSERT_NE(nullptr, second);
    std::strcpy(MapWhole(second), "kept");
    EXPECT_TRUE(CloseHandle(first));
    EXPECT_EQ("kept", RunPeer({"read", name}).output) << "one handle is still open";
    EXPECT_TRUE(CloseHandle(second));
    EXPECT_FALSE(CloseHandle(second)) << "a handle closes once";
    EXPECT_EQ(3, RunPeer({"read", name}).exitCode);
    EXPECT_EQ(nullptr, OpenFileMappingA(FILE_MAP_ALL_ACCESS, FALSE, name.c_str()));
    EXPECT_FALSE(LeavesTraces("ZvTest-closed-" + std::to_string(getpid())));
}

TEST(SharedMemory, TheBlockIsGoneWhenItsHolderIsKilled) {
    const std::string name = UniqueName("killed");
    int output = -1;
    const pid_t holder = StartPeer({"hold", name, "held text"}, output);
    ASSERT_GT(holder, 0);
    char ready[6] = {0};
    ASSERT_EQ(6, read(output, ready, 6));
    HANDLE block = OpenFileMappingA(FILE_MAP_ALL_ACCESS, FALSE, name.c_str());
    ASSERT_NE(nullptr, block);
    EXPECT_STREQ("held text", MapWhole(block));
    EXPECT_TRUE(CloseHandle(block));
    ASSERT_EQ(0, kill(holder, SIGKILL));
    int status = 0;
    waitpid(holder, &status, 0);
    close(output);
    EXPECT_EQ(nullptr, OpenFileMappingA(FILE_MAP_ALL_ACCESS, FALSE, name.c_str()));
    EXPECT_FALSE(LeavesTraces("ZvTest-killed-" + std::to_string(getpid())));
    // A new block of the same name starts empty, not with the dead holder's text.
    HANDLE fresh = CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, kBlockSize, name.c_str());
    ASSERT_NE(nullptr, fresh);
    EXPECT_STREQ("", MapWhole(fresh));
    EXPECT_TRUE(CloseHandle(fresh));
}

TEST(SharedMemory, CreatingAnExistingNameOpensTheSameBlock) {
    const std::string name = UniqueName("twice");
    HANDLE first = CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, kBlockSize, name.c_str());
    HANDLE second = CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, 4096, name.c_str());
    ASSERT_NE(nullptr, first);
    ASSERT_NE(nullptr, second);
    char* a = MapWhole(first);
    char* b = MapWhole(second);
    ASSERT_NE(nullptr, b);
    std::strcpy(a + kBlockSize - 5, "tail");
    EXPECT_STREQ("tail", b + kBlockSize - 5) << "the second call keeps the block's size";
    UnmapViewOfFile(a);
    UnmapViewOfFile(b);
    CloseHandle(first);
    CloseHandle(second);
}

TEST(SharedMemory, ViewsOutliveTheirHandleAndUnmapOnce) {
    const std::string name = UniqueName("view");
    HANDLE block = CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, kBlockSize, name.c_str());
    char* view = MapWhole(block);
    ASSERT_NE(nullptr, view);
    EXPECT_TRUE(CloseHandle(block));
    std::strcpy(view, "still mapped");
    EXPECT_STREQ("still mapped", view);
    EXPECT_EQ(nullptr, OpenFileMappingA(FILE_MAP_ALL_ACCESS, FALSE, name.c_str())) << "the name went with the handle";
    EXPECT_TRUE(UnmapViewOfFile(view));
    EXPECT_FALSE(UnmapViewOfFile(view));
}

TEST(SharedMemory, RefusesWhatItDoesNotOffer) {
    const std::string name = UniqueName("refuse");
    EXPECT_EQ(nullptr, CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, 0, name.c_str()));
    EXPECT_EQ(nullptr, CreateFileMappingA(reinterpret_cast<HANDLE>(0x1234), nullptr, PAGE_READWRITE, 0, 10,
                                          name.c_str()));
    EXPECT_EQ(nullptr, OpenFileMappingA(FILE_MAP_ALL_ACCESS, FALSE, nullptr));
    HANDLE block = CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, kBlockSize, name.c_str());
    HANDLE readOnly = OpenFileMappingA(FILE_MAP_READ, FALSE, name.c_str());
    ASSERT_NE(nullptr, readOnly);
    EXPECT_EQ(nullptr, MapViewOfFile(readOnly, FILE_MAP_WRITE, 0, 0, 0));
    void* view = MapViewOfFile(readOnly, FILE_MAP_READ, 0, 0, 0);
    EXPECT_NE(nullptr, view);
    EXPECT_EQ(nullptr, MapViewOfFile(block, FILE_MAP_ALL_ACCESS, 0, 0, kBlockSize + 1));
    EXPECT_EQ(nullptr, MapViewOfFile(block, FILE_MAP_ALL_ACCESS, 0, 3, 0)) << "offsets are page-aligned";
    UnmapViewOfFile(view);
    CloseHandle(readOnly);
    CloseHandle(block);
}

TEST(SharedMemory, AnyNameIsItsOwnBlock) {
    const std::string slash = UniqueName("a/b"), backslash = UniqueName("a\\b");
    const std::string longName = UniqueName(std::string(400, 'n').c_str());
    HANDLE one = CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, 64, slash.c_str());
    HANDLE two = CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, 64, backslash.c_str());
    HANDLE three = CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, 64, longName.c_str());
    ASSERT_TRUE(one && two && three);
    std::strcpy(MapWhole(one), "one");
    std::strcpy(MapWhole(two), "two");
    std::strcpy(MapWhole(three), "three");
    EXPECT_EQ("one", RunPeer({"read", slash}).output);
    EXPECT_EQ("two", RunPeer({"read", backslash}).output);
    EXPECT_EQ("three", RunPeer({"read", longName}).output);
    CloseHandle(one);
    CloseHandle(two);
    CloseHandle(three);
}

TEST(SharedMemory, UnnamedBlocksWork) {
    HANDLE block = CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, 10, nullptr);
    ASSERT_NE(nullptr, block);
    char* view = MapWhole(block);
    ASSERT_NE(nullptr, view);
    std::strcpy(view, "anonymous");
    EXPECT_STREQ("anonymous", view);
    UnmapViewOfFile(view);
    CloseHandle(block);
}

}  // namespace
