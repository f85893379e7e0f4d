// Parameters at their corners, and a storm of parameter traffic from a second thread while a
// third streams: the output stays finite, nothing crashes and nothing deadlocks.
#include <cfloat>
#include <climits>
#include <cmath>
#include <iterator>
#include <thread>
#include <vector>

#include "tools/dxval/Checks.h"

namespace {

// A corner at full levels may ring well above full scale, but never without bound.
constexpr double kCornerBound = 64.0;
// Random parameter traffic may reach any level the filter allows: finite is what matters.
constexpr double kStormBound = 1e9;

struct Range {
    float minimum;
    float maximum;
};

std::vector<Range> ParameterRanges(CheckContext& context, IBaseFilter* filter) {
    std::vector<Range> ranges;
    ComPtr<IMediaParamInfo> info;
    if (FAILED(filter->QueryInterface(IID_IMediaParamInfo, info.PutVoid()))) {
        context.Fail("the filter does not give IMediaParamInfo");
        return ranges;
    }
    DWORD count = 0;
    info->GetParamCount(&count);
    for (DWORD i = 0; i < count; ++i) {
        MP_PARAMINFO record = {};
        if (FAILED(info->GetParamInfo(i, &record))) {
            context.Fail("GetParamInfo(" + std::to_string(i) + ") failed");
            continue;
        }
        ranges.push_back({record.mpdMinValue, record.mpdMaxValue});
    }
    return ranges;
}

// Every parameter at its minimum and at its maximum alone, then all at once.
struct Corner {
    int parameter;  // -1: all of them
    bool maximum;
};

std::string DescribeCorner(const Corner& corner) {
    return (corner.parameter < 0 ? std::string("all parameters")
                                 : "parameter " + std::to_string(corner.parameter)) +
           (corner.maximum ? " at maximum" : " at minimum");
}

// The parameter interfaces of a new filter that the corner and storm checks drive; false (the
// check failed) when the filter lacks one.
struct ParameterInterfaces {
    ComPtr<IMediaParams> params;
    ComPtr<IPersistStream> persist;
    ComPtr<IHqPlugInProp> engine;

    bool Query(CheckContext& context, IBaseFilter* filter) {
        if (filter == nullptr ||
            FAILED(filter->QueryInterface(IID_IMediaParams, params.PutVoid())) ||
            FAILED(filter->QueryInterface(IID_IPersistStream, persist.PutVoid())) ||
            FAILED(filter->QueryInterface(IID_IHqPlugInProp, engine.PutVoid()))) {
            context.Fail("the filter lacks IMediaParams, IPersistStream or IHqPlugInProp");
            return false;
        }
        return true;
    }
};

}  // namespace

void CheckCorners(CheckContext& context) {
    std::vector<Corner> corners = {{-1, false}, {-1, true}};
    {
        ComPtr<IBaseFilter> probe = CreateFilter(context);
        if (!probe) return;
        const std::size_t count = ParameterRanges(context, probe.Get()).size();
        for (std::size_t i = 0; i < count; ++i) {
            corners.push_back({static_cast<int>(i), false});
            corners.push_back({static_cast<int>(i), true});
        }
    }
    // 1000 Hz: the top crossover and low cut lie above half the rate.
    static constexpr DWORD kRates[] = {8000, 48000, 1000};
    const std::size_t rateCount = context.options.quick ? 1 : std::size(kRates);
    for (std::size_t r = 0; r < rateCount; ++r) {
        for (const Corner& corner : corners) {
            const std::string what =
                DescribeCorner(corner) + " at " + std::to_string(kRates[r]) + " Hz";
            context.Step(what);
            ComPtr<IBaseFilter> filter = CreateFilter(context);
            ParameterInterfaces interfaces;
            if (!interfaces.Query(context, filter.Get())) return;
            auto& [params, persist, engine] = interfaces;
            const std::vector<Range> ranges = ParameterRanges(context, filter.Get());
            context.ExpectHr(engine->SetTail(1, FALSE), S_OK, "SetTail(1)");
            for (std::size_t i = 0; i < ranges.size(); ++i) {
                if (corner.parameter >= 0 && corner.parameter != static_cast<int>(i)) continue;
                const float value = corner.maximum ? ranges[i].maximum : ranges[i].minimum;
                context.ExpectHr(
                    params->SetParam(static_cast<DWORD>(i), value), S_OK,
                    "SetParam(" + std::to_string(i) + ", " + std::to_string(value) + ")");
            }
            StreamSettings settings;
            settings.format = MakeWaveFormat(WAVE_FORMAT_IEEE_FLOAT, 32, 2, kRates[r]);
            settings.frames = kRates[r] / 4;
            settings.maxSampleBytes = 8192;
            settings.seed = static_cast<std::uint32_t>(context.rng());
            const StreamReport first = RunStream(filter.Get(), settings);
            const std::int64_t tail = PromisedTailFrames(engine.Get(), kRates[r]);
            ExpectGoodStream(context, first, tail, kCornerBound, what);
            ++context.runs;

            // The state saved here, loaded into a new filter, sounds the same from the start.
            ComPtr<IStream> state;
            CreateStreamOnHGlobal(nullptr, TRUE, state.Put());
            context.ExpectHr(persist->Save(state.Get(), FALSE), S_OK, "Save at " + what);
            const LARGE_INTEGER start = {};
            state->Seek(start, STREAM_SEEK_SET, nullptr);
            ComPtr<IBaseFilter> restored = CreateFilter(context);
            ComPtr<IPersistStream> restoredPersist;
            if (!restored ||
                FAILED(restored->QueryInterface(IID_IPersistStream, restoredPersist.PutVoid()))) {
                return;
            }
            context.ExpectHr(restoredPersist->Load(state.Get()), S_OK, "Load of " + what);
            const StreamReport second = RunStream(restored.Get(), settings);
            ExpectGoodStream(context, second, tail, kCornerBound, what + " restored");
            if (first.result == S_OK && second.result == S_OK && first.hash != second.hash) {
                context.Fail(what + ": the restored state sounds different (peak " +
                             std::to_string(second.peak) + " against " +
                             std::to_string(first.peak) + ")");
            }
            ++context.runs;
        }
    }
}

