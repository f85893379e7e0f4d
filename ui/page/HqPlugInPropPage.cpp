// The editor page: its COM side (creation, page information, connection, help), its window's
// creation and destruction, the message dispatch and the refresh of the controls from the
// engine. The gestures, commands, preset menu and refresh tick live in the Page*.cpp units.
#include "ui/page/HqPlugInPropPage.h"

#include <cstdio>
#include <cstring>
#include <new>

#include "engine/ParameterAccess.h"
#include "framework/Module.h"
#include "presets/PresetList.h"
#include "ui/controls/SkinControls.h"
#include "ui/controls/SkinDrawing.h"
#include "ui/page/PageLayout.h"
#include "ui/page/ValueText.h"

namespace {

constexpr UINT_PTR kRefreshTimer = 0;
constexpr UINT kRefreshPeriodMs = 75;
constexpr char kHelpFileName[] = "HalvernqvReverb.chm";
constexpr char kHelpFailureText[] = "Unable to open the Halvern:qv Reverb help file:\n%s";

// The platform's HTML help viewer, loaded on first use and kept for the process's life (a help
// window it opened must outlive the page).
using HtmlHelpFunction = HWND(WINAPI*)(HWND, LPCSTR, UINT, DWORD_PTR);
constexpr UINT kHelpDisplayTopic = 0;  // HH_DISPLAY_TOPIC

HWND OpenHtmlHelp(HWND owner, const char* path) {
    static HtmlHelpFunction htmlHelp = [] {
        HMODULE viewer = LoadLibraryA("hhctrl.ocx");
        return viewer == nullptr ? nullptr
                                 : reinterpret_cast<HtmlHelpFunction>(reinterpret_cast<void*>(
                                       GetProcAddress(viewer, "HtmlHelpA")));
    }();
    if (htmlHelp == nullptr) return nullptr;
    return htmlHelp(owner, path, kHelpDisplayTopic, 0);
}

// Whether the window has the tool-window extended style (a host's floating plug-in window).
bool IsToolWindow(HWND window) {
    return window != nullptr && (GetWindowLongA(window, GWL_EXSTYLE) & WS_EX_TOOLWINDOW) != 0;
}

}  // namespace

CUnknown* CHqPlugInPropPage::CreateInstance(IUnknown* outer, HRESULT* hr) {
    auto* page = new (std::nothrow) CHqPlugInPropPage(outer, hr);
    if (page == nullptr && hr != nullptr) *hr = E_OUTOFMEMORY;
    return page;
}

CHqPlugInPropPage::CHqPlugInPropPage(IUnknown* outer, HRESULT*)
    : CBasePropertyPage(L"Halvern:qv Reverb Property Page", outer, PageResource::kDialog,
                        PageResource::kTitle) {
    RegisterSkinControls(ModuleInstance());
}

CHqPlugInPropPage::~CHqPlugInPropPage() {
    // The base destroys a window the frame left behind; that must not reach this half-destroyed
    // object, so the window's own destruction work runs here first.
    if (window_ != nullptr) OnDestroy();
}

