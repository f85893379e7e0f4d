// What the toolkit's window procedures share: their records in the window's user-data slot, the
// one dispatch of the messages every class handles alike, reports to the parent and pointer
// coordinates. Internal to ui/controls.
#pragma once

#include <new>
#include <optional>

#include "platform/Platform.h"
#include "ui/controls/SkinControls.h"

LRESULT CALLBACK PushButtonProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept;
LRESULT CALLBACK SliderProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept;
LRESULT CALLBACK ValueFieldProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept;
LRESULT CALLBACK StaticTextProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept;
LRESULT CALLBACK StaticImageProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept;
LRESULT CALLBACK StaticNoHitImageProc(HWND window, UINT message, WPARAM wParam,
                                      LPARAM lParam) noexcept;
LRESULT CALLBACK FreqDisplayProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept;
LRESULT CALLBACK RevTimeProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept;
LRESULT CALLBACK MeterProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept;

// A class's part of the dispatch. Record is the class's record type; it has a member
// `HBITMAP background` that receives the page background from the creation parameter.
template <class Record>
struct ControlClass {
    // Sets up a new record from the creation structure (the style bits, the colour depth).
    void (*create)(Record* record, const CREATESTRUCTA* create) = nullptr;
    // Paints the control (the paint cycle of SkinDrawing.h).
    void (*paint)(HWND window, Record* record) = nullptr;
    // The class's own messages: an answer when it handled the message, none to let the shared
    // handling and then default processing have it.
    std::optional<LRESULT> (*handle)(HWND window, Record* record, UINT message, WPARAM wParam,
                                     LPARAM lParam) = nullptr;
    bool clearsDragFlags = true;  // on the capture-changed message: every class but the meter
    bool paintsFocus = false;     // repaints when it gains or loses the keyboard focus
};

// The record of a control, or none before its creation message and after its destruction.
template <class Record>
Record* GetRecord(HWND window) {
    return reinterpret_cast<Record*>(GetWindowLongPtrA(window, GWLP_USERDATA));
}

// The window procedure of every class. The record is allocated on the creation message
// (zero-filled, then initialised by its member initialisers and the class's create hook) and
// freed on the last message; if it cannot be allocated, the creation message answers -1. The
// class's handler sees every other message first; then the background-erase message answers 1,
// the paint message runs the paint routine between begin-paint and end-paint, the capture-changed
// message clears both drag flags and the focus messages repaint, as the class asks.
template <class Record>
LRESULT DispatchControl(const ControlClass<Record>& c, HWND window, UINT message, WPARAM wParam,
                        LPARAM lParam) noexcept {
    if (message == WM_CREATE) {
        Record* record = new (std::nothrow) Record();
        if (record == nullptr) return -1;
        const auto* create = reinterpret_cast<const CREATESTRUCTA*>(lParam);
        record->background = static_cast<HBITMAP>(create->lpCreateParams);
        if (c.create != nullptr) c.create(record, create);
        SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(record));
        return 0;
    }
    Record* record = GetRecord<Record>(window);
    if (record == nullptr) return DefWindowProcA(window, message, wParam, lParam);
    if (c.handle != nullptr) {
        if (const std::optional<LRESULT> answer =
                c.handle(window, record, message, wParam, lParam)) {
            return *answer;
        }
    }
    switch (message) {
        case WM_NCDESTROY:
            SetWindowLongPtrA(window, GWLP_USERDATA, 0);
            delete record;
            break;
        case WM_ERASEBKGND:
            return 1;
        case WM_PAINT: {
            PAINTSTRUCT ps;
            BeginPaint(window, &ps);
            c.paint(window, record);
            EndPaint(window, &ps);
            return 0;
        }
        case WM_CAPTURECHANGED:
            if (!c.clearsDragFlags) break;
            ControlDragActive = false;
            RevTimeDragActive = false;
            return 0;
        case WM_SETFOCUS:
        case WM_KILLFOCUS:
            if (!c.paintsFocus) break;
            c.paint(window, record);
            return 0;
        default:
            break;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

inline int ControlId(HWND window) {
    return GetDlgCtrlID(window);
}

// Pointer coordinates of a mouse message as signed 16-bit values.
inline int PointerX(LPARAM lParam) {
    return static_cast<short>(LOWORD(lParam));
}
inline int PointerY(LPARAM lParam) {
    return static_cast<short>(HIWORD(lParam));
}
