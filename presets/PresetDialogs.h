// What the preset dialogs share.
#pragma once

#include "platform/Platform.h"

// Moves a dialog, without resizing it, so that it is centred over its owner window (over the
// screen's work area when it has none).
void CenterOverOwner(HWND dialog);
