// The engine control interface: how the editor page, persistence and presets read and change
// everything the engine holds. Implemented by CAudioTransform; the method order is the
// interface's binary contract.
#pragma once

#include "engine/Identifiers.h"
#include "engine/SetupBlock.h"
#include "platform/Platform.h"

// Undo kinds other than control identifiers.
constexpr int kUndoCommand = -2;
constexpr int kUndoStereoToggle = -3;

// Codes of the WM_COMMAND notice posted to registered editor windows (high word of wParam).
constexpr int kNoticeInputFormat = 0;
constexpr int kNoticeOutputFormat = 1;
constexpr int kNoticeStateLoaded = 100;

struct IHqPlugInProp : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE GetAllParams(SetupBlock* block) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetAllParams(const SetupBlock* block) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetWaveFormat(WAVEFORMATEX* format, int which) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetNotifyWindow(HWND window, int commandId) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetInput(int* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetInput(int value, BOOL notify) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetLowCut(int* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetLowCut(int value, BOOL notify) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetHighCut(int* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetHighCut(int value, BOOL notify) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetPredelay(int* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetPredelay(int value, BOOL notify) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetRoomSize(int* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetRoomSize(int value, BOOL notify) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetDiffusion(int* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetDiffusion(int value, BOOL notify) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetBassMult(int* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetBassMult(int value, BOOL notify) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetCrossover(int* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetCrossover(int value, BOOL notify) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetDecay(int* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetDecay(int value, BOOL notify) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetHighDamping(int* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetHighDamping(int value, BOOL notify) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetDry(int* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetDry(int value, BOOL notify) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetER(int* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetER(int value, BOOL notify) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetReverb(int* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetReverb(int value, BOOL notify) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetInputMute(int* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetInputMute(int value, BOOL notify) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetDryMute(int* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetDryMute(int value, BOOL notify) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetERMute(int* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetERMute(int value, BOOL notify) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetReverbMute(int* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetReverbMute(int value, BOOL notify) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetWidth(int* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetWidth(int value, BOOL notify) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetTail(int* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetTail(int value, BOOL notify) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetStereo(int* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetStereo(int value, BOOL notify) = 0;
    virtual HRESULT STDMETHODCALLTYPE Recalculate() = 0;
    virtual HRESULT STDMETHODCALLTYPE EndCapture() = 0;
    virtual HRESULT STDMETHODCALLTYPE SetCaptureMode(BOOL hold, BOOL multi) = 0;
    virtual int STDMETHODCALLTYPE GetClipLeft(int k) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetClipLeft(int k, int value) = 0;
    virtual int STDMETHODCALLTYPE GetClipRight(int k) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetClipRight(int k, int value) = 0;
    virtual void STDMETHODCALLTYPE GetMeters(double meters[4]) = 0;
    virtual int STDMETHODCALLTYPE GetPresetIndex() = 0;
    virtual HRESULT STDMETHODCALLTYPE SetPresetIndex(int index) = 0;
    virtual int STDMETHODCALLTYPE GetBypass() = 0;
    virtual HRESULT STDMETHODCALLTYPE SetBypass(int value) = 0;
    virtual int STDMETHODCALLTYPE GetSetup() = 0;
    virtual HRESULT STDMETHODCALLTYPE SelectSetup(int index) = 0;
    virtual HRESULT STDMETHODCALLTYPE CopySetup(int from, int to) = 0;
    virtual HRESULT STDMETHODCALLTYPE SaveUndo(int kind) = 0;
    virtual HRESULT STDMETHODCALLTYPE Undo() = 0;
    virtual HRESULT STDMETHODCALLTYPE QueryParamsChanged() = 0;
    virtual HRESULT STDMETHODCALLTYPE SetParamsChanged(BOOL changed) = 0;
};
