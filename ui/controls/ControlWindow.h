// What the toolkit's window procedures share: their records in the window's user-data slot, the
// paint message, reports to the parent and the drag flags. Internal to ui/controls.
#pragma once

#include <new>

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

// The record of a control, or none before its creation message and after its destruction.
template <class Record>
Record* GetRecord(HWND window) {
    return reinterpret_cast<Record*>(GetWindowLongPtrA(window, GWLP_USERDATA));
}

// Allocates a control's record on its creation message (zero-filled, then initialised by the
// record's member initialisers) and keeps it in the user-data slot. The page background comes
// from the creation parameter. Returns none when the allocation fails; the creation message then
// answers -1.
template <class Record>
Record* CreateRecord(HWND window, LPARAM createStruct) {
    Record* record = new (std::nothrow) Record();
    if (record == nullptr) return nullptr;
    const auto* create = reinterpret_cast<const CREATESTRUCTA*>(createStruct);
    record->background = static_cast<HBITMAP>(create->lpCreateParams);
    SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(record));
    return record;
}

// Frees the record on the last message a window receives.
template <class Record>
void DestroyRecord(HWND window) {
    delete GetRecord<Record>(window);
    SetWindowLongPtrA(window, GWLP_USERDATA, 0);
}

// Validates the window between begin-paint and end-paint while paint() draws it.
template <class Paint>
LRESULT HandlePaintMessage(HWND window, Paint paint) {
    PAINTSTRUCT ps;
    BeginPaint(window, &ps);
    paint();
    EndPaint(window, &ps);
    return 0;
}

inline int ControlId(HWND window) {
    return GetDlgCtrlID(window);
}

// The capture-changed message of every class but the meter: no control holds the mouse any more.
inline void ClearDragFlags() {
    ControlDragActive = false;
    RevTimeDragActive = false;
}

// Pointer coordinates of a mouse message as signed 16-bit values.
inline int PointerX(LPARAM lParam) {
    return static_cast<short>(LOWORD(lParam));
}
inline int PointerY(LPARAM lParam) {
    return static_cast<short>(HIWORD(lParam));
}
