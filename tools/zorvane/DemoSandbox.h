#pragma once
// What the demo's steps share: the sandbox folder beside the program, the generated
// users they work with, and running zorvane (or another program) as a user would.

#include <filesystem>
#include <string>
#include <vector>

// <program folder>/demo: home/ (drive C:), stick/ (drive E:), drives, the files the
// steps make. Removed when the demo ends.
std::filesystem::path DemoSandbox();
void RemoveDemoSandbox();

// The bytes of a file of the sandbox; empty when it cannot be read.
std::string SandboxText(const std::string& name);

// A user of the generated PKI, as the generator's manifest names it.
struct DemoUser {
    std::string folder;    // the certificate folder, relative to the sandbox
    std::string password;  // the key files' test password
    std::string ca;        // the issuing CA's id (yessign, signkorea, ...)
};

// The first NPKI user whose validity is `validity` ("valid", "expired", "revoked").
bool FindDemoUser(const std::string& validity, DemoUser& user);

// Shows the command as typed, then runs this zorvane program in the sandbox, with its
// standard output into `outputFile` (relative to the sandbox) when one is named.
// Returns the program's exit code.
int RunInSandbox(const std::vector<std::string>& arguments, const std::string& outputFile = "");
// The same for another program, found on PATH; false from `Installed` when it is not.
int RunProgramInSandbox(const std::string& program, const std::vector<std::string>& arguments);
bool Installed(const std::string& program);

// Runs a zorvane command in this process, as main() would.
int RunCommandHere(std::vector<std::string> arguments);

// A path as one shell word for the generator's command line.
std::string ShellQuoted(const std::filesystem::path& path);
