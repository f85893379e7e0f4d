// What the preset dialogs share.
#include "presets/PresetDialogs.h"

void CenterOverOwner(HWND dialog) {
    RECT area = {};
    HWND owner = GetWindow(dialog, GW_OWNER);
    if (owner == nullptr || !GetWindowRect(owner, &area)) {
        SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0);
    }
    RECT box = {};
    GetWindowRect(dialog, &box);
    const int width = box.right - box.left;
    const int height = box.bottom - box.top;
    SetWindowPos(dialog, nullptr, area.left + (area.right - area.left - width) / 2,
                 area.top + (area.bottom - area.top - height) / 2, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}