namespace {

using Setter = HRESULT (STDMETHODCALLTYPE IHqPlugInProp::*)(int, BOOL);
constexpr Setter kSetters[] = {
    &IHqPlugInProp::SetInput,       &IHqPlugInProp::SetLowCut,     &IHqPlugInProp::SetHighCut,
    &IHqPlugInProp::SetPredelay,    &IHqPlugInProp::SetRoomSize,   &IHqPlugInProp::SetDiffusion,
    &IHqPlugInProp::SetBassMult,    &IHqPlugInProp::SetCrossover,  &IHqPlugInProp::SetDecay,
    &IHqPlugInProp::SetHighDamping, &IHqPlugInProp::SetDry,        &IHqPlugInProp::SetER,
    &IHqPlugInProp::SetReverb,      &IHqPlugInProp::SetInputMute,  &IHqPlugInProp::SetDryMute,
    &IHqPlugInProp::SetERMute,      &IHqPlugInProp::SetReverbMute, &IHqPlugInProp::SetWidth,
    &IHqPlugInProp::SetTail,        &IHqPlugInProp::SetStereo,
};

// A value for a parameter: in range, out of range or an extreme of the type.
float StormValue(CheckContext& context, const Range& range) {
    switch (context.Pick(0, 5)) {
        case 0:
            return range.minimum - static_cast<float>(context.Pick(1, 1000));
        case 1:
            return range.maximum + static_cast<float>(context.Pick(1, 1000));
        case 2: {
            static const float kExtremes[] = {FLT_MAX, -FLT_MAX, INFINITY, -INFINITY,
                                              NAN,     FLT_MIN,  -0.0f,    0.0f};
            return kExtremes[context.Pick(0, 7)];
        }
        default:
            return range.minimum + (range.maximum - range.minimum) *
                                       static_cast<float>(context.Pick(0, 1000)) / 1000.0f;
    }
}

int StormInt(CheckContext& context) {
    switch (context.Pick(0, 3)) {
        case 0:
            return context.Pick(0, 1) ? INT_MAX : INT_MIN;
        case 1:
            return context.Pick(-100000, 100000);
        default:
            return context.Pick(-400, 3000);
    }
}

// One random operation of a host or an editor on the filter's parameters.
void StormOperation(CheckContext& context, IMediaParams* params, IHqPlugInProp* engine,
                    IPersistStream* persist, const std::vector<Range>& ranges) {
    const int count = static_cast<int>(ranges.size());
    const int index =
        context.Pick(0, 9) == 0 ? context.Pick(count, count + 5) : context.Pick(0, count - 1);
    const Range range = index < count ? ranges[index] : Range{0, 1};
    switch (context.Pick(0, 11)) {
        case 0:
        case 1:
            params->SetParam(static_cast<DWORD>(index), StormValue(context, range));
            break;
        case 2:
        case 3:
            (engine->*kSetters[context.Pick(0, 19)])(StormInt(context), context.Pick(0, 1));
            break;
        case 4: {
            MP_ENVELOPE_SEGMENT segments[4] = {};
            const int segmentCount = context.Pick(1, 4);
            for (int s = 0; s < segmentCount; ++s) {
                segments[s].rtStart = static_cast<REFERENCE_TIME>(context.Pick(0, 20000)) * 1000;
                segments[s].rtEnd = segments[s].rtStart +
                                    static_cast<REFERENCE_TIME>(context.Pick(-100, 20000)) * 1000;
                segments[s].valStart = StormValue(context, range);
                segments[s].valEnd = StormValue(context, range);
                segments[s].iCurve = static_cast<MP_CURVE_TYPE>(1 << context.Pick(0, 5));
            }
            const DWORD target = context.Pick(0, 5) == 0 ? DWORD_ALL : static_cast<DWORD>(index);
            params->AddEnvelope(target, static_cast<DWORD>(segmentCount), segments);
            break;
        }
        case 5: {
            const REFERENCE_TIME from = static_cast<REFERENCE_TIME>(context.Pick(0, 20000)) * 1000;
            const REFERENCE_TIME to =
                from + static_cast<REFERENCE_TIME>(context.Pick(-100, 20000)) * 1000;
            params->FlushEnvelope(context.Pick(0, 3) == 0 ? DWORD_ALL : static_cast<DWORD>(index),
                                  from, to);
            break;
        }
        case 6:
            engine->SetBypass(engine->GetBypass() == 0 ? 1 : 0);
            break;
        case 7:
            engine->SelectSetup(context.Pick(0, 1));
            break;
        case 8:
            engine->CopySetup(context.Pick(0, 1), context.Pick(0, 1));
            break;
        case 9:
            if (context.Pick(0, 1) == 0) {
                engine->SaveUndo(-2);
            } else {
                engine->Undo();
            }
            break;
        case 10: {
            MP_DATA value = 0;
            params->GetParam(static_cast<DWORD>(index), &value);
            SetupBlock block = {};
            engine->GetAllParams(&block);
            break;
        }
        default: {
            ComPtr<IStream> stream;
            if (SUCCEEDED(CreateStreamOnHGlobal(nullptr, TRUE, stream.Put()))) {
                persist->Save(stream.Get(), FALSE);
            }
            break;
        }
    }
}

}  // namespace

