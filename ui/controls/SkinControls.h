// The editor's control toolkit as its host (the editor page) sees it: the nine window classes
// and their registration, the private messages, notifications and style bits of each class, the
// process-wide state the controls share, and the typed-entry and peak-readout helpers.
// Every control is a child window created with the page background bitmap (HBITMAP, not owned)
// as its creation parameter. UI thread only.
#pragma once

#include "platform/Platform.h"
#include "ui/controls/ParseTenths.h"
#include "ui/controls/SkinPixels.h"

// Window classes, registered in this order by RegisterSkinControls.
inline constexpr const char* kPushButtonClass = "qv:PushButton";
inline constexpr const char* kSliderClass = "qv:Slider";
inline constexpr const char* kEditClass = "qv:Edit";
inline constexpr const char* kStaticTextClass = "qv:StaticText";
inline constexpr const char* kStaticImageClass = "qv:StaticImage";
inline constexpr const char* kStaticNoHitImageClass = "qv:StaticNoHitImage";
inline constexpr const char* kFreqDisplayClass = "qv:FreqDisplay";
inline constexpr const char* kRevTimeClass = "qv:RevTime";
inline constexpr const char* kMeterClass = "qv:Meter";

// Push button. Reports are sent (synchronously) as WM_COMMAND with
// wParam = control id | (code << 16) and lParam = the button.
constexpr UINT QVB_SETCHECK = 2025;         // wParam lit state, lParam nonzero: paint now
constexpr UINT QVB_GETCHECK = 2026;         // returns the lit state
constexpr UINT QVB_REDRAW = 2027;           // lParam nonzero: paint now
constexpr UINT QVB_SETDBLCLKNOTIFY = 2028;  // wParam 0 or 1
constexpr UINT QVB_RBUTTONDOWN = 2031;      // to the parent: wParam id, lParam pointer position
constexpr UINT QVB_CANCELPRESS = 2032;
constexpr UINT QVB_SETIMAGES = 2033;  // wParam normal SkinImage, lParam pressed SkinImage
constexpr UINT QVB_SETFOCUSINSET =
    2034;  // wParam int[4] left, top, right, bottom; lParam lit border mode
constexpr UINT QVB_SETTINT = 2036;       // wParam SkinTint of the lit state
constexpr UINT QVB_SETTEXTCOLOR = 2037;  // wParam COLORREF
constexpr WORD QVBN_CLICKED = 0;
constexpr WORD QVBN_PRESSED = 1;
constexpr WORD QVBN_DBLCLK = 2;
constexpr WORD QVBN_REENTER = 3;
constexpr WORD QVBN_LEAVE = 4;
constexpr DWORD QVBS_ARROW = 0x0001;   // drop-down arrow at the right, caption left-aligned
constexpr DWORD QVBS_MARKER = 0x0002;  // circular-arrow marker at the right, caption left-aligned

// Slider. Reports are sent to the parent with the slider as lParam.
constexpr UINT QVS_GETPOS = 2125;          // returns the value
constexpr UINT QVS_SETPOS = 2126;          // wParam value, lParam nonzero: paint now
constexpr UINT QVS_SETRANGE = 2127;        // wParam minimum, lParam maximum
constexpr UINT QVS_POSCHANGING = 2129;     // to the parent: wParam the new value
constexpr UINT QVS_DBLCLK = 2130;          // to the parent: wParam control id
constexpr UINT QVS_SETACCEL = 2131;        // wParam 0 or 1
constexpr UINT QVS_SETTICKSPACING = 2132;  // wParam value units, 0 for no ticks
constexpr UINT QVS_SETPAGESTEP = 2133;     // wParam value units
constexpr UINT QVS_SETTICKOFFSET = 2134;   // wParam value units
constexpr UINT QVS_SETTHUMB = 2136;        // wParam SkinImage
constexpr UINT QVS_ENDCHANGE = 2137;       // to the parent: wParam 0
constexpr UINT QVS_SETTRACK = 2138;        // wParam 0 or 1
constexpr UINT QVS_SETTHUMBLENGTH = 2139;  // wParam pixels
constexpr UINT QVS_SETFOCUSTINT = 2140;    // wParam SkinTint
constexpr UINT QVS_SETIDLETINT = 2141;     // wParam SkinTint
constexpr DWORD QVSS_VERT = 0x0001;

