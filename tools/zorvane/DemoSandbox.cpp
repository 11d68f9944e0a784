#include "tools/zorvane/DemoSandbox.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>

#include "tools/zorvane/Command.h"
#include "tools/zorvane/ProgramFolder.h"

extern char** environ;

namespace fs = std::filesystem;

namespace {

// The value of a "name": "value" line of the generator's manifest (its values hold no quotes).
std::string ManifestValue(const std::string& line, const std::string& name) {
    const std::string key = "\"" + name + "\": \"";
    const std::size_t at = line.find(key);
    if (at == std::string::npos) return "";
    const std::size_t start = at + key.size();
    return line.substr(start, line.find('"', start) - start);
}

void Show(const std::string& program, const std::vector<std::string>& arguments, const std::string& outputFile) {
    std::string shown = "$ " + program;
    for (const std::string& argument : arguments)
        shown += " " + (argument.find_first_of(" ()',") == std::string::npos ? argument : "'" + argument + "'");
    std::printf("%s%s\n", shown.c_str(), outputFile.empty() ? "" : (" > " + outputFile).c_str());
    std::fflush(stdout);
}

int Spawn(std::string program, const std::vector<std::string>& arguments, const std::string& outputFile) {
    std::vector<std::string> words = arguments;
    std::vector<char*> argv{program.data()};
    for (std::string& word : words) argv.push_back(word.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addchdir_np(&actions, DemoSandbox().c_str());
    if (!outputFile.empty())
        posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, outputFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    pid_t child = 0;
    int status = 0;
    const bool ran = posix_spawnp(&child, program.c_str(), &actions, nullptr, argv.data(), environ) == 0 &&
                     waitpid(child, &status, 0) == child && WIFEXITED(status);
    posix_spawn_file_actions_destroy(&actions);
    return ran ? WEXITSTATUS(status) : 1;
}

}  // namespace

fs::path DemoSandbox() { return fs::path(ProgramFolder()) / "demo"; }

void RemoveDemoSandbox() {
    std::error_code ignored;
    fs::remove_all(DemoSandbox(), ignored);
}

std::string SandboxText(const std::string& name) {
    std::ifstream file(DemoSandbox() / name, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

bool FindDemoUser(const std::string& validity, DemoUser& user) {
    std::ifstream manifest(DemoSandbox() / "home" / "pkigen-manifest.json");
    std::string line, store, folder, ca, found;
    while (std::getline(manifest, line)) {
        for (auto [name, value] : {std::pair{"store", &store}, std::pair{"folder", &folder}, std::pair{"ca", &ca},
                                   std::pair{"validity", &found}})
            if (const std::string text = ManifestValue(line, name); !text.empty()) *value = text;
        const std::string password = ManifestValue(line, "password");
        if (password.empty() || store != "npki" || found != validity) continue;
        user = {fs::relative(folder, DemoSandbox()).string(), password, ca};
        return true;
    }
    std::fprintf(stderr, "zorvane demo: the sandbox manifest names no %s NPKI user\n", validity.c_str());
    return false;
}

int RunInSandbox(const std::vector<std::string>& arguments, const std::string& outputFile) {
    Show("zorvane", arguments, outputFile);
    return Spawn((fs::path(ProgramFolder()) / "zorvane").string(), arguments, outputFile);
}

int RunProgramInSandbox(const std::string& program, const std::vector<std::string>& arguments) {
    Show(program, arguments, "");
    return Spawn(program, arguments, "");
}

bool Installed(const std::string& program) {
    const char* path = std::getenv("PATH");
    std::istringstream folders(path ? path : "/usr/bin:/bin");
    std::string folder;
    while (std::getline(folders, folder, ':'))
        if (!folder.empty() && access((fs::path(folder) / program).c_str(), X_OK) == 0) return true;
    return false;
}

int RunCommandHere(std::vector<std::string> arguments) {
    for (const Command& command : CommandTable()) {
        if (arguments.front() != command.name) continue;
        std::vector<char*> argv;
        for (std::string& argument : arguments) argv.push_back(argument.data());
        argv.push_back(nullptr);
        return command.run(static_cast<int>(arguments.size()), argv.data());
    }
    return 1;
}

std::string ShellQuoted(const fs::path& path) { return "'" + path.string() + "'"; }
