// The whole-process listing: `zorvane list --json` over 1,000 and 10,000 generated NPKI
// users, each run in a child process, beside a one-process Python walk of the same
// folders with the cryptography package (read, parse, subject, serial, dates, SHA-1).
// The time of each run is the child's CPU time (user + system); the counters give its
// peak resident memory and, from one run under strace, its system calls per listed
// certificate (all, opens and stats, failed ones). records_MB is what the listed records
// themselves hold on the heap, the floor for the program's peak above its start-up size.
//
// ZORVANE_BENCH_PROGRAM_DIR may name another folder holding zorvane, libzorvane.so and
// the toolkit (an earlier build's work folder, say), to measure that build on the same
// stores.

#include <benchmark/benchmark.h>
#include <malloc.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include <zorvane/LoadCert.h>

#include "BaselineRatio.h"
#include "discovery/GeneratedStore.h"

extern char** environ;

namespace {

std::string ProgramDir() {
    const char* chosen = std::getenv("ZORVANE_BENCH_PROGRAM_DIR");
    return chosen && *chosen ? chosen : ZORVANE_BENCH_WORK_DIR;
}

// The Python side: the same certificate files, fewer fields, one process.
const char kPythonWalk[] = R"(
import hashlib, json, os, sys, warnings
from cryptography import x509
warnings.simplefilter('ignore')  # newer releases deprecate the naive dates that older ones only have
records = []
for folder, _, files in os.walk(os.path.join(sys.argv[1], 'NPKI')):
    if 'signCert.der' not in files:
        continue
    with open(os.path.join(folder, 'signCert.der'), 'rb') as f:
        der = f.read()
    cert = x509.load_der_x509_certificate(der)
    records.append({'subject': cert.subject.rfc4514_string(), 'serial': format(cert.serial_number, 'x'),
                    'from': str(cert.not_valid_before), 'to': str(cert.not_valid_after),
                    'sha1': hashlib.sha1(der).hexdigest()})
json.dump({'count': len(records), 'certificates': records}, sys.stdout, ensure_ascii=False, indent=2)
)";

// Heap bytes that the records of the listing keep (the array and every text's block),
// from one LoadCerts with the list's arguments: malloc's count of bytes in use after
// it, less that before it.
double HeapOfRecords(const std::string& work) {
    ByteString folder(work.c_str()), empty;
    CLoadCert loader(folder);
    CArray<tagCERTLIST, tagCERTLIST&> list;
    int count = 0;
    const struct mallinfo2 before = mallinfo2();
    loader.LoadCerts(0, empty, empty, 0, empty, 0, empty, empty, 0, 0, list, count);
    const struct mallinfo2 after = mallinfo2();
    return static_cast<double>(after.uordblks + after.hblkhd - before.uordblks - before.hblkhd) / (1024 * 1024);
}

// Measured in a forked child, so that this process does not grow by it.
double RecordMegabytes(const std::string& work) {
    int ends[2];
    if (pipe(ends) != 0) return 0;
    const pid_t child = fork();
    if (child == 0) {
        const double megabytes = HeapOfRecords(work);
        _exit(write(ends[1], &megabytes, sizeof megabytes) == sizeof megabytes ? 0 : 1);
    }
    close(ends[1]);
    double megabytes = 0;
    if (child < 0 || read(ends[0], &megabytes, sizeof megabytes) != sizeof megabytes) megabytes = 0;
    close(ends[0]);
    if (child > 0) waitpid(child, nullptr, 0);
    return megabytes;
}

// One generated store of `users` NPKI users, its work folder linked to the program's toolkit.
struct Store {
    explicit Store(int count) : users(count), generated(count, ProgramDir()), recordMegabytes(RecordMegabytes(work)) {}
    int users;
    GeneratedStore generated;
    const std::string& root = generated.Root();
    const std::string& home = generated.Home();
    const std::string& work = generated.Work();
    double recordMegabytes;  // measured while this store is drive C:
};

Store& StoreOf(int users) {
    static std::map<int, std::unique_ptr<Store>> stores;
    std::unique_ptr<Store>& store = stores[users];
    if (!store) store = std::make_unique<Store>(users);
    return *store;
}

struct ChildRun {
    bool ok = false;
    double cpuSeconds = 0;
    double peakMegabytes = 0;
    std::string output;
};

std::vector<std::string> ChildEnvironment(const Store& store) {
    std::vector<std::string> variables;
    for (char** variable = environ; *variable; ++variable) {
        const std::string text = *variable;
        if (text.rfind("HOME=", 0) != 0 && text.rfind("LD_LIBRARY_PATH=", 0) != 0 &&
            text.rfind("ZORVANE_DRIVE_TABLE=", 0) != 0)
            variables.push_back(text);
    }
    variables.push_back("HOME=" + store.home);  // drive C:
    variables.push_back("LD_LIBRARY_PATH=" + ProgramDir());
    return variables;
}

// The child's peak resident size so far (VmHWM), 0 once it is gone. Unlike ru_maxrss it
// belongs to the program the child runs: a spawned child shares this process's memory
// until it execs, and ru_maxrss keeps that process's peak as well.
double PeakMegabytesOf(pid_t child) {
    std::ifstream status("/proc/" + std::to_string(child) + "/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmHWM:", 0) == 0) return std::atof(line.c_str() + 6) / 1024.0;
    }
    return 0;
}

