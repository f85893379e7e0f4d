// The reverb engine: settings, derived coefficients, delay memories, meters and the block
// operations, reached from outside through IHqPlugInProp. The filter object derives from it;
// the command-line renderer, the tests and the benchmarks use CStandaloneReverb.
//
// Threads and locks. The streaming thread runs the block operations; the editor's and the
// host's threads call the setters and the control interface; the graph's control thread calls
// AllocateBuffers and ReleaseBuffers. lock_ (recursive) guards the live, stored and undo blocks
// and the recalculation flag; it is always the outer lock: the engine calls its automation
// object while holding it and the automation object never calls back into the engine. The block
// operations take it only inside SyncFromAutomation. Single words shared between threads
// without the lock (bypass, clip counters, meters, flags) are atomics.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "engine/EngineAutomation.h"
#include "engine/HqPlugInProp.h"
#include "engine/ParameterTable.h"
#include "engine/ReverbCore.h"
#include "engine/SetupBlock.h"
#include "platform/CritSec.h"
#include "platform/Platform.h"

// The sample rates the engine streams, in hertz: any rate at which its frame counts hold in 32
// bits. The longest tail (Decay 20 s at Bass Mult 3.0, 60 s) bounds them. At low rates the
// derivations keep the bass shelf's crossover below half the rate and every delay at least one
// frame long.
constexpr DWORD kLongestTailSeconds = 60;
constexpr DWORD kMaxSampleRateHz = 0x7FFFFFFF / kLongestTailSeconds;
constexpr bool IsSupportedSampleRate(DWORD rateHz) {
    return rateHz >= 1 && rateHz <= kMaxSampleRateHz;
}

// The engine's saved state (Save's bytes) for hosts that keep it themselves, as the renderer's
// state files and the LV2 state do, and back into the engine (Load's answer), through a memory
// stream. E_OUTOFMEMORY when no stream can be had.
class CAudioTransform;
HRESULT SaveStateBytes(CAudioTransform& engine, std::vector<char>* bytes);
HRESULT LoadStateBytes(CAudioTransform& engine, const void* data, std::size_t size);

// Block-operation modes.
constexpr int kModeDiscontinuity = 0;
constexpr int kModeContinue = 1;
constexpr int kModeTail = 2;

class CAudioTransform : public IHqPlugInProp {
public:
    // Creates the automation object through createAutomation when status holds a success
    // value; a failure is reported through status and the engine runs without automation.
    explicit CAudioTransform(HRESULT* status, AutomationFactory createAutomation = nullptr);
    virtual ~CAudioTransform();
    CAudioTransform(const CAudioTransform&) = delete;
    CAudioTransform& operator=(const CAudioTransform&) = delete;

    // Delay memories, on the graph's control thread: allocated when streaming starts, freed
    // when it stops. The format records must stay valid until ReleaseBuffers. E_INVALIDARG for
    // an input rate outside the supported range, E_OUTOFMEMORY when a memory cannot be had.
    HRESULT AllocateBuffers(const WAVEFORMATEX* input, const WAVEFORMATEX* output);
    HRESULT ReleaseBuffers();
    void FreeBuffers();
    void ResetMeters();

    // Format helpers for type negotiation and buffer sizing.
    int CheckOutputFormat(const WAVEFORMATEX* input, const WAVEFORMATEX* output);
    HRESULT DeriveOutputFormat(WAVEFORMATEX* format);
    HRESULT NegotiateBuffers(IMemAllocator* allocator, ALLOCATOR_PROPERTIES* props);
    // The filter points the engine at its agreed format records (0 input, 1 output).
    void SetFormatRecord(int direction, const WAVEFORMATEX* format);

    // Parameter model. SetParameter and GetParameter reach parameter `index` of the table as
    // its own setter and getter do (Set<Name>, Get<Name>).
    HRESULT SetParameter(int index, int value, BOOL notify);
    int GetParameter(int index) const { return LoadLive(kParameters[index].word); }
    int SyncFromAutomation(SetupBlock* snapshot);
    HRESULT RecalculateCoefficients(const SetupBlock* snapshot, int mode);
    void NotifyParamChange(int index, float normalised);

    // Block operations on interleaved samples (1 or 2 channels in, 2 out); mode 0, 1 or 2.
    // Return a failure, S_FALSE in mode 2 when the tail has ended or bypass is on, else S_OK.
    HRESULT ProcessFloat32(int mode, const float* input, DWORD* inputFrames, float* output,
                           DWORD* outputFrames);
    HRESULT ProcessFloat64(int mode, const double* input, DWORD* inputFrames, double* output,
                           DWORD* outputFrames);

    // Posts WM_COMMAND (command identifier, code) to every registered editor window.
    void NotifyEditors(int code);

    // Built-in host presets: "(Default)" and "[1] Default Reverb".
    HRESULT ApplyPreset(DWORD index);