void CheckParameterStorm(CheckContext& context) {
    static constexpr WAVEFORMATEX kFormats[] = {
        {WAVE_FORMAT_IEEE_FLOAT, 2, 44100, 44100 * 8, 8, 32, 0},
        {WAVE_FORMAT_PCM, 1, 48000, 48000 * 2, 2, 16, 0},
        {WAVE_FORMAT_IEEE_FLOAT, 2, 96000, 96000 * 16, 16, 64, 0},
    };
    const long operations = context.options.quick ? 1000000 : 20000000;
    const std::size_t formatCount = context.options.quick ? 1 : 3;
    for (std::size_t f = 0; f < formatCount; ++f) {
        const std::string what = "storm over " + DescribeFormat(kFormats[f]);
        context.Step(what);
        ComPtr<IBaseFilter> filter = CreateFilter(context);
        ParameterInterfaces interfaces;
        if (!interfaces.Query(context, filter.Get())) return;
        auto& [params, persist, engine] = interfaces;
        const std::vector<Range> ranges = ParameterRanges(context, filter.Get());
        if (ranges.empty()) return;
        std::atomic<bool> stop{false};
        StreamSettings settings;
        settings.format = kFormats[f];
        settings.endless = true;
        settings.stop = &stop;
        settings.maxSampleBytes = 16384;
        settings.seed = static_cast<std::uint32_t>(context.rng());
        settings.timeoutMs = context.options.quick ? 45000 : 600000;
        const StreamReport report = RunStream(filter.Get(), settings, [&] {
            std::thread storm([&] {
                CoInitializeEx(nullptr, COINIT_MULTITHREADED);
                for (long i = 0; i < operations; ++i) {
                    StormOperation(context, params.Get(), engine.Get(), persist.Get(), ranges);
                    ++context.runs;
                }
                CoUninitialize();
                stop = true;
            });
            storm.join();
        });
        ExpectGoodStream(context, report, -1, kStormBound, what);
        if (report.framesIn == 0) context.Fail(what + ": nothing streamed during the storm");
    }
    context.note = "operations counted as runs";
}
