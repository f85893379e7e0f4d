// Native implementations of the kernel and windowing services declared in Services.h.
#include "platform/native/Services.h"

#include <cstdlib>
#include <deque>
#include <map>
#include <mutex>
#include <new>

#include "platform/native/NativeWindow.h"

static_assert(sizeof(std::recursive_mutex) <= sizeof(CRITICAL_SECTION::storage));

static std::recursive_mutex& MutexOf(CRITICAL_SECTION* section) {
    return *std::launder(reinterpret_cast<std::recursive_mutex*>(section->storage));
}

void InitializeCriticalSection(CRITICAL_SECTION* section) {
    new (section->storage) std::recursive_mutex();
}

void DeleteCriticalSection(CRITICAL_SECTION* section) {
    MutexOf(section).~recursive_mutex();
}

void EnterCriticalSection(CRITICAL_SECTION* section) {
    MutexOf(section).lock();
}

void LeaveCriticalSection(CRITICAL_SECTION* section) {
    MutexOf(section).unlock();
}

namespace {

// Every live native window with its queue; handles are never reused while the program runs,
// so a stale handle reads as "no such window" as it would on Windows.
struct WindowTable {
    std::mutex mutex;
    std::map<HWND, std::deque<NativeMessage>> queues;
    std::uintptr_t nextHandle = 0x10;
};

WindowTable& Windows() {
    static WindowTable table;
    return table;
}

}  // namespace

HWND NativeCreateWindow() {
    WindowTable& table = Windows();
    std::lock_guard<std::mutex> guard(table.mutex);
    HWND window = reinterpret_cast<HWND>(table.nextHandle);
    table.nextHandle += 0x10;
    table.queues[window];
    return window;
}

void NativeDestroyWindow(HWND window) {
    WindowTable& table = Windows();
    std::lock_guard<std::mutex> guard(table.mutex);
    table.queues.erase(window);
}

BOOL NativePeekMessage(HWND window, NativeMessage* message) {
    WindowTable& table = Windows();
    std::lock_guard<std::mutex> guard(table.mutex);
    auto it = table.queues.find(window);
    if (it == table.queues.end() || it->second.empty()) return FALSE;
    *message = it->second.front();
    it->second.pop_front();
    return TRUE;
}

BOOL IsWindow(HWND window) {
    WindowTable& table = Windows();
    std::lock_guard<std::mutex> guard(table.mutex);
    return table.queues.count(window) != 0 ? TRUE : FALSE;
}

BOOL PostMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    WindowTable& table = Windows();
    std::lock_guard<std::mutex> guard(table.mutex);
    auto it = table.queues.find(window);
    if (it == table.queues.end()) return FALSE;
    it->second.push_back(NativeMessage{message, wParam, lParam});
    return TRUE;
}

void* CoTaskMemAlloc(std::size_t bytes) {
    return std::malloc(bytes);
}

void CoTaskMemFree(void* block) {
    std::free(block);
}