HRESULT STDMETHODCALLTYPE CHqPlugInPropPage::GetPageInfo(PROPPAGEINFO* info) {
    if (info == nullptr) return E_POINTER;
    const HRESULT hr = CBasePropertyPage::GetPageInfo(info);
    if (FAILED(hr)) return hr;
    info->size.cx = PageLayout::kWidth;
    info->size.cy = PageLayout::kHeight;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CHqPlugInPropPage::Help(LPCOLESTR) {
    // The library's own path with everything after the last ":" or "\" replaced.
    char path[MAX_PATH + sizeof(kHelpFileName)] = {};
    GetModuleFileNameA(ModuleInstance(), path, MAX_PATH);
    char* name = path;
    for (char* p = path; *p != '\0'; ++p) {
        if (*p == '\\' || *p == ':') name = p + 1;
    }
    std::memcpy(name, kHelpFileName, sizeof(kHelpFileName));

    // A missing file is reported here; the viewer of some platforms opens an empty window.
    const bool exists = GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES;
    if (!exists || OpenHtmlHelp(window_, path) == nullptr) {
        char text[sizeof(path) + sizeof(kHelpFailureText)];
        std::snprintf(text, sizeof(text), kHelpFailureText, path);
        MessageBoxA(window_, text, "Error", MB_OK | MB_ICONEXCLAMATION);
    }
    return S_OK;
}

HRESULT CHqPlugInPropPage::OnConnect(IUnknown* object) {
    if (object == nullptr) return E_POINTER;
    if (engine_) OnDisconnect();
    ComPtr<IHqPlugInProp> engine;
    if (FAILED(object->QueryInterface(IID_IHqPlugInProp, engine.PutVoid())) || !engine) {
        return E_NOINTERFACE;
    }
    engine_ = engine;
    if (window_ != nullptr) {
        engine_->SetNotifyWindow(window_, kEngineNoticeCommand);
        UpdateControls(0, TextMode::kWithText, true);
    }
    return S_OK;
}

HRESULT CHqPlugInPropPage::OnDisconnect() {
    if (!engine_) return E_UNEXPECTED;
    if (window_ != nullptr) engine_->SetNotifyWindow(window_, 0);
    engine_.Reset();
    return S_OK;
}

INT_PTR CHqPlugInPropPage::OnReceiveMessage(HWND window, UINT message, WPARAM wParam,
                                            LPARAM lParam) {
    switch (message) {
        case WM_INITDIALOG:
            return OnInitDialog(window);
        case WM_DESTROY:
            OnDestroy();
            return 0;
        case WM_ERASEBKGND:
            OnEraseBackground(reinterpret_cast<HDC>(wParam));
            SetWindowLongPtrA(window, DWLP_MSGRESULT, 1);
            return TRUE;
        case WM_LBUTTONDOWN:
            CloseTypedEntry();
            return 0;
        case WM_TIMER:
            if (wParam == kRefreshTimer) OnTimer();
            return 0;
        case WM_COMMAND:
            OnCommand(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HWND>(lParam));
            return 0;
        case WM_GETPRESETDATA:
            AnswerPresetData(reinterpret_cast<char**>(wParam));
            return 0;
        case QVS_POSCHANGING:
            OnSliderChanging(reinterpret_cast<HWND>(lParam), static_cast<int>(wParam));
            return 0;
        case QVS_DBLCLK:
            OnSliderDoubleClick(static_cast<int>(wParam));
            return 0;
        case QVE_ADJUST:
            OnFieldAdjust(reinterpret_cast<HWND>(lParam), static_cast<short>(HIWORD(wParam)));
            return 0;
        case QVF_CHANGED:
            OnFreqChanged(HIWORD(wParam), static_cast<int>(lParam));
            return 0;
        case QVF_DBLCLK:
            OnFreqDoubleClick(static_cast<int>(lParam));
            return 0;
        case QVR_CHANGED:
            OnRevTimeChanged(HIWORD(wParam), static_cast<int>(lParam));
            return 0;
        case QVR_DBLCLK:
            OnRevTimeDoubleClick(static_cast<int>(lParam));
            return 0;
        default:
            return 0;
    }
}

INT_PTR CHqPlugInPropPage::OnInitDialog(HWND window) {
    // The base has put the page in the window's user data and remembered the window.
    screenBitsPerPixel_ = ScreenBitsPerPixel();
    if (engine_) engine_->SetNotifyWindow(window, kEngineNoticeCommand);

    skin_ = std::make_unique<PageSkin>(ModuleInstance());
    skin_->CreateControls(window);
    if (engine_) {
        SendDlgItemMessageA(window, 20010, QVB_SETCHECK, static_cast<WPARAM>(engine_->GetBypass()),
                            0);
        SetSetupCaption(engine_->GetSetup());
    }

    presets_ = std::make_unique<CPresetList>(ModuleInstance(), window, kPresetPluginName);
    presets_->SetAlternativeKey(kAlternativeClassKeyPath);
    presets_->Load(kFilterClassKeyPath, kPresetFileName);
    if (engine_) presets_->SetCurrentId(engine_->GetPresetIndex());

    SetSliderRanges();
    UpdateWidthEnable();
    UpdateControls(0, TextMode::kWithText, true);
    UpdateMeters();
    SetTimer(window, kRefreshTimer, kRefreshPeriodMs, nullptr);
    firstErase_ = true;
    return 0;
}

void CHqPlugInPropPage::OnDestroy() {
    HWND window = window_;
    if (window == nullptr) return;
    KillTimer(window, kRefreshTimer);
    if (engine_) {
        if (presets_) engine_->SetPresetIndex(presets_->GetCurrentId());
        engine_->SetNotifyWindow(window, 0);
    }
    // Unsaved changes of the preset library are not written.
    presets_.reset();
    skin_.reset();
}

void CHqPlugInPropPage::OnEraseBackground(HDC dc) {
    if (firstErase_) {
        firstErase_ = false;
        // A host's floating tool window does not repaint the page's children on its own first
        // show: repaint everything once.
        HWND parent = GetParent(window_);
        HWND grandparent = parent != nullptr ? GetParent(parent) : nullptr;
        HWND greatGrandparent = grandparent != nullptr ? GetParent(grandparent) : nullptr;
        if (IsToolWindow(parent) || IsToolWindow(grandparent) || IsToolWindow(greatGrandparent)) {
            InvalidateRect(window_, nullptr, TRUE);
        }
    }
    if (skin_) skin_->PaintBackground(dc);
}

void CHqPlugInPropPage::SetSliderRanges() {
    if (window_ == nullptr) return;
    for (const PageLayout::SliderSetup& s : PageLayout::kSliders) {
        SendDlgItemMessageA(window_, s.id, QVS_SETRANGE, static_cast<WPARAM>(s.minimum), s.maximum);
    }
}

void CHqPlugInPropPage::UpdateWidthEnable() {
    if (!engine_ || window_ == nullptr) return;
    int stereo = 0;
    engine_->GetStereo(&stereo);
    EnableAndRedrawItem(window_, 10031, stereo != 0);
}

int CHqPlugInPropPage::GetSetting(int setting) {
    int value = 0;
    if (setting == PageBinding::kTail) {
        engine_->GetTail(&value);
    } else if (setting == PageBinding::kStereo) {
        engine_->GetStereo(&value);
    } else {
        value = GetParameterValue(engine_.Get(), setting);
    }
    return value;
}

void CHqPlugInPropPage::SetSetting(int setting, int value) {
    SetParameterValue(engine_.Get(), setting, value, TRUE);
}

void CHqPlugInPropPage::SendValue(const PageBinding::Row& row, int value, TextMode text) {
    using PageBinding::Sink;
    HWND control = row.controlId != 0 ? GetDlgItem(window_, row.controlId) : nullptr;
    switch (row.sink) {
        case Sink::kNone:
            break;
        case Sink::kSlider:
            SendMessageA(control, QVS_SETPOS, static_cast<WPARAM>(value), 1);
            break;
        case Sink::kLowCut:
            SendMessageA(control, QVF_SETLOWCUT, static_cast<WPARAM>(value), 0);
            break;
        case Sink::kHighCut:
            SendMessageA(control, QVF_SETHIGHCUT, static_cast<WPARAM>(value * row.scale), 0);
            break;
        case Sink::kRevTime:
            // The display's own drag is the source of the value: do not fight it.
            if (text != TextMode::kNotRevTime) {
                SendMessageA(control, QVR_SETVALUE, static_cast<WPARAM>(row.revTimeIndex),
                             value * row.scale);
            }
            break;
        case Sink::kCheck:
            SendMessageA(control, QVB_SETCHECK, static_cast<WPARAM>(value), 1);
            break;
        case Sink::kStereoCaption:
            SetWindowTextA(control, value != 0 ? "Stereo" : "Mono");
            break;
    }
}

void CHqPlugInPropPage::UpdateControls(int id, TextMode text, bool recalculate) {
    if (!engine_ || window_ == nullptr) return;
    UpdateWidthEnable();
    if (recalculate) engine_->Recalculate();
    int stereo = 1;
    engine_->GetStereo(&stereo);
    for (const PageBinding::Row& row : PageBinding::kRows) {
        if (id != 0 && row.KeyId() != id) continue;
        const int value = GetSetting(row.setting);
        SendValue(row, value, text);
        // In Mono the disabled Width field keeps showing the width that Stereo brings back.
        const bool keepWidthText = row.setting == Param::kWidth && stereo == 0 &&
                                   GetWindowTextLengthA(GetDlgItem(window_, row.fieldId)) > 0;
        if (text != TextMode::kNone && row.fieldId != 0 && !keepWidthText) {
            char buffer[kValueTextSize];
            FormatValue(row.setting, value, buffer, sizeof(buffer));
            SetDlgItemTextA(window_, row.fieldId, buffer);
        }
    }
}
