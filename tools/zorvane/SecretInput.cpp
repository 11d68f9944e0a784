#include "tools/zorvane/SecretInput.h"

#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace {

constexpr std::size_t kMaxSecret = 4096;

void Wipe(std::string& text) {
    if (!text.empty()) explicit_bzero(&text[0], text.size());
    text.clear();
}

// Reads up to kMaxSecret + 1 bytes, or up to the first line end when stopAtLine is set
// (a terminal or a pipe shared with more input).
bool ReadFrom(int fd, bool stopAtLine, std::string& text, std::string& error) {
    char byte = 0;
    text.reserve(kMaxSecret + 2);  // no reallocation that would leave a copy behind
    while (text.size() <= kMaxSecret) {
        const ssize_t got = read(fd, &byte, 1);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) {
            error = std::strerror(errno);
            return false;
        }
        if (got == 0 || (stopAtLine && byte == '\n')) break;
        text.push_back(byte);
    }
    byte = 0;
    if (text.size() > kMaxSecret) {
        error = "longer than 4096 bytes";
        return false;
    }
    if (!text.empty() && text.back() == '\n') text.pop_back();
    if (!text.empty() && text.back() == '\r') text.pop_back();
    return true;
}

bool ReadFile(const std::string& path, std::string& text, std::string& error) {
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        error = path + ": " + std::strerror(errno);
        return false;
    }
    const bool read = ReadFrom(fd, false, text, error);
    close(fd);
    if (!read) error = path + ": " + error;
    return read;
}

bool ReadDescriptor(const std::string& number, std::string& text, std::string& error) {
    char* end = nullptr;
    const long fd = std::strtol(number.c_str(), &end, 10);
    if (number.empty() || *end != '\0' || fd < 0 || fd > 65535) {
        error = "'" + number + "' is not a file descriptor number";
        return false;
    }
    return ReadFrom(static_cast<int>(fd), true, text, error);
}

bool Prompt(const char* prompt, std::string& text, std::string& error) {
    const int tty = open("/dev/tty", O_RDWR | O_CLOEXEC);
    if (tty < 0) {
        error = "no terminal to ask on";
        return false;
    }
    termios saved{};
    const bool echoOff = tcgetattr(tty, &saved) == 0;
    if (echoOff) {
        termios quiet = saved;
        quiet.c_lflag &= ~static_cast<tcflag_t>(ECHO);
        tcsetattr(tty, TCSAFLUSH, &quiet);
    }
    (void)!write(tty, prompt, std::strlen(prompt));
    const bool read = ReadFrom(tty, true, text, error);
    (void)!write(tty, "\n", 1);
    if (echoOff) tcsetattr(tty, TCSAFLUSH, &saved);
    close(tty);
    return read;
}

}  // namespace

Secret::~Secret() { Wipe(text_); }

std::string SecretFileOption(const std::string& name) { return "--" + name + "-file"; }
std::string SecretFdOption(const std::string& name) { return "--" + name + "-fd"; }

bool ReadSecret(const CommandLine& line, const std::string& name, const char* prompt, Secret& secret,
                std::string& error) {
    Wipe(secret.text());
    const auto file = line.values.find(SecretFileOption(name));
    const auto fd = line.values.find(SecretFdOption(name));
    bool read = false;
    if (file != line.values.end()) {
        read = ReadFile(file->second, secret.text(), error);
    } else if (fd != line.values.end()) {
        read = ReadDescriptor(fd->second, secret.text(), error);
    } else {
        read = Prompt(prompt, secret.text(), error);
        if (!read) error += "; give " + SecretFileOption(name) + " FILE or " + SecretFdOption(name) + " N";
    }
    if (read && secret.text().empty()) {
        error = "the " + name + " is empty";
        read = false;
    }
    if (!read) Wipe(secret.text());
    return read;
}

bool SecretPrompts(const CommandLine& line, const std::string& name) {
    return !line.values.count(SecretFileOption(name)) && !line.values.count(SecretFdOption(name));
}

bool ReadNewSecret(const CommandLine& line, const std::string& name, const char* prompt, const char* againPrompt,
                   Secret& secret, std::string& error) {
    if (!ReadSecret(line, name, prompt, secret, error)) return false;
    if (!SecretPrompts(line, name)) return true;
    Secret again;
    if (!ReadSecret(line, name, againPrompt, again, error)) return false;
    if (again.text() == secret.text()) return true;
    Wipe(secret.text());
    error = "the two entries differ";
    return false;
}
