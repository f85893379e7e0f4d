// The editor page in the platform's property frame, opened and closed again and again while
// audio streams through the filter: the frame runs on a thread of its own and is closed as a
// user closes it, by WM_CLOSE or by its Cancel button, found through its owner window.
#include <olectl.h>

#include <chrono>
#include <cstring>
#include <thread>

#include "engine/Identifiers.h"
#include "tools/dxval/Checks.h"

namespace {

struct FrameSearch {
    HWND owner;
    HWND found;
};

// The frame is the visible window that our owner window owns. Wine's frame takes no owner, so
// there it is the visible dialog without one on the frame's thread, which makes no other.
BOOL CALLBACK FindOwned(HWND window, LPARAM param) {
    auto* search = reinterpret_cast<FrameSearch*>(param);
    char className[16] = {};
    GetClassNameA(window, className, sizeof className);
    const HWND owner = GetWindow(window, GW_OWNER);
    const bool ownedDialog =
        owner == search->owner || (owner == nullptr && std::strcmp(className, "#32770") == 0);
    if (ownedDialog && IsWindowVisible(window)) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

// The frame thread: an owner window, then `cycles` modal property frames in a row.
struct FrameThread {
    IUnknown* filter;  // not owned: the check holds the filter
    std::atomic<int> cycles{0};
    std::atomic<HWND> owner{nullptr};
    std::atomic<DWORD> threadId{0};
    std::atomic<int> opened{0};
    std::atomic<int> closed{0};
    std::atomic<HRESULT> failure{S_OK};

    void Run() {
        OleInitialize(nullptr);
        threadId = GetCurrentThreadId();
        HWND window = CreateWindowExW(0, L"STATIC", L"dxval owner", WS_OVERLAPPED, 0, 0, 100, 100,
                                      nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
        owner = window;
        for (int i = 0; i < cycles.load() && window != nullptr; ++i) {
            ++opened;
            IUnknown* objects[] = {filter};
            CLSID pages[] = {CLSID_HqPlugInPropPage};
            const HRESULT hr = OleCreatePropertyFrame(window, 0, 0, L"dxval", 1, objects, 1, pages,
                                                      LOCALE_USER_DEFAULT, 0, nullptr);
            if (FAILED(hr)) {
                failure = hr;
                break;
            }
            ++closed;
        }
        if (window != nullptr) DestroyWindow(window);
        OleUninitialize();
    }
};

}  // namespace

void CheckEditor(CheckContext& context) {
    const int cycles = context.options.quick ? 10 : 100;
    ComPtr<IBaseFilter> filter = CreateFilter(context);
    if (!filter) return;
    // The frame creates the page from its registered class, as a host's frame does.
    RegisteredForCheck registration(context);
    std::atomic<bool> stop{false};
    StreamSettings settings;
    settings.format = MakeWaveFormat(WAVE_FORMAT_IEEE_FLOAT, 32, 2, 44100);
    settings.endless = true;
    settings.stop = &stop;
    settings.maxSampleBytes = 4096;
    settings.seed = static_cast<std::uint32_t>(context.rng());
    settings.timeoutMs = 60000;
    const StreamReport report = RunStream(filter.Get(), settings, [&] {
        FrameThread frames;
        frames.filter = filter.Get();
        frames.cycles = cycles;
        std::thread thread(&FrameThread::Run, &frames);
        using Clock = std::chrono::steady_clock;
        for (int i = 0; i < cycles; ++i) {
            context.Step("opening the editor, cycle " + std::to_string(i + 1));
            const auto deadline = Clock::now() + std::chrono::seconds(20);
            FrameSearch search = {nullptr, nullptr};
            while (search.found == nullptr && Clock::now() < deadline && frames.failure == S_OK) {
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
                search.owner = frames.owner;
                if (search.owner != nullptr && frames.opened == i + 1) {
                    EnumThreadWindows(frames.threadId, FindOwned,
                                      reinterpret_cast<LPARAM>(&search));
                }
            }
            if (search.found == nullptr) {
                context.Fail(frames.failure != S_OK
                                 ? "OleCreatePropertyFrame failed: " + HrText(frames.failure)
                                 : "the property frame did not open in cycle " +
                                       std::to_string(i + 1));
                break;
            }
            // Let the page's refresh timer run a few times against the streaming filter.
            std::this_thread::sleep_for(std::chrono::milliseconds(context.Pick(0, 250)));
            context.Step("closing the editor, cycle " + std::to_string(i + 1));
            if (i % 2 == 0) {
                PostMessageW(search.found, WM_CLOSE, 0, 0);
            } else {
                PostMessageW(GetDlgItem(search.found, IDCANCEL), BM_CLICK, 0, 0);
            }
            while (frames.closed < i + 1 && Clock::now() < deadline + std::chrono::seconds(20)) {
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
            }
            if (frames.closed < i + 1) {
                context.Fail("the property frame did not close in cycle " + std::to_string(i + 1));
                break;
            }
            ++context.runs;
        }
        // A frame left open is closed for good so that the thread ends.
        stop = true;
        if (frames.closed < frames.opened) {
            FrameSearch search = {frames.owner, nullptr};
            EnumThreadWindows(frames.threadId, FindOwned, reinterpret_cast<LPARAM>(&search));
            if (search.found != nullptr) PostMessageW(search.found, WM_CLOSE, 0, 0);
        }
        frames.cycles = 0;
        thread.join();
    });
    ExpectGoodStream(context, report, -1, 8.0, "streaming while the editor opens and closes");
}
