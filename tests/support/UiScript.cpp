// Scripted answers to modal loops in the tests.
#include "tests/support/UiScript.h"

namespace {

UiScript* running = nullptr;  // the script whose timer is set
constexpr UINT kTickMs = 30;
constexpr UINT kGetMenuHandle = 0x01E1;  // MN_GETHMENU

// A visible top-level window of this thread of the class that passes the test, if given.
HWND FindThreadWindow(const char* className, std::function<bool(HWND)> test = nullptr) {
    struct Search {
        const char* className;
        std::function<bool(HWND)> test;
        HWND found = nullptr;
    } search = {className, std::move(test)};
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND window, LPARAM lParam) -> BOOL {
            auto* s = reinterpret_cast<Search*>(lParam);
            char name[64] = {};
            GetClassNameA(window, name, sizeof(name));
            if (!IsWindowVisible(window) || lstrcmpA(name, s->className) != 0 ||
                (s->test && !s->test(window))) {
                return TRUE;
            }
            s->found = window;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// The menu loop reads every key message of the thread, whichever window it is posted to.
void PostKey(HWND window, WPARAM key) {
    PostMessageA(window, WM_KEYDOWN, key, 1);
    PostMessageA(window, WM_KEYUP, key, 0xC0000001);
}

std::string ItemText(HMENU menu, int position) {
    char text[256] = {};
    GetMenuStringA(menu, static_cast<UINT>(position), text, sizeof(text), MF_BYPOSITION);
    return text;
}

bool IsSeparator(HMENU menu, int position) {
    return (GetMenuState(menu, static_cast<UINT>(position), MF_BYPOSITION) & MF_SEPARATOR) != 0;
}

void ReadItems(HMENU menu, const std::string& prefix, std::vector<std::string>* items) {
    for (int i = 0; i < GetMenuItemCount(menu); ++i) {
        const std::string text = prefix + ItemText(menu, i);
        const bool checked =
            (GetMenuState(menu, static_cast<UINT>(i), MF_BYPOSITION) & MF_CHECKED) != 0;
        if (IsSeparator(menu, i)) {
            items->push_back(prefix + "-");
        } else if (HMENU sub = GetSubMenu(menu, i)) {
            items->push_back(text + "/");
            ReadItems(sub, text + "/", items);
        } else {
            items->push_back(text + (checked ? "*" : ""));
        }
    }
}

}  // namespace

UiScript::UiScript() {
    running = this;
    timer_ = SetTimer(nullptr, 0, kTickMs, &Tick);
}

UiScript::~UiScript() {
    KillTimer(nullptr, timer_);
    if (running == this) running = nullptr;
}

UiScript& UiScript::Then(Step step) {
    steps_.push_back(std::move(step));
    return *this;
}

void CALLBACK UiScript::Tick(HWND, UINT, UINT_PTR, DWORD) {
    static bool inStep = false;
    UiScript* script = running;
    if (script == nullptr || script->Done() || inStep) return;
    inStep = true;
    if (script->steps_[script->next_]()) ++script->next_;
    inStep = false;
}

UiScript::Step ChooseMenuItem(std::vector<std::string> path) {
    return [path] {
        HWND menuWindow = FindThreadWindow("#32768");
        if (menuWindow == nullptr) return false;
        auto menu = reinterpret_cast<HMENU>(SendMessageA(menuWindow, kGetMenuHandle, 0, 0));
        // A new popup has nothing highlighted; a submenu opened with Right starts on its first
        // item. Down skips separators.
        int downs = 1;
        for (std::size_t level = 0; level < path.size(); ++level) {
            int position = 0;
            for (; position < GetMenuItemCount(menu); ++position) {
                if (ItemText(menu, position) == path[level]) break;
                if (!IsSeparator(menu, position)) ++downs;
            }
            if (position == GetMenuItemCount(menu)) break;
            for (int i = 0; i < downs; ++i) PostKey(menuWindow, VK_DOWN);
            if (level + 1 == path.size()) {
                PostKey(menuWindow, VK_RETURN);
                return true;
            }
            PostKey(menuWindow, VK_RIGHT);
            menu = GetSubMenu(menu, position);
            downs = 0;
        }
        PostKey(menuWindow, VK_ESCAPE);
        PostKey(menuWindow, VK_ESCAPE);
        return true;
    };
}

UiScript::Step ReadMenu(std::vector<std::string>* items) {
    return [items] {
        HWND menuWindow = FindThreadWindow("#32768");
        if (menuWindow == nullptr) return false;
        items->clear();
        ReadItems(reinterpret_cast<HMENU>(SendMessageA(menuWindow, kGetMenuHandle, 0, 0)), "",
                  items);
        PostKey(menuWindow, VK_ESCAPE);
        return true;
    };
}

UiScript::Step AnswerMessageBox(int button, std::string* text, std::string* caption) {
    return [=] {
        // A message box's text is the static with id 0xFFFF.
        HWND box = FindThreadWindow("#32770", [](HWND w) { return GetDlgItem(w, 0xFFFF); });
        if (box == nullptr) return false;
        *text = UiText(GetDlgItem(box, 0xFFFF));
        if (caption != nullptr) *caption = UiText(box);
        UiPressButton(box, button);
        return true;
    };
}

UiScript::Step InDialog(const std::string& caption, std::function<void(HWND)> act) {
    return [=] {
        HWND dialog = FindThreadWindow("#32770", [&](HWND w) { return UiText(w) == caption; });
        if (dialog != nullptr) act(dialog);
        return dialog != nullptr;
    };
}

UiScript::Step Pause(DWORD ms) {
    return [ms, start = DWORD(0)]() mutable {
        if (start == 0) start = GetTickCount() | 1;
        return GetTickCount() - start >= ms;
    };
}

UiScript::Step Do(std::function<void()> act) {
    return [act] {
        act();
        return true;
    };
}

void UiType(HWND control, const std::string& text) {
    // A combo box hands the focus on to its edit control.
    SetFocus(control);
    HWND edit = GetFocus();
    SendMessageA(edit, EM_SETSEL, 0, -1);
    for (char c : text) SendMessageA(edit, WM_CHAR, static_cast<unsigned char>(c), 1);
}

void UiPressButton(HWND dialog, int id) {
    PostMessageA(GetDlgItem(dialog, id), BM_CLICK, 0, 0);
}

std::string UiText(HWND window) {
    char text[1024] = {};
    GetWindowTextA(window, text, sizeof(text));
    return text;
}