// Runs the command with its standard output read through a pipe; the child's CPU time
// comes from wait4, its peak from each look while its output comes in (the listing
// prints after it has read every record).
ChildRun Run(const std::vector<std::string>& command, const Store& store) {
    ChildRun run;
    int pipeEnds[2];
    if (pipe(pipeEnds) != 0) return run;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, pipeEnds[0]);
    std::vector<char*> arguments;
    for (const std::string& argument : command) arguments.push_back(const_cast<char*>(argument.c_str()));
    arguments.push_back(nullptr);
    std::vector<std::string> variables = ChildEnvironment(store);
    std::vector<char*> environment;
    for (std::string& variable : variables) environment.push_back(variable.data());
    environment.push_back(nullptr);
    pid_t child = 0;
    const int spawned = posix_spawnp(&child, arguments[0], &actions, nullptr, arguments.data(), environment.data());
    posix_spawn_file_actions_destroy(&actions);
    close(pipeEnds[1]);
    char buffer[65536];
    ssize_t got = 0;
    while (spawned == 0 && (got = read(pipeEnds[0], buffer, sizeof buffer)) > 0) {
        run.output.append(buffer, got);
        run.peakMegabytes = std::max(run.peakMegabytes, PeakMegabytesOf(child));
    }
    close(pipeEnds[0]);
    if (spawned != 0) return run;
    int status = 0;
    struct rusage usage {};
    if (wait4(child, &status, 0, &usage) != child) return run;
    run.ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    run.cpuSeconds = usage.ru_utime.tv_sec + usage.ru_stime.tv_sec +
                     (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
    return run;
}

std::vector<std::string> ListCommand(const Store& store) {
    return {ProgramDir() + "/zorvane", "list", "--json", "--work", store.work};
}

std::vector<std::string> PythonCommand(const Store& store) { return {"python3", "-c", kPythonWalk, store.home}; }

bool ListsEveryUser(const ChildRun& run, int users) {
    return run.ok && run.output.find("\"count\": " + std::to_string(users) + ",") != std::string::npos;
}

struct SyscallCounts {
    double all = 0, failed = 0, opens = 0, stats = 0;
};

// One run under strace -c -f; the summary's rows are "% seconds usecs calls [errors] name".
SyscallCounts CountSyscalls(const std::vector<std::string>& command, const Store& store) {
    const std::string summary = store.root + "/strace-summary.txt";
    std::vector<std::string> traced = {"strace", "-f", "-c", "-o", summary, "--"};
    traced.insert(traced.end(), command.begin(), command.end());
    SyscallCounts counts;
    if (!Run(traced, store).ok) return counts;
    std::ifstream lines(summary);
    std::string line;
    while (std::getline(lines, line)) {
        std::istringstream fields(line);
        std::vector<std::string> words{std::istream_iterator<std::string>(fields), std::istream_iterator<std::string>()};
        if (words.size() < 5 || words[0].find('.') == std::string::npos) continue;
        const std::string& name = words.back();
        const double calls = std::atof(words[3].c_str());
        const double errors = words.size() == 6 ? std::atof(words[4].c_str()) : 0;
        if (name == "total") {
            counts.all = calls;
            counts.failed = errors;
        } else if (name.find("open") != std::string::npos) {
            counts.opens += calls;
        } else if (name.find("stat") != std::string::npos) {
            counts.stats += calls;
        }
    }
    return counts;
}

void Measure(benchmark::State& state, std::vector<std::string> (*commandFor)(const Store&)) {
    Store& store = StoreOf(static_cast<int>(state.range(0)));
    const std::vector<std::string> command = commandFor(store);
    double peak = 0;
    for (auto _ : state) {
        const ChildRun run = Run(command, store);
        if (!ListsEveryUser(run, store.users)) {
            state.SkipWithError("the child failed or did not list every user");
            break;
        }
        state.SetIterationTime(run.cpuSeconds);
        peak = std::max(peak, run.peakMegabytes);
    }
    const SyscallCounts calls = CountSyscalls(command, store);
    state.counters["peak_MB"] = peak;
    state.counters["records_MB"] = store.recordMegabytes;
    state.counters["syscalls/cert"] = calls.all / store.users;
    state.counters["opens/cert"] = calls.opens / store.users;
    state.counters["stats/cert"] = calls.stats / store.users;
    state.counters["failed/cert"] = calls.failed / store.users;
}

void ListOurs(benchmark::State& state) { Measure(state, ListCommand); }
void ListBaseline(benchmark::State& state) { Measure(state, PythonCommand); }

}  // namespace

BENCHMARK(ListOurs)->Name("List1000/Ours")->Arg(1000)->UseManualTime()->Iterations(3)->Unit(benchmark::kMillisecond);
BENCHMARK(ListBaseline)->Name("List1000/Baseline")->Arg(1000)->UseManualTime()->Iterations(3)->Unit(benchmark::kMillisecond);
BENCHMARK(ListOurs)->Name("List10000/Ours")->Arg(10000)->UseManualTime()->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(ListBaseline)->Name("List10000/Baseline")->Arg(10000)->UseManualTime()->Iterations(1)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) { return zorvane_bench::RunWithRatios(argc, argv); }
