// The LV2 plug-in: the engine (CStandaloneReverb) behind the ports described in
// halvern-reverb.ttl, with the engine's saved state through the state extension. The library
// exports lv2_descriptor alone.
//
// Threads. instantiate, activate, deactivate, restore and cleanup belong to LV2's instantiation
// class and never meet run(); save may run beside run(). The control ports reach the engine on
// the audio thread, in run(), and only those whose value changed since the last run, through
// the engine's setters. The engine's lock is therefore only ever taken by run() (those setters
// and the block operation's SyncFromAutomation) or by an instantiation-class call, so inside
// run() it is always free: one uncontended acquisition, never a wait. save() never touches the
// running engine: it reads the settings that run() publishes through a sequence counter (run()
// writes, save() retries) and renders the state bytes with an engine of its own. run()
// allocates nothing and touches no file: the host's blocks go through the engine in pieces,
// interleaved in buffers that are part of the instance.
#include <lv2/atom/atom.h>
#include <lv2/core/lv2.h>
#include <lv2/state/state.h>
#include <lv2/urid/urid.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstring>
#include <new>
#include <vector>

#include "engine/StandaloneReverb.h"
#include "lv2/PluginPorts.h"

namespace {

// The host's blocks are run through the engine in pieces of at most this many frames, which
// the interleaved buffers below hold.
constexpr std::uint32_t kPieceFrames = 4096;

// Owns one reference on an engine.
struct EngineHolder {
    CStandaloneReverb* engine = nullptr;
    ~EngineHolder() {
        if (engine != nullptr) engine->Release();
    }
};

class CReverbPlugin {
public:
    // Null when the rate is one the engine cannot stream or its memories cannot be had.
    static CReverbPlugin* Create(double sampleRate, const LV2_Feature* const* features);
    ~CReverbPlugin() {
        if (engine_.engine != nullptr) engine_.engine->ReleaseBuffers();
    }

    void Connect(std::uint32_t port, void* data) {
        if (port < Port::kCount) ports_[port] = static_cast<float*>(data);
    }
    void Activate();
    void Run(std::uint32_t frames);
    LV2_State_Status Save(LV2_State_Store_Function store, LV2_State_Handle handle);
    LV2_State_Status Restore(LV2_State_Retrieve_Function retrieve, LV2_State_Handle handle);

private:
    CReverbPlugin() = default;
    void ApplyControls();
    void TakeEngineSettings();  // the cache and the published words from the engine
    void Publish();

