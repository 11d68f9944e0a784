#include <dirent.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "platform/Win32.h"
#include "support/TestSupport.h"

namespace {

constexpr DWORD kBlockSize = 100000;

struct PeerResult {
    int exitCode;
    std::string output;
};

constexpr uid_t kSameUser = static_cast<uid_t>(-1);

// The peer's command line, run as another user when one is given.
std::vector<std::string> PeerCommand(const std::vector<std::string>& arguments, uid_t user) {
    std::vector<std::string> command;
    if (user != kSameUser) {
        const std::string id = std::to_string(user);
        command = {"/usr/bin/setpriv", "--reuid=" + id, "--regid=" + id, "--clear-groups"};
    }
    command.push_back(ZORVANE_SHARED_MEMORY_PEER);
    command.insert(command.end(), arguments.begin(), arguments.end());
    return command;
}

// Starts the peer program with arguments; its standard output comes through `output`.
pid_t StartPeer(const std::vector<std::string>& arguments, int& output, uid_t user = kSameUser) {
    int pipeEnds[2];
    if (pipe(pipeEnds) != 0) return -1;
    const std::vector<std::string> command = PeerCommand(arguments, user);
    const pid_t child = fork();
    if (child == 0) {
        dup2(pipeEnds[1], STDOUT_FILENO);
        close(pipeEnds[0]);
        close(pipeEnds[1]);
        std::vector<char*> argv;
        for (const std::string& argument : command) argv.push_back(const_cast<char*>(argument.c_str()));
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

PeerResult RunPeer(const std::vector<std::string>& arguments, uid_t user = kSameUser) {
    int output = -1;
    const pid_t child = StartPeer(arguments, output, user);
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

// Whether anything of the block with this (unescaped part of a) name is left in the
// caller's block folder.
bool LeavesTraces(const std::string& token) {
    DIR* folder = opendir(("/dev/shm/zorvane-" + std::to_string(geteuid())).c_str());
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

// Slashes, backslashes and long names each make a block of their own; no name, one
// only this process sees.
TEST(SharedMemory, AnyNameIsItsOwnBlock) {
    const std::string names[] = {UniqueName("a/b"), UniqueName("a\\b"), UniqueName(std::string(400, 'n').c_str())};
    std::vector<HANDLE> blocks;
    for (const std::string& name : names) {
        blocks.push_back(CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, 1024, name.c_str()));
        ASSERT_NE(nullptr, blocks.back());
        std::strcpy(MapWhole(blocks.back()), name.c_str());
    }
    for (const std::string& name : names) EXPECT_EQ(name, RunPeer({"read", name}).output);
    for (HANDLE block : blocks) CloseHandle(block);
    HANDLE unnamed = CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, 10, nullptr);
    ASSERT_NE(nullptr, unnamed);
    char* view = MapWhole(unnamed);
    ASSERT_NE(nullptr, view);
    std::strcpy(view, "anonymous");
    EXPECT_STREQ("anonymous", view);
    UnmapViewOfFile(view);
    CloseHandle(unnamed);
}

// --- Another local user against the blocks of a victim ------------------------------------

// What a second user prepares in /dev/shm before the victim makes its block. In the
// commands, {A} is the victim's uid, {N} the block's name as stored, {T} a path the
// attacker owns.
struct LocalAttack {
    const char* what;
    const char* prepare;
    bool victimHolds;  // false: the victim must refuse to make the block at all
};

const LocalAttack kLocalAttacks[] = {
    {"files at the names a block once used, open to all",
     "touch /dev/shm/zorvane-{A}-map-{N} /dev/shm/zorvane-{A}-map-{N}.holders && "
     "chmod 666 /dev/shm/zorvane-{A}-map-{N}*",
     true},
    {"a link where the holders file once was", "ln -s {T} /dev/shm/zorvane-{A}-map-{N}.holders", true},
    {"the victim's folder, made open to all", "mkdir -m 777 /dev/shm/zorvane-{A}", false},
    {"the victim's folder as a link to the attacker's",
     "mkdir -m 700 {T} && ln -s {T} /dev/shm/zorvane-{A}", false},
    {"a file at the victim's folder name", "touch /dev/shm/zorvane-{A}", false},
};

void PrintTo(const LocalAttack& attack, std::ostream* out) { *out << attack.what; }

std::string Filled(std::string command, const std::string& victim, const std::string& stored,
                   const std::string& target) {
    for (const auto& [mark, value] : {std::pair<std::string, std::string>{"{A}", victim}, {"{N}", stored}, {"{T}", target}}) {
        for (std::size_t at; (at = command.find(mark)) != std::string::npos;) command.replace(at, mark.size(), value);
    }
    return command;
}

zorvane::testsupport::CommandResult RunAs(uid_t user, const std::string& command) {
    const std::string id = std::to_string(user);
    return zorvane::testsupport::RunCommand("setpriv --reuid=" + id + " --regid=" + id + " --clear-groups sh -c " +
                                            zorvane::testsupport::Quoted(command) + " 2>/dev/null");
}

class SharedMemoryAttack : public ::testing::TestWithParam<LocalAttack> {
protected:
    void SetUp() override {
        if (geteuid() != 0) GTEST_SKIP() << "needs root to act as two other users";
    }
    void TearDown() override {
        zorvane::testsupport::RunCommand("rm -rf /dev/shm/zorvane-" + std::to_string(m_victim) + "* " + m_target);
    }
    // Users of their own for this run, so that parallel runs do not meet.
    const uid_t m_victim = 300000 + static_cast<uid_t>(getpid() % 100000) * 2;
    const uid_t m_attacker = m_victim + 1;
    const std::string m_target = "/tmp/zorvane-attack-" + std::to_string(getpid());
};

TEST_P(SharedMemoryAttack, TheVictimsTextStaysItsOwn) {
    const LocalAttack& attack = GetParam();
    const std::string name = "Local\\secret-" + std::to_string(getpid());
    const std::string stored = "Local%5Csecret-" + std::to_string(getpid());
    const std::string victim = std::to_string(m_victim);
    ASSERT_EQ(0, RunAs(m_attacker, Filled(attack.prepare, victim, stored, m_target)).status) << attack.what;

    int output = -1;
    const pid_t holder = StartPeer({"hold", name, "pw=victim-secret"}, output, m_victim);
    char ready[6] = {0};
    const bool held = read(output, ready, sizeof ready) == 6;
    EXPECT_EQ(attack.victimHolds, held) << attack.what;
    if (held) {
        EXPECT_EQ("pw=victim-secret", RunPeer({"read", name}, m_victim).output) << "nothing lost";
    }

    const std::string stolen =
        RunAs(m_attacker, Filled("cat /dev/shm/zorvane-{A}-map-{N} /dev/shm/zorvane-{A}/map-{N} {T} {T}/*", victim,
                                 stored, m_target))
            .output;
    EXPECT_EQ(std::string::npos, stolen.find("victim-secret")) << attack.what;
    EXPECT_EQ("", zorvane::testsupport::RunCommand("find " + m_target + " -user " + victim + " 2>/dev/null").output)
        << "the victim made a file where the attacker chose: " << attack.what;
    kill(holder, SIGKILL);
    waitpid(holder, nullptr, 0);
    close(output);
}

INSTANTIATE_TEST_SUITE_P(LocalAttacks, SharedMemoryAttack, ::testing::ValuesIn(kLocalAttacks));

}  // namespace
