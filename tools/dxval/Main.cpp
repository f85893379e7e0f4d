// dxval: validates a DirectShow audio transform filter as hosts use it. Loads the plug-in by
// path, runs the named checks in order and prints a table of check, runs, result and time;
// exits with 1 when any check fails, 2 on bad arguments or a module that cannot be loaded,
// 3 when a check crashes or hangs.
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

std::mutex tableLock;
std::vector<Row> table;  // tableLock
const char* runningCheck = nullptr;

void PrintTable() {
    std::lock_guard<std::mutex> guard(tableLock);
    std::printf("\n%-16s %9s  %-44s %8s\n", "check", "runs", "result", "time");
    for (const Row& row : table) {
        std::printf("%-16s %9ld  %-44s %7.1fs\n", row.name.c_str(), row.runs, row.result.c_str(),
                    row.seconds);
    }
    std::fflush(stdout);
}

// A crash anywhere ends the run with the table and the step it happened in.
[[noreturn]] void EndWithCrash(const std::string& what) {
    std::printf("\nCRASH: %s in %s\n", what.c_str(), CurrentStep().c_str());
    {
        std::lock_guard<std::mutex> guard(tableLock);
        if (runningCheck != nullptr) table.push_back({runningCheck, 0, "FAIL: crashed", 0});
    }
    PrintTable();
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
        std::printf("\nHUNG: no progress for %d s in %s\n", seconds, CurrentStep().c_str());
        {
            std::lock_guard<std::mutex> tableGuard(tableLock);
            table.push_back({runningCheck, 0, "FAIL: hung (watchdog)", double(seconds)});
        }
        PrintTable();
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

bool ParseArguments(int argc, char** argv, ValidatorOptions* options, std::string* error) {
    options->clsid = CLSID_HqPlugIn;
    options->seed = 20261206;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool hasValue = i + 1 < argc;
        if (arg == "--quick") {
            options->quick = true;
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
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    ValidatorOptions options;
    std::string error;
    if (!ParseArguments(argc, argv, &options, &error)) {
        std::fprintf(stderr, "dxval: %s\n%s", error.c_str(), kUsage);
        return 2;
    }
    PlugInModule module;
    if (!module.Load(options.dllPath, &error)) {
        std::fprintf(stderr, "dxval: %s\n", error.c_str());
        return 2;
    }
    SetUnhandledExceptionFilter(ReportCrash);
    std::signal(SIGABRT, ReportAbort);
    CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    std::printf("dxval: %s, class %s, level %s, seed %lu\n", options.dllPath.c_str(),
                GuidText(options.clsid).c_str(), options.quick ? "quick" : "full",
                static_cast<unsigned long>(options.seed));
    std::fflush(stdout);

    bool failed = false;
    for (const CheckDef& check : kChecks) {
        if (!options.check.empty() && options.check != check.name) continue;
        CheckContext context(options, module, check.name);
        runningCheck = check.name;
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
        failed = failed || faults != 0;
        std::lock_guard<std::mutex> guard(tableLock);
        table.push_back({check.name, context.runs.load(), result, seconds});
        runningCheck = nullptr;
    }
    PrintTable();
    CoUninitialize();
    return failed ? 1 : 0;
}