    // Persisted state and host presets (PersistentState.cpp), on the host's user-interface
    // thread. The filter routes IPersistStream and IStaticFilterPreset to these and to
    // ApplyPreset above. The state is a 100-byte stream: total length, the IHqPlugInProp
    // identifier as tag, then the SetupBlock; the older 80, 92 and 96-byte forms load too.
    HRESULT IsDirty();                               // S_OK dirty, S_FALSE clean
    HRESULT Load(IStream* stream);                   // E_FAIL for a malformed stream
    HRESULT Save(IStream* stream, BOOL clearDirty);  // synchronised with automation first
    HRESULT GetSizeMax(ULARGE_INTEGER* size);        // 100
    HRESULT GetPresetCount(DWORD* count);            // 2
    HRESULT GetPresetName(DWORD index, LPWSTR name, int nameLength);

    // Dirty flag of the persisted state.
    bool IsDirtyFlag() const { return dirty_.load(std::memory_order_relaxed) != 0; }
    void ClearDirtyFlag() { dirty_.store(0, std::memory_order_relaxed); }

    // The automation object, or null when its creation failed or none was asked for. Not counted.
    IEngineAutomation* Automation() const { return automation_; }

    // Read-only views for diagnostics and tests.
    const Coefficients& DerivedCoefficients() const { return core_.Derived(); }
    const DelayMemory& Memory(int index) const { return core_.Memory(index); }
    // Four frames at a time where the processor can (the default), or two: the output is the
    // same; the tests and benchmarks run both.
    void UseWideFrames(bool wide) { core_.UseWideFrames(wide); }
    std::int32_t TailCounter() const { return tailCounter_; }

    // IHqPlugInProp (IUnknown is the owner's).
    HRESULT STDMETHODCALLTYPE GetAllParams(SetupBlock* block) override;
    HRESULT STDMETHODCALLTYPE SetAllParams(const SetupBlock* block) override;
    HRESULT STDMETHODCALLTYPE GetWaveFormat(WAVEFORMATEX* format, int which) override;
    HRESULT STDMETHODCALLTYPE SetNotifyWindow(HWND window, int commandId) override;
    HRESULT STDMETHODCALLTYPE GetInput(int* value) override;
    HRESULT STDMETHODCALLTYPE SetInput(int value, BOOL notify) override;
    HRESULT STDMETHODCALLTYPE GetLowCut(int* value) override;
    HRESULT STDMETHODCALLTYPE SetLowCut(int value, BOOL notify) override;
    HRESULT STDMETHODCALLTYPE GetHighCut(int* value) override;
    HRESULT STDMETHODCALLTYPE SetHighCut(int value, BOOL notify) override;
    HRESULT STDMETHODCALLTYPE GetPredelay(int* value) override;
    HRESULT STDMETHODCALLTYPE SetPredelay(int value, BOOL notify) override;
    HRESULT STDMETHODCALLTYPE GetRoomSize(int* value) override;
    HRESULT STDMETHODCALLTYPE SetRoomSize(int value, BOOL notify) override;
    HRESULT STDMETHODCALLTYPE GetDiffusion(int* value) override;
    HRESULT STDMETHODCALLTYPE SetDiffusion(int value, BOOL notify) override;
    HRESULT STDMETHODCALLTYPE GetBassMult(int* value) override;
    HRESULT STDMETHODCALLTYPE SetBassMult(int value, BOOL notify) override;
    HRESULT STDMETHODCALLTYPE GetCrossover(int* value) override;
    HRESULT STDMETHODCALLTYPE SetCrossover(int value, BOOL notify) override;
    HRESULT STDMETHODCALLTYPE GetDecay(int* value) override;
    HRESULT STDMETHODCALLTYPE SetDecay(int value, BOOL notify) override;
    HRESULT STDMETHODCALLTYPE GetHighDamping(int* value) override;
    HRESULT STDMETHODCALLTYPE SetHighDamping(int value, BOOL notify) override;
    HRESULT STDMETHODCALLTYPE GetDry(int* value) override;
    HRESULT STDMETHODCALLTYPE SetDry(int value, BOOL notify) override;
    HRESULT STDMETHODCALLTYPE GetER(int* value) override;
    HRESULT STDMETHODCALLTYPE SetER(int value, BOOL notify) override;
    HRESULT STDMETHODCALLTYPE GetReverb(int* value) override;
    HRESULT STDMETHODCALLTYPE SetReverb(int value, BOOL notify) override;
    HRESULT STDMETHODCALLTYPE GetInputMute(int* value) override;
    HRESULT STDMETHODCALLTYPE SetInputMute(int value, BOOL notify) override;
    HRESULT STDMETHODCALLTYPE GetDryMute(int* value) override;
    HRESULT STDMETHODCALLTYPE SetDryMute(int value, BOOL notify) override;
    HRESULT STDMETHODCALLTYPE GetERMute(int* value) override;
    HRESULT STDMETHODCALLTYPE SetERMute(int value, BOOL notify) override;
    HRESULT STDMETHODCALLTYPE GetReverbMute(int* value) override;
    HRESULT STDMETHODCALLTYPE SetReverbMute(int value, BOOL notify) override;
    HRESULT STDMETHODCALLTYPE GetWidth(int* value) override;
    HRESULT STDMETHODCALLTYPE SetWidth(int value, BOOL notify) override;
    HRESULT STDMETHODCALLTYPE GetTail(int* value) override;
    HRESULT STDMETHODCALLTYPE SetTail(int value, BOOL notify) override;
    HRESULT STDMETHODCALLTYPE GetStereo(int* value) override;
    HRESULT STDMETHODCALLTYPE SetStereo(int value, BOOL notify) override;
    HRESULT STDMETHODCALLTYPE Recalculate() override;
    HRESULT STDMETHODCALLTYPE EndCapture() override;
    HRESULT STDMETHODCALLTYPE SetCaptureMode(BOOL hold, BOOL multi) override;
    int STDMETHODCALLTYPE GetClipLeft(int k) override;
    HRESULT STDMETHODCALLTYPE SetClipLeft(int k, int value) override;
    int STDMETHODCALLTYPE GetClipRight(int k) override;
    HRESULT STDMETHODCALLTYPE SetClipRight(int k, int value) override;
    void STDMETHODCALLTYPE GetMeters(double meters[4]) override;
    int STDMETHODCALLTYPE GetPresetIndex() override;
    HRESULT STDMETHODCALLTYPE SetPresetIndex(int index) override;
    int STDMETHODCALLTYPE GetBypass() override;
    HRESULT STDMETHODCALLTYPE SetBypass(int value) override;
    int STDMETHODCALLTYPE GetSetup() override;
    HRESULT STDMETHODCALLTYPE SelectSetup(int index) override;
    HRESULT STDMETHODCALLTYPE CopySetup(int from, int to) override;
    HRESULT STDMETHODCALLTYPE SaveUndo(int kind) override;
    HRESULT STDMETHODCALLTYPE Undo() override;
    HRESULT STDMETHODCALLTYPE QueryParamsChanged() override;
    HRESULT STDMETHODCALLTYPE SetParamsChanged(BOOL changed) override;

protected:
    // Every delay memory comes from here, so that a test can make one allocation fail.
    virtual double* AllocateDelayMemory(std::size_t frames);

private:
    HRESULT GetWord(int word, int* value) const;
    // Live words are read by the getters without the lock, so every write to one is atomic.
    int LoadLive(int word) const;
    void StoreLive(int word, int value);
    void StoreLiveBlock(const SetupBlock& block);
    void MarkSettingsChanged();  // recalculation and dirty flags; caller holds lock_
    int SampleRate() const;
    // frames x rate / referenceRate, the product in 64 bits (it passes 2^31 at high rates).
    // Half B reads delay A2 one frame before half A writes the slot again, which takes two
    // slots (only the lowest rates' smallest rooms come near); every other line takes one.
    static std::int32_t MinimumLineLength(int line) { return line == Line::kDelayA2 ? 2 : 1; }
    static std::int32_t ScaleFrames(std::int32_t frames, std::int32_t rate,
                                    std::int32_t referenceRate) {
        return static_cast<std::int32_t>(std::int64_t{frames} * rate / referenceRate);
    }
    HRESULT AllocateMemory(int index, std::int32_t frames);

