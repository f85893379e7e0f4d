// Answers the modal loops (menus, message boxes, dialogs) a test's thread enters: a thread timer
// runs the steps in turn, each waiting until the window it needs is there. Windows only.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "platform/Platform.h"

class UiScript {
public:
    // A step returns true when done, false to be tried again on the next tick. A step that
    // opens a modal loop of its own must post its input, so that it returns first.
    using Step = std::function<bool()>;
    UiScript();
    ~UiScript();
    UiScript& Then(Step step);
    bool Done() const { return next_ >= steps_.size(); }

private:
    static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD);
    std::vector<Step> steps_;
    std::size_t next_ = 0;
    UINT_PTR timer_ = 0;
};

// Chooses an item of the open popup menu with the keys, by the item texts from the top level
// down ({"Bank", "Preset"}); an empty path closes the menu with Escape.
UiScript::Step ChooseMenuItem(std::vector<std::string> path);
// Reads the open menu into items ("Item", "Sub/" then "Sub/Item", "-" for a separator, a
// trailing "*" when checked), then closes it with Escape.
UiScript::Step ReadMenu(std::vector<std::string>* items);
// Records the text of the next message box (and its caption) and presses a button.
UiScript::Step AnswerMessageBox(int button, std::string* text, std::string* caption = nullptr);
// Once a dialog with this caption is open, runs act on it.
UiScript::Step InDialog(const std::string& caption, std::function<void(HWND)> act);
// Done once ms have passed since the step first ran.
UiScript::Step Pause(DWORD ms);
// Runs act, done at once.
UiScript::Step Do(std::function<void()> act);

// Typing into an edit control or a combo box's edit; a click on a dialog's button (posted).
void UiType(HWND control, const std::string& text);
void UiPressButton(HWND dialog, int id);
std::string UiText(HWND window);
