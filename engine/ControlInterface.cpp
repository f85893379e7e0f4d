// The engine control interface apart from the eighteen parameter accessors: whole-block access,
// switches, setups A/B, undo, meters and clip counters, captures and editor registration.
// Operations on whole blocks take the lock as well, since a host thread may apply a state or a
// preset while the editor switches setups.
#include <algorithm>
#include <cstring>

#include "engine/AudioTransform.h"

namespace {

constexpr int kClipCounters = 4;

bool IsClipCounter(int k) {
    return k >= 0 && k < kClipCounters;
}

}  // namespace

HRESULT CAudioTransform::GetAllParams(SetupBlock* block) {
    if (block == nullptr) return E_POINTER;
    CAutoLock guard(&lock_);
    *block = live_;
    return S_OK;
}

HRESULT CAudioTransform::SetAllParams(const SetupBlock* block) {
    if (block == nullptr) return E_POINTER;
    CAutoLock guard(&lock_);
    // Copied first: the block may be the live block itself.
    const SetupBlock b = *block;
    using namespace SetupWord;
    // Every word is applied even after a setter failed; the first failure is reported.
    HRESULT hr = S_OK;
    const auto keep = [&hr](HRESULT result) {
        if (SUCCEEDED(hr)) hr = result;
    };
    keep(SetInput(b.words[kInput], TRUE));
    keep(SetLowCut(b.words[kLowCut], TRUE));
    keep(SetPredelay(b.words[kPredelay], TRUE));
    keep(SetHighCut(b.words[kHighCut], TRUE));
    keep(SetRoomSize(b.words[kRoomSize], TRUE));
    keep(SetDiffusion(b.words[kDiffusion], TRUE));
    keep(SetBassMult(b.words[kBassMult], TRUE));
    keep(SetCrossover(b.words[kCrossover], TRUE));
    keep(SetDecay(b.words[kDecay], TRUE));
    keep(SetReverb(b.words[kReverb], TRUE));
    keep(SetInputMute(b.words[kInputMute], TRUE));
    keep(SetDryMute(b.words[kDryMute], TRUE));
    keep(SetReverbMute(b.words[kReverbMute], TRUE));
    keep(SetHighDamping(b.words[kHighDamping], TRUE));
    keep(SetER(b.words[kER], TRUE));
    keep(SetERMute(b.words[kERMute], TRUE));
    keep(SetTail(b.words[kTail], TRUE));
    keep(SetDry(b.words[kDry], TRUE));
    keep(SetWidth(b.words[kWidth], TRUE));
    MarkSettingsChanged();
    keep(EndCapture());
    return hr;
}

HRESULT CAudioTransform::GetWaveFormat(WAVEFORMATEX* format, int which) {
    if (format == nullptr) return E_POINTER;
    const WAVEFORMATEX* record = which == 0 ? inputFormat_ : (which == 1 ? outputFormat_ : nullptr);
    if (record == nullptr) return VFW_E_NOT_CONNECTED;
    std::memcpy(format, record, sizeof(WAVEFORMATEX));
    return S_OK;
}

HRESULT CAudioTransform::SetNotifyWindow(HWND window, int commandId) {
    // A null window would hold a slot that reads as free.
    if (window == nullptr && commandId != 0) return E_INVALIDARG;
    CAutoLock guard(&lock_);
    auto holding = std::find_if(std::begin(notifySlots_), std::end(notifySlots_),
                                [window](const NotifySlot& s) { return s.window == window; });
    if (commandId == 0) {
        if (holding != std::end(notifySlots_)) *holding = NotifySlot{};
        return S_OK;
    }
    if (holding == std::end(notifySlots_)) {
        holding = std::find_if(std::begin(notifySlots_), std::end(notifySlots_),
                               [](const NotifySlot& s) { return s.window == nullptr; });
        if (holding == std::end(notifySlots_)) return E_OUTOFMEMORY;
    }
    *holding = NotifySlot{window, commandId};
    return S_OK;
}

HRESULT CAudioTransform::GetTail(int* value) {
    return GetWord(SetupWord::kTail, value);
}

HRESULT CAudioTransform::SetTail(int value, BOOL /*notify*/) {
    value = std::clamp(value, 0, 1);
    CAutoLock guard(&lock_);
    if (value != live_.words[SetupWord::kTail]) {
        StoreLive(SetupWord::kTail, value);
        MarkSettingsChanged();
    }
    return S_OK;
}

HRESULT CAudioTransform::GetStereo(int* value) {
    if (value == nullptr) return E_POINTER;
    *value = stereo_.load(std::memory_order_relaxed);
    return S_OK;
}

HRESULT CAudioTransform::SetStereo(int value, BOOL /*notify*/) {
    const int on = std::clamp(value, 0, 1) != 0 ? 1 : 0;
    CAutoLock guard(&lock_);
    if (on == stereo_.load(std::memory_order_relaxed)) return S_OK;
    // Mono is Width 0; the width in force before Mono returns with Stereo.
    if (on) {
        SetWidth(savedWidth_, FALSE);
    } else {
        savedWidth_ = live_.words[SetupWord::kWidth];
        SetWidth(0, FALSE);
    }
    stereo_.store(on, std::memory_order_relaxed);
    StoreLive(SetupWord::kStereo, on);
    MarkSettingsChanged();
    return S_OK;
}

