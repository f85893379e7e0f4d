// dxval: validates a DirectShow audio transform filter as hosts use it. Runs each named check
// in a process of its own (so that a crash or a hang fails that check and the others still
// run), which loads the plug-in by path; prints a table of check, runs, result and time. Exits
// with 1 when any check fails and 2 on bad arguments or a module that cannot be loaded.
#include <chrono>
#include <condition_variable>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <string>
#include <thread>

#include "engine/Identifiers.h"
#include "tools/dxval/Checks.h"

namespace {

struct CheckDef {
    const char* name;
    void (*run)(CheckContext&);
};

constexpr CheckDef kChecks[] = {
    {"lifecycle", CheckLifecycle},
    {"formats", CheckFormats},
    {"extreme-rates", CheckExtremeRates},
    {"corners", CheckCorners},
    {"parameter-storm", CheckParameterStorm},
    {"state", CheckState},
    {"hostile-calls", CheckHostileCalls},
    {"editor", CheckEditor},
};

struct Row {
    std::string name;
    long runs = 0;
    std::string result;
    double seconds = 0;
};

std::vector<Row> table;  // the parent process's rows, in the order of the checks

void PrintTable() {
    std::printf("\n%-16s %9s  %-44s %8s\n", "check", "runs", "result", "time");
    for (const Row& row : table) {
        std::printf("%-16s %9ld  %-44s %7.1fs\n", row.name.c_str(), row.runs, row.result.c_str(),
                    row.seconds);
    }
    std::fflush(stdout);
}

// A crash anywhere ends the check's process, naming the step it happened in; the parent
// process fails the check.
[[noreturn]] void EndWithCrash(const std::string& what) {
    std::printf("  CRASH: %s in %s\n", what.c_str(), CurrentStep().c_str());
    std::fflush(stdout);
    TerminateProcess(GetCurrentProcess(), 3);
    std::abort();
}

LONG WINAPI ReportCrash(EXCEPTION_POINTERS* exception) {
    char code[40];
    std::snprintf(code, sizeof code, "exception 0x%08lX",
                  static_cast<unsigned long>(exception->ExceptionRecord->ExceptionCode));
    EndWithCrash(code);
}

// The runtime aborts when a C++ exception leaves a function that may not throw, in the
// plug-in as well as here: that is a crash of the step under way too.
void ReportAbort(int) {
    EndWithCrash("abort (an exception escaped or the runtime gave up)");
}

// Fails a check that runs longer than its limit (a deadlock or a hang) and ends the run.
class Watchdog {
public:
    explicit Watchdog(int seconds) : thread_([this, seconds] { Watch(seconds); }) {}
    ~Watchdog() {
        {
            std::lock_guard<std::mutex> guard(lock_);
            done_ = true;
        }
        wake_.notify_all();
        thread_.join();
    }

private:
    void Watch(int seconds) {
        std::unique_lock<std::mutex> guard(lock_);
        if (wake_.wait_for(guard, std::chrono::seconds(seconds), [this] { return done_; })) return;
        std::printf("  HUNG: still running after %d s in %s\n", seconds, CurrentStep().c_str());
        std::fflush(stdout);
        TerminateProcess(GetCurrentProcess(), 3);
    }

    std::mutex lock_;
    std::condition_variable wake_;
    bool done_ = false;
    std::thread thread_;
};

bool KnownCheck(const std::string& name) {
    for (const CheckDef& check : kChecks) {
        if (name == check.name) return true;
    }
    return false;
}

// A Unix path (as the build passes it) names the same file through Wine's Z: drive.
std::string HostPath(const std::string& path) {
    return !path.empty() && path[0] == '/' ? "Z:" + path : path;
}

std::string DefaultDllPath() {
    char own[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, own, MAX_PATH);
    std::string path = own;
    const std::size_t slash = path.find_last_of("\\/");
    return (slash == std::string::npos ? std::string() : path.substr(0, slash + 1)) +
           "HalvernqvReverb.dll";
}

constexpr char kUsage[] =
    "usage: dxval [--quick] [--check NAME] [--dll PATH] [--clsid {CLSID}] [--seed N]\n";

bool ParseArguments(int argc, char** argv, ValidatorOptions* options, std::string* error,
                    bool* child) {
    options->clsid = CLSID_HqPlugIn;
    options->seed = 20261206;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool hasValue = i + 1 < argc;
        if (arg == "--quick") {
            options->quick = true;
        } else if (arg == "--child") {
            *child = true;  // one check, here: how the program runs each check
        } else if ((arg == "--check" || arg == "--dll" || arg == "--clsid" || arg == "--seed") &&
                   !hasValue) {
            *error = arg + " needs a value";
            return false;
        } else if (arg == "--check") {
            options->check = argv[++i];
            if (!KnownCheck(options->check)) {
                *error = "no check named " + options->check;
                return false;
            }
        } else if (arg == "--dll") {
            options->dllPath = HostPath(argv[++i]);
        } else if (arg == "--clsid") {
            if (!ParseGuid(argv[++i], &options->clsid)) {
                *error = std::string("not a class identifier: ") + argv[i];
                return false;
            }
        } else if (arg == "--seed") {
            char* end = nullptr;
            const unsigned long seed = std::strtoul(argv[++i], &end, 10);
            if (end == argv[i] || *end != 0) {
                *error = std::string("not a seed: ") + argv[i];
                return false;
            }
            options->seed = static_cast<std::uint32_t>(seed);
        } else {
            *error = "unknown argument " + arg;
            return false;
        }
    }
    if (options->dllPath.empty()) options->dllPath = DefaultDllPath();
    if (*child && options->check.empty()) {
        *error = "--child needs --check";
        return false;
    }
    return true;
}

