#pragma once
#include <string>

#include "tools/zorvane/CommandLine.h"

// A secret (password, PIN, channel secret) as the commands take it: never from the
// command line, where every local user can read it, but from a file
// ("--NAME-file PATH"), an open file descriptor ("--NAME-fd N") or a prompt on the
// terminal with echo off. The bytes are wiped when the object goes.
class Secret {
public:
    Secret() = default;
    ~Secret();
    Secret(const Secret&) = delete;
    Secret& operator=(const Secret&) = delete;

    const std::string& text() const { return text_; }
    std::string& text() { return text_; }

private:
    std::string text_;
};

// The option names a secret called NAME adds to a command: "--NAME-file" and "--NAME-fd".
std::string SecretFileOption(const std::string& name);
std::string SecretFdOption(const std::string& name);

// Reads the secret NAME from the options in the line, or asks for it with the prompt
// when neither option is given. One trailing line end is dropped. False with a message
// in error when the source cannot be read, is empty, or exceeds 4096 bytes.
bool ReadSecret(const CommandLine& line, const std::string& name, const char* prompt, Secret& secret,
                std::string& error);

// A secret that is being set (a new password): as ReadSecret, but a prompt asks twice,
// since a typing mistake would lock the key away; false when the two differ.
bool ReadNewSecret(const CommandLine& line, const std::string& name, const char* prompt, const char* againPrompt,
                   Secret& secret, std::string& error);

// True when neither "--NAME-file" nor "--NAME-fd" is given.
bool SecretPrompts(const CommandLine& line, const std::string& name);
