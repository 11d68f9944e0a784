#pragma once
// A service on 127.0.0.1 that prints "port N" on its first line once it listens, killed
// and reaped when the object goes.

#include <fcntl.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <string>
#include <vector>

namespace zorvane::testsupport {

class ServiceProcess {
public:
    // Starts the program with its arguments; Port() is 0 when it did not come up.
    explicit ServiceProcess(const std::vector<std::string>& command) {
        int out[2];
        if (command.empty() || pipe2(out, O_CLOEXEC) != 0) return;
        pid_ = fork();
        if (pid_ == 0) {
            dup2(out[1], 1);
            std::vector<char*> argv;
            std::vector<std::string> copies = command;
            for (std::string& argument : copies) argv.push_back(argument.data());
            argv.push_back(nullptr);
            execvp(argv[0], argv.data());
            _exit(127);
        }
        close(out[1]);
        FILE* output = fdopen(out[0], "r");
        char line[128] = {0};
        if (output != nullptr && std::fgets(line, sizeof line, output) != nullptr) std::sscanf(line, "port %d", &port_);
        if (output != nullptr) std::fclose(output);
    }
    ~ServiceProcess() {
        if (pid_ <= 0) return;
        kill(pid_, SIGTERM);
        waitpid(pid_, nullptr, 0);
    }
    ServiceProcess(const ServiceProcess&) = delete;
    ServiceProcess& operator=(const ServiceProcess&) = delete;

    int Port() const { return port_; }
    std::string Url(const std::string& scheme, const std::string& path) const {
        return scheme + "://127.0.0.1:" + std::to_string(port_) + path;
    }

private:
    pid_t pid_ = -1;
    int port_ = 0;
};

// The python HTTP fixture serving a folder (tests/support/services/http_fixture.py).
inline std::vector<std::string> HttpFixture(const std::string& folder) {
    return {"python3", std::string(ZORVANE_TEST_SOURCE_DIR) + "/tests/support/services/http_fixture.py", folder};
}

// A port nothing listens on (bound and released at once).
inline int ClosedPort() {
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    int port = 0;
    if (bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
        getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) == 0) {
        port = ntohs(address.sin_port);
    }
    close(fd);
    return port;
}

}  // namespace zorvane::testsupport
