#pragma once
// Services that tests start and stop themselves, on 127.0.0.1 only: a process that
// prints "port N" on its first line of standard output once it listens, killed and
// reaped when the object goes.

#include <sys/types.h>

#include <string>
#include <vector>

namespace zorvane::testsupport {

class ServiceProcess {
public:
    // Starts the program with its arguments; Port() is 0 when it did not come up.
    explicit ServiceProcess(const std::vector<std::string>& command);
    ~ServiceProcess();
    ServiceProcess(const ServiceProcess&) = delete;
    ServiceProcess& operator=(const ServiceProcess&) = delete;

    int Port() const { return port_; }
    std::string Url(const std::string& scheme, const std::string& path) const;

private:
    pid_t pid_ = -1;
    int port_ = 0;
};

// The python HTTP fixture serving a folder (tests/support/services/http_fixture.py).
std::vector<std::string> HttpFixture(const std::string& folder);

// The throwaway slapd (tests/support/services/slapd_fixture.sh) with its data in folder,
// the entries of ldif loaded, on port (0: a free one). Certificates that name the
// directory before it runs are made for a port chosen with ClosedPort().
std::vector<std::string> SlapdFixture(const std::string& folder, const std::string& ldif, int port = 0);

// A port nothing listens on (bound and released at once).
int ClosedPort();

}  // namespace zorvane::testsupport
