#pragma once
#include <fcntl.h>
#include <signal.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <string>
#include <vector>

// Runs the build's zorvane program as a separate process, so that shared blocks are seen
// from other processes; every descriptor is close-on-exec, so a child holds only its three.

inline std::string ZorvaneProgram() { return std::string(ZORVANE_TEST_WORK_DIR) + "/zorvane"; }

struct Finished {
    int exitCode = -1;
    std::string output;  // standard output and standard error together
};

inline pid_t SpawnZorvane(const std::vector<std::string>& args, int inputFd, int outputFd) {
    const pid_t pid = fork();
    if (pid != 0) return pid;
    dup2(inputFd, 0);
    dup2(outputFd, 1);
    dup2(outputFd, 2);
    std::vector<char*> argv;
    std::string program = ZorvaneProgram();
    argv.push_back(program.data());
    std::vector<std::string> copies = args;
    for (std::string& arg : copies) argv.push_back(arg.data());
    argv.push_back(nullptr);
    execv(program.c_str(), argv.data());
    _exit(127);
}

inline Finished RunZorvane(const std::vector<std::string>& args, const std::string& input = "") {
    int in[2], out[2];
    Finished finished;
    if (pipe2(in, O_CLOEXEC) != 0 || pipe2(out, O_CLOEXEC) != 0) return finished;
    const pid_t pid = SpawnZorvane(args, in[0], out[1]);
    close(in[0]);
    close(out[1]);
    std::size_t written = 0;
    while (written < input.size()) {
        const ssize_t now = write(in[1], input.data() + written, input.size() - written);
        if (now <= 0) break;
        written += static_cast<std::size_t>(now);
    }
    close(in[1]);
    char buffer[4096];
    ssize_t got = 0;
    while ((got = read(out[0], buffer, sizeof buffer)) > 0)
        finished.output.append(buffer, static_cast<std::size_t>(got));
    close(out[0]);
    int status = 0;
    if (pid > 0 && waitpid(pid, &status, 0) == pid && WIFEXITED(status)) finished.exitCode = WEXITSTATUS(status);
    return finished;
}

// A `zorvane mmf hold NAME` process: the block exists once Start returns true.
class BlockHolder {
public:
    bool Start(const std::string& name) {
        int out[2];
        if (pipe2(out, O_CLOEXEC) != 0) return false;
        const int devNull = open("/dev/null", O_RDONLY | O_CLOEXEC);
        pid_ = SpawnZorvane({"mmf", "hold", name}, devNull, out[1]);
        close(devNull);
        close(out[1]);
        output_ = fdopen(out[0], "r");
        char line[256] = {0};
        return pid_ > 0 && output_ && std::fgets(line, sizeof line, output_) &&
               std::string(line) == "holding " + name + "\n";
    }

    // Ends the holder with a signal and returns its exit status as waitpid gives it.
    int Stop(int signal) {
        if (pid_ <= 0) return -1;
        kill(pid_, signal);
        int status = 0;
        waitpid(pid_, &status, 0);
        pid_ = -1;
        return status;
    }

    ~BlockHolder() {
        Stop(SIGTERM);
        if (output_) std::fclose(output_);
    }

private:
    pid_t pid_ = -1;
    FILE* output_ = nullptr;
};