// The line a check's process ends with, for the table: name, runs, result, seconds.
constexpr char kRowTag[] = "dxval-row\t";

// Runs one check here and reports it in a row line; the exit code says whether it passed.
int RunCheckHere(const ValidatorOptions& options, const PlugInModule& module) {
    SetUnhandledExceptionFilter(ReportCrash);
    std::signal(SIGABRT, ReportAbort);
    CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    int failed = 0;
    for (const CheckDef& check : kChecks) {
        if (options.check != check.name) continue;
        CheckContext context(options, module, check.name);
        const auto start = std::chrono::steady_clock::now();
        {
            Watchdog watchdog(options.quick ? 60 : 900);
            check.run(context);
        }
        const double seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        const std::size_t faults = context.Failures().size();
        std::string result = faults == 0 ? "pass" : "FAIL (" + std::to_string(faults) + ")";
        if (!context.note.empty()) result += ": " + context.note;
        std::printf("%s%s\t%ld\t%s\t%.1f\n", kRowTag, check.name, context.runs.load(),
                    result.c_str(), seconds);
        failed = faults != 0;
    }
    std::fflush(stdout);
    CoUninitialize();
    return failed;
}

// Runs one check in a new process of this program and adds its row to the table; the
// process's other output is passed on as it comes.
bool RunCheckProcess(const std::string& commandLine, const char* name) {
    SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
    HANDLE readEnd = nullptr, writeEnd = nullptr;
    if (!CreatePipe(&readEnd, &writeEnd, &inherit, 0)) return false;
    SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = writeEnd;
    startup.hStdError = writeEnd;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    PROCESS_INFORMATION process = {};
    std::string line = commandLine + " --check " + name + " --child";
    const bool started = CreateProcessA(nullptr, &line[0], nullptr, nullptr, TRUE, 0, nullptr,
                                        nullptr, &startup, &process) != 0;
    CloseHandle(writeEnd);
    Row row{name, 0, "FAIL: crashed or hung", 0};
    if (!started) row.result = "FAIL: cannot start a process";
    std::string pending;
    char buffer[4096];
    DWORD got = 0;
    const auto start = std::chrono::steady_clock::now();
    while (started && ReadFile(readEnd, buffer, sizeof buffer, &got, nullptr) && got > 0) {
        pending.append(buffer, got);
        for (std::size_t end; (end = pending.find('\n')) != std::string::npos;) {
            std::string text = pending.substr(0, end);
            pending.erase(0, end + 1);
            if (!text.empty() && text.back() == '\r') text.pop_back();
            if (text.rfind(kRowTag, 0) == 0) {
                char result[512] = {};
                char checkName[64] = {};
                std::sscanf(text.c_str() + sizeof kRowTag - 1, "%63[^\t]\t%ld\t%511[^\t]\t%lf",
                            checkName, &row.runs, result, &row.seconds);
                row.result = result;
            } else {
                std::printf("%s\n", text.c_str());
            }
        }
        std::fflush(stdout);
    }
    CloseHandle(readEnd);
    DWORD code = 3;
    if (started) {
        WaitForSingleObject(process.hProcess, INFINITE);
        GetExitCodeProcess(process.hProcess, &code);
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    }
    if (code > 1) {
        row.result =
            code == 3 ? "FAIL: crashed or hung" : "FAIL: exit code " + std::to_string(code);
        row.seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    }
    table.push_back(row);
    return code == 0;
}

}  // namespace

int main(int argc, char** argv) {
    ValidatorOptions options;
    std::string error;
    bool child = false;
    if (!ParseArguments(argc, argv, &options, &error, &child)) {
        std::fprintf(stderr, "dxval: %s\n%s", error.c_str(), kUsage);
        return 2;
    }
    PlugInModule module;
    if (!module.Load(options.dllPath, &error)) {
        std::fprintf(stderr, "dxval: %s\n", error.c_str());
        return 2;
    }
    if (child) return RunCheckHere(options, module);

    std::printf("dxval: %s, class %s, level %s, seed %lu\n", options.dllPath.c_str(),
                GuidText(options.clsid).c_str(), options.quick ? "quick" : "full",
                static_cast<unsigned long>(options.seed));
    std::fflush(stdout);
    char own[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, own, MAX_PATH);
    const std::string commandLine = std::string("\"") + own + "\" --dll \"" + options.dllPath +
                                    "\" --clsid " + GuidText(options.clsid) + " --seed " +
                                    std::to_string(options.seed) +
                                    (options.quick ? " --quick" : "");
    bool passed = true;
    for (const CheckDef& check : kChecks) {
        if (!options.check.empty() && options.check != check.name) continue;
        passed = RunCheckProcess(commandLine, check.name) && passed;
    }
    PrintTable();
    return passed ? 0 : 1;
}
