// The validator's shared harness: the plug-in module loaded as a host loads it, the options of
// a run, and the context a check reports through (runs, failures, the step under way for the
// crash report). Used by every check family of dxval.
#pragma once

#include <atomic>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "platform/Platform.h"

struct ValidatorOptions {
    bool quick = false;
    std::string check;    // only this check; empty: all
    std::string dllPath;  // the plug-in module; empty: HalvernqvReverb.dll beside dxval
    CLSID clsid = {};
    std::uint32_t seed = 0;
};

// The plug-in's module with its four exports, loaded by path and freed on destruction.
class PlugInModule {
public:
    PlugInModule() = default;
    ~PlugInModule();
    PlugInModule(const PlugInModule&) = delete;
    PlugInModule& operator=(const PlugInModule&) = delete;

    // Loads the module and finds its exports; false with a one-line *error.
    bool Load(const std::string& path, std::string* error);

    // A new object of `clsid` through the module's class object, as a host creates it.
    HRESULT Create(REFCLSID clsid, REFIID iid, void** out) const;

    HRESULT(STDAPICALLTYPE* getClassObject)(REFCLSID, REFIID, void**) = nullptr;
    HRESULT(STDAPICALLTYPE* canUnloadNow)() = nullptr;
    HRESULT(STDAPICALLTYPE* registerServer)() = nullptr;
    HRESULT(STDAPICALLTYPE* unregisterServer)() = nullptr;

private:
    HMODULE module_ = nullptr;  // owned
};

// What one check reports. A check records every failure it meets and goes on where it can.
class CheckContext {
public:
    CheckContext(const ValidatorOptions& options, const PlugInModule& module, const char* name);

    const ValidatorOptions& options;
    const PlugInModule& module;
    const char* const name;
    std::mt19937 rng;

    // Picks a whole number in [low, high].
    int Pick(int low, int high);
    // A failure: "check: message", kept for the summary.
    void Fail(const std::string& message);
    // Checks `hr` against `expected`; a failure names the call.
    void ExpectHr(HRESULT hr, HRESULT expected, const std::string& call);
    // Checks that `hr` is a failure (any error code).
    void ExpectFailure(HRESULT hr, const std::string& call);
    // The step under way, reported if the process crashes or hangs in it. Thread-safe.
    void Step(const std::string& step);
    // Counted operations or runs, for the table.
    std::atomic<long> runs{0};
    // Words for the result column besides pass/FAIL (what was refused, what was counted).
    std::string note;

    const std::vector<std::string>& Failures() const { return failures_; }

private:
    std::vector<std::string> failures_;
};

// Whether a class is registered with an in-process server.
bool IsRegistered(REFCLSID clsid);

// Registers the module through its own export for one check, and unregisters it again at the
// end if it was not registered before.
class RegisteredForCheck {
public:
    explicit RegisteredForCheck(CheckContext& context);
    ~RegisteredForCheck();
    RegisteredForCheck(const RegisteredForCheck&) = delete;
    RegisteredForCheck& operator=(const RegisteredForCheck&) = delete;

private:
    CheckContext& context_;
    bool wasRegistered_;
};

// The step under way in the running check (for the crash handler and the watchdog).
std::string CurrentStep();

// "0x80004003 (E_POINTER)" for the codes a validator meets most, else the number.
std::string HrText(HRESULT hr);
// "{6B1E2F40-...}".
std::string GuidText(REFGUID guid);
// Parses "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}"; false if it is not one.
bool ParseGuid(const std::string& text, GUID* guid);
