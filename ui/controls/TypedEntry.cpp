// The typed-entry box of the value fields: a platform EDIT control opened over a field, which
// replaces the field's text on Enter and tells the page, and closes without a word on Escape or
// when it loses the keyboard focus. At most one exists at a time (TypedEntryWindow).
#include "ui/controls/ControlWindow.h"
#include "ui/controls/InputLaws.h"
#include "ui/controls/SkinDrawing.h"

namespace {

// A box's state, kept in its window's user-data slot from its opening to its destruction.
struct TypedEntryState {
    HWND field = nullptr;  // not owned
    WNDPROC editProc = nullptr;
    HFONT font = nullptr;  // owned when fontOwned
    bool fontOwned = false;
    bool closing = false;  // being destroyed: the focus loss that follows must not close it again
};

TypedEntryState* StateOf(HWND box) {
    return reinterpret_cast<TypedEntryState*>(GetWindowLongPtrA(box, GWLP_USERDATA));
}

void Close(HWND box) {
    TypedEntryState* entry = StateOf(box);
    if (entry == nullptr || entry->closing) return;
    entry->closing = true;
    DestroyWindow(box);
}

void Commit(HWND box) {
    HWND field = StateOf(box)->field;
    char text[256] = {};
    GetWindowTextA(box, text, sizeof(text));
    SetWindowTextA(field, text);
    const int id = ControlId(field);
    HWND parent = GetParent(field);
    PostMessageA(parent, WM_COMMAND, MAKEWPARAM(id, kTypedEntryCommitted),
                 reinterpret_cast<LPARAM>(field));
    PostMessageA(parent, QVE_ADJUST, static_cast<WPARAM>(PackFieldAdjust(id, 0)),
                 reinterpret_cast<LPARAM>(field));
    Close(box);
}

LRESULT CALLBACK TypedEntryProc(HWND box, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    TypedEntryState* entry = StateOf(box);
    const WNDPROC editProc = entry->editProc;
    switch (message) {
        case WM_KEYDOWN:
            // The box is gone after these keys; nothing is left to pass the key on to.
            if (wParam == VK_RETURN) {
                Commit(box);
                return 0;
            }
            if (wParam == VK_ESCAPE) {
                Close(box);
                return 0;
            }
            break;
        case WM_GETDLGCODE:
            // Enter and Escape are the box's own, not the dialog's default buttons'.
            return CallWindowProcA(editProc, box, message, wParam, lParam) | DLGC_WANTALLKEYS;
        case WM_CHAR:
            // The box would beep on these.
            if (wParam == '\r' || wParam == 27) return 0;
            break;
        case WM_KILLFOCUS:
            if (entry->closing) break;
            CallWindowProcA(editProc, box, message, wParam, lParam);
            Close(box);
            return 0;
        case WM_NCDESTROY:
            SetWindowLongPtrA(box, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(editProc));
            SetWindowLongPtrA(box, GWLP_USERDATA, 0);
            if (entry->fontOwned && entry->font != nullptr) DeleteObject(entry->font);
            delete entry;
            TypedEntryWindow = nullptr;
            break;
        default:
            break;
    }
    return CallWindowProcA(editProc, box, message, wParam, lParam);
}

}  // namespace

void OpenTypedEntry(HWND field) {
    CloseTypedEntry();
    if (field == nullptr) return;
    RECT client;
    GetClientRect(field, &client);
    // One line that scrolls: a right-aligned multi-line box would neither scroll nor take
    // more than fits, and asking for every key (WM_GETDLGCODE) gets it Enter in a dialog.
    HWND box = CreateWindowExA(
        0, "EDIT", "", WS_CHILD | WS_VISIBLE | WS_BORDER | ES_AUTOHSCROLL | ES_RIGHT, 2, 2,
        client.right - 4, client.bottom - 4, field,
        reinterpret_cast<HMENU>(static_cast<INT_PTR>(kTypedEntryId)),
        reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(field, GWLP_HINSTANCE)), nullptr);
    if (box == nullptr) return;
    auto* entry = new (std::nothrow) TypedEntryState();
    if (entry == nullptr) {
        DestroyWindow(box);
        return;
    }

    CaptionFont font;
    entry->field = field;
    entry->font = font.Release(&entry->fontOwned);
    SendMessageA(box, WM_SETFONT, reinterpret_cast<WPARAM>(entry->font), 0);
    char text[256] = {};
    GetWindowTextA(field, text, sizeof(text));
    SetWindowTextA(box, text);
    SetWindowLongPtrA(box, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(entry));
    entry->editProc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(box, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&TypedEntryProc)));
    TypedEntryWindow = box;
    SetFocus(box);
    SendMessageA(box, EM_SETSEL, 0, -1);
}

void CloseTypedEntry() {
    if (TypedEntryWindow != nullptr) Close(TypedEntryWindow);
}