// Value field. QVE_ADJUST is posted to the parent: wParam low word control id, high word the
// signed 16-bit delta in the parameter's units (0: re-read the text); lParam the field.
constexpr UINT QVE_ADJUST = 2225;
constexpr UINT QVE_SETACCEL = 2226;  // wParam 0 or 1
constexpr UINT QVE_SETFLAGS = 2227;  // wParam bit value 2: invert direction
constexpr UINT QVE_SETIMAGE = 2230;  // wParam SkinImage
constexpr DWORD QVES_LINEAR = 0x0001;
constexpr DWORD QVES_RIGHT = 0x0002;
constexpr WPARAM kFieldInvertFlag = 2;
// Notification code of the WM_COMMAND a typed-entry box posts when the user confirms a value.
constexpr WORD kTypedEntryCommitted = 0x300;
// Control identifier of the typed-entry box.
constexpr int kTypedEntryId = 4321;

// Frequency display. Reports are posted to the parent.
constexpr UINT QVF_CHANGED =
    2325;  // wParam low word id, high word 0 low cut / 1 high cut; lParam Hz
constexpr UINT QVF_SETLOWCUT = 2327;   // wParam Hz
constexpr UINT QVF_SETHIGHCUT = 2328;  // wParam Hz
constexpr UINT QVF_DBLCLK = 2329;      // wParam id, lParam handle hit: -1, 0 low, 1 high, 2 band
constexpr UINT QVF_SETOVERLAY = 2330;  // wParam shading bitmap (not owned)

// Reverb-time display. Reports are posted to the parent. Value indices: 0 bass multiplier in
// tenths, 1 crossover in Hz, 2 decay in ms, 3 high damping in Hz.
constexpr UINT QVR_CHANGED = 2425;     // wParam low word id, high word value index; lParam value
constexpr UINT QVR_SETVALUE = 2426;    // wParam value index, lParam value
constexpr UINT QVR_DBLCLK = 2427;      // wParam id, lParam handle hit: -1, 0 bass, 1 decay
constexpr UINT QVR_SETOVERLAY = 2428;  // wParam shading bitmap (not owned)

// Level meter; it sends nothing.
constexpr UINT QVM_SETRANGE = 2625;   // wParam minimum, lParam maximum
constexpr UINT QVM_SETLEVELS = 2626;  // wParam level A, lParam level B: one update step
constexpr UINT QVM_GETHOLD = 2627;    // wParam int* for A or null, lParam int* for B or null
constexpr UINT QVM_RESETMAX = 2628;
constexpr UINT QVM_GETMAX = 2629;     // wParam int* for A or null, lParam int* for B or null
constexpr UINT QVM_SETIMAGES = 2630;  // wParam unlit SkinImage, lParam lit SkinImage
constexpr UINT QVM_SETDECAY = 2631;   // wParam decay per update in level units
constexpr DWORD QVMS_VERT = 0x0001;
constexpr DWORD QVMS_INVERT = 0x0002;
constexpr DWORD QVMS_BALLISTICS = 0x0008;

// Static image.
constexpr UINT QVI_SETBITMAP = 2874;  // wParam bitmap resource number
constexpr UINT QVI_CLICKED = 2875;    // posted to the parent: wParam id, lParam client position

// Registers the nine classes for module, which is also where the controls load their marker
// bitmap, cursors and static images from. Registering again fails harmlessly for the classes
// that exist. Returns how many classes were newly registered.
int RegisterSkinControls(HINSTANCE module);

// Process-wide state of the controls (UI thread only, plain variables).
extern HINSTANCE SkinModule;   // the module given to RegisterSkinControls (not owned)
extern HWND TypedEntryWindow;  // the open typed-entry box, or none (not owned)
extern bool
    ControlDragActive;  // a button, slider, value field or frequency display holds the mouse
extern bool RevTimeDragActive;  // the reverb-time display holds the mouse
bool IsControlDragActive();
bool IsRevTimeDragActive();

// Opens the typed-entry box over a value field; closes the one that is open, if any.
void OpenTypedEntry(HWND field);
void CloseTypedEntry();

// Room for a peak readout text.
constexpr int kMeterPeakTextSize = 64;
// Writes the readout of two levels (tenths of a decibel) into out (kMeterPeakTextSize chars):
// text A, spaces sized with the font in the window's device context, text B.
void FormatMeterPeakText(HWND window, HFONT font, char* out, int a, int b);