    template <typename Sample>
    HRESULT ProcessBlock(int mode, const Sample* input, DWORD* inputFrames, Sample* output,
                         DWORD* outputFrames);

    CCritSec lock_;
    SetupBlock live_{};
    SetupBlock stored_{};
    SetupBlock undo_{};
    int undoKind_ = 0;
    int liveSetup_ = 0;
    int recalculate_ = 1;  // under lock_
    std::atomic<int> dirty_{0};
    int savedWidth_ = 100;  // under lock_
    struct NotifySlot {
        HWND window;  // not owned
        int commandId;
    };
    NotifySlot notifySlots_[2] = {};
    const WAVEFORMATEX* inputFormat_ = nullptr;   // not owned: the filter's records
    const WAVEFORMATEX* outputFormat_ = nullptr;  // not owned
    std::atomic<int> bypass_{0};
    std::atomic<int> presetIndex_{-1};
    std::atomic<int> paramsChanged_{0};  // editor-refresh flag
    std::atomic<int> coefficientsValid_{0};
    std::atomic<int> stereo_{-1};  // -1 until the first SetStereo

    CReverbCore core_;  // the signal path, its memories and states
    std::int32_t lastClearedRoomSize_ = 0;
    std::int32_t tailCounter_ = 0;

    std::atomic<int> clipLeft_[4] = {};
    std::atomic<int> clipRight_[4] = {};
    std::atomic<double> meters_[4] = {};
    std::atomic<int> metersRead_{0};

    IEngineAutomation* automation_ = nullptr;  // one reference, released by the destructor
    int captureList_[8] = {-1, -1, -1, -1, -1, -1, -1, -1};
    std::atomic<int> captureHold_{0};
    std::atomic<int> captureMulti_{0};
    int captureCount_ = 0;
};
