// The reverb's editor: the property page a host shows for the filter. A fixed 428 x 453 skinned
// panel built from the control toolkit over an almost empty dialog template, bound to the engine
// through IHqPlugInProp: every gesture becomes one setter call with notification on, and every
// change from elsewhere (automation, host presets, Undo, setups) comes back through
// UpdateControls. Owns its skin, fonts and the preset store while its window exists.
//
// Everything here runs on the host's user-interface thread and takes no lock; the engine's
// setters take the engine's own.
#pragma once

#include <memory>

#include "engine/HqPlugInProp.h"
#include "framework/BasePropertyPage.h"
#include "framework/ComPtr.h"
#include "platform/Platform.h"
#include "ui/page/PageBindings.h"
#include "ui/page/PageSkin.h"

class CPresetList;

// Resources of the page.
namespace PageResource {
constexpr int kDialog = 106;
constexpr int kTitle = 1;
}  // namespace PageResource

// The command identifier of the engine's notices to the page (WM_COMMAND, code in the high word).
constexpr int kEngineNoticeCommand = 32700;

// UpdateControls' text modes.
enum class TextMode {
    kNone = 0,        // values to the controls only; the fields keep their texts
    kWithText = 1,    // values and field texts
    kNotRevTime = 2,  // texts, and values to every control but the reverb-time display
};

class CHqPlugInPropPage final : public CBasePropertyPage {
public:
    // The class factory's creation function: E_OUTOFMEMORY when the page cannot be had.
    static CUnknown* CreateInstance(IUnknown* outer, HRESULT* hr);

    // The title (string 1) and the panel's fixed size; no help file.
    HRESULT STDMETHODCALLTYPE GetPageInfo(PROPPAGEINFO* info) override;
    // Opens "HalvernqvReverb.chm" beside the plug-in library in the platform's HTML help
    // viewer, or says in a message box why it cannot. Always S_OK.
    HRESULT STDMETHODCALLTYPE Help(LPCOLESTR helpFolder) override;

    // E_POINTER for none; E_NOINTERFACE for an object without the engine's interface.
    HRESULT OnConnect(IUnknown* object) override;
    // E_UNEXPECTED when no engine is held.
    HRESULT OnDisconnect() override;
    INT_PTR OnReceiveMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override;

    // The seven sliders' value ranges.
    void SetSliderRanges();
    // Reads the rows of the binding table keyed `id` (all for 0) from the engine into their
    // controls, after Recalculate when `recalculate` is set. Nothing without engine or window.
    void UpdateControls(int id, TextMode text, bool recalculate);
    // The Width field is enabled exactly while the Stereo switch is on.
    void UpdateWidthEnable();

private:
    CHqPlugInPropPage(IUnknown* outer, HRESULT* hr);
    ~CHqPlugInPropPage() override;

    // Window lifetime (HqPlugInPropPage.cpp).
    INT_PTR OnInitDialog(HWND window);
    void OnDestroy();
    void OnEraseBackground(HDC dc);
    void SendValue(const PageBinding::Row& row, int value, TextMode text);

    // Value notifications from the controls (PageValues.cpp).
    void OnSliderChanging(HWND slider, int value);
    void OnSliderDoubleClick(int sliderId);
    void OnFieldAdjust(HWND field, int delta);
    void OnFieldCommitted(HWND field);
    void OnFreqChanged(int handle, int hertz);
    void OnFreqDoubleClick(int handle);
    void OnRevTimeChanged(int index, int value);
    void OnRevTimeDoubleClick(int handle);
    void SetSetting(int setting, int value);
    int GetSetting(int setting);

    // Page commands (PageCommands.cpp).
    void OnCommand(int id, int code, HWND control);
    void ToggleBypass();
    void UndoLastStep();
    void SwitchSetup();
    void ShowSetupMenu();
    void SelectSetup(int index);
    void CopyStoredSetupToLive();
    void ResetSettings();
    void ToggleMute(int buttonId);
    void ToggleTail();
    void ToggleStereo();
    void SetSetupCaption(int index);
    void RefreshAll();
    void AnswerPresetData(char** data);
    // Left and bottom of a button in screen coordinates, where its menu opens.
    POINT MenuPointUnder(int buttonId);

    // The preset menu (PagePresets.cpp).
    void ShowPresetMenu();
    void UpdateCurrentPreset();
    void ApplyPreset(const char* data, int version);

    // The refresh tick, meters and clip indicators (PageRefresh.cpp).
    void OnTimer();
    void UpdateClipIndicators();
    void UpdateMeters();
    void OnClipIndicatorClicked(int id);
    void OnPeakTextClicked(int id);

    ComPtr<IHqPlugInProp> engine_;          // held while connected
    std::unique_ptr<PageSkin> skin_;        // while the window exists
    std::unique_ptr<CPresetList> presets_;  // while the window exists
    int screenBitsPerPixel_ = 0;
    bool firstTick_ = true;    // until the first refresh tick of this page object
    bool firstErase_ = false;  // from window creation until the first background erase
};