    EngineHolder engine_;
    WAVEFORMATEX inputFormat_{}, outputFormat_{};  // the engine reads them while it runs
    float* ports_[Port::kCount] = {};              // not owned: the host's buffers
    // The port values last applied to the engine, in its integer units.
    int applied_[Port::kCount] = {};
    int mode_ = kModeDiscontinuity;
    bool ranSinceAllocation_ = false;
    LV2_URID stateKey_ = 0, chunkType_ = 0;  // 0 without the host's URID map
    // The live settings as save() reads them: odd sequence while run() rewrites them.
    std::atomic<std::uint32_t> sequence_{0};
    std::atomic<std::int32_t> published_[kSetupWordCount] = {};
    float input_[2 * kPieceFrames] = {};
    float output_[2 * kPieceFrames] = {};
};

CReverbPlugin* CReverbPlugin::Create(double sampleRate, const LV2_Feature* const* features) {
    // Rates that round to one the engine streams.
    if (!(sampleRate >= 0.5 && sampleRate < kMaxSampleRateHz + 0.5)) return nullptr;
    CReverbPlugin* plugin = new (std::nothrow) CReverbPlugin;
    if (plugin == nullptr) return nullptr;
    HRESULT status = S_OK;
    plugin->engine_.engine = new (std::nothrow) CStandaloneReverb(&status);
    const auto rate = static_cast<DWORD>(std::lround(sampleRate));
    plugin->inputFormat_ = CStandaloneReverb::MakeFormat(WAVE_FORMAT_IEEE_FLOAT, 32, 2, rate);
    plugin->outputFormat_ = plugin->inputFormat_;
    if (plugin->engine_.engine == nullptr || FAILED(plugin->engine_.engine->AllocateBuffers(
                                                 &plugin->inputFormat_, &plugin->outputFormat_))) {
        delete plugin;
        return nullptr;
    }
    for (int i = 0; features != nullptr && features[i] != nullptr; ++i) {
        if (std::strcmp(features[i]->URI, LV2_URID__map) == 0 && features[i]->data != nullptr) {
            const auto* map = static_cast<const LV2_URID_Map*>(features[i]->data);
            plugin->stateKey_ = map->map(map->handle, kStateKeyUri);
            plugin->chunkType_ = map->map(map->handle, LV2_ATOM__Chunk);
        }
    }
    plugin->TakeEngineSettings();
    return plugin;
}

// LV2's activate starts the plug-in afresh: memories, filter states and meters are cleared by
// sizing the engine again (as the filter does when streaming starts), unless nothing has run
// since it was last sized.
void CReverbPlugin::Activate() {
    if (ranSinceAllocation_) {
        engine_.engine->AllocateBuffers(&inputFormat_, &outputFormat_);
        ranSinceAllocation_ = false;
    }
    mode_ = kModeDiscontinuity;
}

void CReverbPlugin::TakeEngineSettings() {
    CStandaloneReverb& engine = *engine_.engine;
    for (int i = 0; i < kParamCount; ++i) {
        applied_[Port::kFirstParameter + i] = engine.GetParameter(i);
    }
    engine.GetStereo(&applied_[Port::kStereo]);
    engine.GetTail(&applied_[Port::kTail]);
    Publish();
}

void CReverbPlugin::Publish() {
    SetupBlock live;
    engine_.engine->GetAllParams(&live);
    sequence_.fetch_add(1, std::memory_order_acq_rel);
    for (int w = 0; w < kSetupWordCount; ++w) {
        published_[w].store(live.words[w], std::memory_order_relaxed);
    }
    sequence_.fetch_add(1, std::memory_order_release);
}

// A control value in the engine's units: a switch is on above 0 (LV2's rule for toggled
// ports); a number is held to the parameter's range, then rounded to the nearest whole unit.
int ControlValue(float value, int minimum, int maximum, bool toggled) {
    if (toggled) return value > 0.0f ? 1 : 0;
    if (!(value >= static_cast<float>(minimum))) return minimum;  // also NaN
    if (value > static_cast<float>(maximum)) return maximum;
    return static_cast<int>(std::lround(value));
}

// On the audio thread: only the controls that changed since the last run reach the engine's
// setters, in port order (as the renderer applies --set in the order given).
void CReverbPlugin::ApplyControls() {
    CStandaloneReverb& engine = *engine_.engine;
    bool changed = false;
    for (int i = 0; i < kParamCount; ++i) {
        const float* port = ports_[Port::kFirstParameter + i];
        if (port == nullptr) continue;
        const ParameterDef& def = kParameters[i];
        const int value = ControlValue(*port, def.minimum, def.maximum, def.type == MPT_BOOL);
        int& applied = applied_[Port::kFirstParameter + i];
        if (value == applied) continue;
        applied = value;
        engine.SetParameter(i, value, FALSE);
        changed = true;
    }
    for (const int port : {Port::kStereo, Port::kTail}) {
        if (ports_[port] == nullptr) continue;
        const int value = ControlValue(*ports_[port], 0, 1, true);
        if (value == applied_[port]) continue;
        applied_[port] = value;
        if (port == Port::kStereo) {
            engine.SetStereo(value, FALSE);
        } else {
            engine.SetTail(value, FALSE);
        }
        changed = true;
    }
    if (changed) Publish();
}

void CReverbPlugin::Run(std::uint32_t frames) {
    const float* inL = ports_[Port::kInputLeft];
    const float* inR = ports_[Port::kInputRight];
    float* outL = ports_[Port::kOutputLeft];
    float* outR = ports_[Port::kOutputRight];
    if (inL == nullptr || inR == nullptr || outL == nullptr || outR == nullptr) return;
    ApplyControls();
    ranSinceAllocation_ = true;
    // The host may hand one buffer as input and output: each piece is read whole before any
    // of it is written.
    for (std::uint32_t done = 0; done < frames;) {
        const std::uint32_t piece = std::min(frames - done, kPieceFrames);
        for (std::uint32_t f = 0; f < piece; ++f) {
            input_[2 * f] = inL[done + f];
            input_[2 * f + 1] = inR[done + f];
        }
        DWORD inFrames = piece, outFrames = piece;
        if (FAILED(engine_.engine->ProcessFloat32(mode_, input_, &inFrames, output_, &outFrames))) {
            std::fill(output_, output_ + 2 * piece, 0.0f);  // no memories: silence
        }
        mode_ = kModeContinue;
        for (std::uint32_t f = 0; f < piece; ++f) {
            outL[done + f] = output_[2 * f];
            outR[done + f] = output_[2 * f + 1];
        }
        done += piece;
    }
}

// The state as the engine saves it (the DLL's and the renderer's 100 bytes), made by an engine
// of its own from the settings run() published, so the running engine is left alone.
LV2_State_Status CReverbPlugin::Save(LV2_State_Store_Function store, LV2_State_Handle handle) {
    if (stateKey_ == 0) return LV2_STATE_ERR_NO_FEATURE;
    SetupBlock settings;
    for (;;) {
        const std::uint32_t before = sequence_.load(std::memory_order_acquire);
        for (int w = 0; w < kSetupWordCount; ++w) {
            settings.words[w] = published_[w].load(std::memory_order_relaxed);
        }
        std::atomic_thread_fence(std::memory_order_acquire);
        if ((before & 1) == 0 && sequence_.load(std::memory_order_relaxed) == before) break;
    }
    HRESULT status = S_OK;
    EngineHolder copy{new (std::nothrow) CStandaloneReverb(&status)};
    if (copy.engine == nullptr) return LV2_STATE_ERR_UNKNOWN;
    copy.engine->SetAllParams(&settings);
    copy.engine->SetStereo(settings.words[SetupWord::kStereo], FALSE);
    std::vector<char> bytes;
    if (FAILED(SaveStateBytes(*copy.engine, &bytes))) return LV2_STATE_ERR_UNKNOWN;
    return store(handle, stateKey_, bytes.data(), bytes.size(), chunkType_,
                 LV2_STATE_IS_POD | LV2_STATE_IS_PORTABLE);
}

// Any of the engine's saved-state forms (100 bytes, or an older shorter one) loads; the
// controls then count as applied at the loaded values, which hosts restore to the ports too.
LV2_State_Status CReverbPlugin::Restore(LV2_State_Retrieve_Function retrieve,
                                        LV2_State_Handle handle) {
    if (stateKey_ == 0) return LV2_STATE_ERR_NO_FEATURE;
    std::size_t size = 0;
    std::uint32_t type = 0, flags = 0;
    const void* data = retrieve(handle, stateKey_, &size, &type, &flags);
    if (data == nullptr) return LV2_STATE_ERR_NO_PROPERTY;
    if (type != chunkType_) return LV2_STATE_ERR_BAD_TYPE;
    if (FAILED(LoadStateBytes(*engine_.engine, data, size))) return LV2_STATE_ERR_UNKNOWN;
    TakeEngineSettings();
    return LV2_STATE_SUCCESS;
}

CReverbPlugin* Self(LV2_Handle instance) {
    return static_cast<CReverbPlugin*>(instance);
}

LV2_Handle Instantiate(const LV2_Descriptor*, double rate, const char*,
                       const LV2_Feature* const* features) {
    return CReverbPlugin::Create(rate, features);
}
void ConnectPort(LV2_Handle instance, std::uint32_t port, void* data) {
    Self(instance)->Connect(port, data);
}
void Activate(LV2_Handle instance) {
    Self(instance)->Activate();
}
void Run(LV2_Handle instance, std::uint32_t frames) {
    Self(instance)->Run(frames);
}
void Deactivate(LV2_Handle) {}
void Cleanup(LV2_Handle instance) {
    delete Self(instance);
}
LV2_State_Status SaveState(LV2_Handle instance, LV2_State_Store_Function store,
                           LV2_State_Handle handle, std::uint32_t, const LV2_Feature* const*) {
    return Self(instance)->Save(store, handle);
}
LV2_State_Status RestoreState(LV2_Handle instance, LV2_State_Retrieve_Function retrieve,
                              LV2_State_Handle handle, std::uint32_t, const LV2_Feature* const*) {
    return Self(instance)->Restore(retrieve, handle);
}
const void* ExtensionData(const char* uri) {
    static const LV2_State_Interface kState = {SaveState, RestoreState};
    return std::strcmp(uri, LV2_STATE__interface) == 0 ? &kState : nullptr;
}

const LV2_Descriptor kDescriptor = {kPluginUri, Instantiate, ConnectPort, Activate,
                                    Run,        Deactivate,  Cleanup,     ExtensionData};

}  // namespace

LV2_SYMBOL_EXPORT const LV2_Descriptor* lv2_descriptor(std::uint32_t index) {
    return index == 0 ? &kDescriptor : nullptr;
}