HRESULT CAudioTransform::Recalculate() {
    // The derivation itself is left to the next block (or to the start of streaming): the
    // coefficients and line lengths belong to the streaming thread while a block runs. The
    // getters return the automated values as soon as this returns.
    SetupBlock snapshot;
    SyncFromAutomation(&snapshot);
    coefficientsValid_.store(0, std::memory_order_release);
    return S_OK;
}

HRESULT CAudioTransform::EndCapture() {
    CAutoLock guard(&lock_);
    if (captureHold_.load(std::memory_order_relaxed) ||
        captureMulti_.load(std::memory_order_relaxed) || automation_ == nullptr ||
        captureList_[0] == -1) {
        return S_OK;
    }
    IMediaParamsUICallback* relay = automation_->CaptureRelay();
    // Every open capture is ended even when the host's callback refuses one: the editor has
    // let go of all of them.
    for (int k = 0; k < captureCount_; ++k) {
        DWORD one = static_cast<DWORD>(captureList_[k]);
        relay->ParamsEndCapture(&one, 1);
        captureList_[k] = -1;
    }
    captureCount_ = 0;
    return S_OK;
}

HRESULT CAudioTransform::SetCaptureMode(BOOL hold, BOOL multi) {
    captureHold_.store(hold, std::memory_order_relaxed);
    captureMulti_.store(multi, std::memory_order_relaxed);
    return S_OK;
}

// A counter outside 0 to 3 reads as 0 and cannot be written.
int CAudioTransform::GetClipLeft(int k) {
    return IsClipCounter(k) ? clipLeft_[k].load(std::memory_order_relaxed) : 0;
}

HRESULT CAudioTransform::SetClipLeft(int k, int value) {
    if (!IsClipCounter(k)) return E_INVALIDARG;
    clipLeft_[k].store(value, std::memory_order_relaxed);
    return S_OK;
}

int CAudioTransform::GetClipRight(int k) {
    return IsClipCounter(k) ? clipRight_[k].load(std::memory_order_relaxed) : 0;
}

HRESULT CAudioTransform::SetClipRight(int k, int value) {
    if (!IsClipCounter(k)) return E_INVALIDARG;
    clipRight_[k].store(value, std::memory_order_relaxed);
    return S_OK;
}

void CAudioTransform::GetMeters(double meters[4]) {
    if (meters == nullptr) return;  // nothing to answer with: the method returns no HRESULT
    for (int k = 0; k < 4; ++k) meters[k] = meters_[k].load(std::memory_order_relaxed);
    metersRead_.store(1, std::memory_order_relaxed);
}

int CAudioTransform::GetPresetIndex() {
    return presetIndex_.load(std::memory_order_relaxed);
}

HRESULT CAudioTransform::SetPresetIndex(int index) {
    presetIndex_.store(index, std::memory_order_relaxed);
    return S_OK;
}

int CAudioTransform::GetBypass() {
    return bypass_.load(std::memory_order_relaxed);
}

HRESULT CAudioTransform::SetBypass(int value) {
    bypass_.store(value, std::memory_order_relaxed);
    return S_OK;
}

int CAudioTransform::GetSetup() {
    CAutoLock guard(&lock_);
    return liveSetup_;
}

HRESULT CAudioTransform::SelectSetup(int index) {
    if (index != 0 && index != 1) return E_INVALIDARG;
    CAutoLock guard(&lock_);
    if (index == liveSetup_) return S_OK;
    liveSetup_ = index;
    const SetupBlock previous = live_;
    const HRESULT hr = SetAllParams(&stored_);
    stored_ = previous;
    return hr;
}

HRESULT CAudioTransform::CopySetup(int from, int to) {
    CAutoLock guard(&lock_);
    if (from == 0 && to == 1) {
        stored_ = live_;
    } else if (from == 1 && to == 0) {
        StoreLiveBlock(stored_);
        return SetAllParams(&live_);
    }
    return S_OK;
}

HRESULT CAudioTransform::SaveUndo(int kind) {
    CAutoLock guard(&lock_);
    if (kind == kUndoStereoToggle) {
        undo_.words[SetupWord::kStereo] = live_.words[SetupWord::kStereo];
    } else if (!((kind < 0 || kind == undoKind_) && captureList_[0] != -1 &&
                 kind != kUndoCommand)) {
        undo_ = live_;
    }
    // Within one gesture (its capture still open) the first snapshot is kept.
    undoKind_ = kind;
    return S_OK;
}

HRESULT CAudioTransform::Undo() {
    CAutoLock guard(&lock_);
    HRESULT hr = S_OK;
    if (undoKind_ == kUndoStereoToggle) {
        // Toggles back whatever the toggle after the snapshot did.
        hr = SetStereo(live_.words[SetupWord::kStereo] == 0 ? 1 : 0, TRUE);
    } else {
        const SetupBlock previous = live_;
        StoreLiveBlock(undo_);
        undo_ = previous;
        hr = SetAllParams(&live_);
    }
    MarkSettingsChanged();
    return hr;
}

HRESULT CAudioTransform::QueryParamsChanged() {
    if (automation_ != nullptr && automation_->TestAndClearChanged() == S_OK) {
        SetParamsChanged(TRUE);
    }
    return paramsChanged_.load(std::memory_order_relaxed) ? S_OK : S_FALSE;
}

HRESULT CAudioTransform::SetParamsChanged(BOOL changed) {
    paramsChanged_.store(changed, std::memory_order_relaxed);
    return S_OK;
}
