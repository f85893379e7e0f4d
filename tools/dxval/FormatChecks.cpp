// Streams through the filter in every format it takes, and at rates far outside the usual:
// every output sample finite, whole frames, continuous stream times, the tail as promised.
#include <iterator>

#include "tools/dxval/Checks.h"

namespace {

struct SampleType {
    WORD tag;
    WORD bits;
};
constexpr SampleType kSampleTypes[] = {
    {WAVE_FORMAT_PCM, 16}, {WAVE_FORMAT_IEEE_FLOAT, 32}, {WAVE_FORMAT_IEEE_FLOAT, 64}};

// Output of a filter at its default settings stays within a few times full scale.
constexpr double kDefaultBound = 8.0;

// The source's buffer size: often small, sometimes very large.
long PickBufferBytes(CheckContext& context) {
    const int largest = context.options.quick ? 1 << 16 : 1 << 20;
    switch (context.Pick(0, 3)) {
        case 0:
            return 512;
        case 1:
            return largest;
        default:
            return context.Pick(512, largest);
    }
}

// One stream through a new filter; `refused` (if given) takes a refusal at connection instead
// of failing the check.
void StreamOnce(CheckContext& context, const WAVEFORMATEX& format, std::int64_t frames,
                bool* refused) {
    const std::string what = DescribeFormat(format);
    context.Step("streaming " + what);
    ComPtr<IBaseFilter> filter = CreateFilter(context);
    if (!filter) return;
    ComPtr<IHqPlugInProp> engine;
    if (FAILED(filter->QueryInterface(IID_IHqPlugInProp, engine.PutVoid()))) {
        context.Fail("the filter does not give IHqPlugInProp");
        return;
    }
    // The Tail switch on, so that the tail after the input's end is checked too.
    context.ExpectHr(engine->SetTail(1, FALSE), S_OK, "SetTail(1)");
    StreamSettings settings;
    settings.format = format;
    settings.frames = frames;
    settings.maxSampleBytes = PickBufferBytes(context);
    settings.seed = static_cast<std::uint32_t>(context.rng());
    const StreamReport report = RunStream(filter.Get(), settings);
    ++context.runs;
    const bool connectFailed = FAILED(report.connectInput) || FAILED(report.connectOutput);
    if (refused != nullptr && connectFailed) {
        *refused = true;
        return;
    }
    ExpectGoodStream(context, report, PromisedTailFrames(engine.Get(), format.nSamplesPerSec),
                     kDefaultBound,
                     what + " (buffers of " + std::to_string(settings.maxSampleBytes) + " bytes)");
}

}  // namespace

void CheckFormats(CheckContext& context) {
    static constexpr DWORD kRates[] = {8000,  11025, 22050,  44100, 48000,
                                       88200, 96000, 176400, 192000};
    static constexpr DWORD kQuickRates[] = {11025, 48000, 176400};
    const bool quick = context.options.quick;
    const DWORD* rates = quick ? kQuickRates : kRates;
    const std::size_t rateCount = quick ? std::size(kQuickRates) : std::size(kRates);
    for (std::size_t r = 0; r < rateCount; ++r) {
        for (const SampleType& type : kSampleTypes) {
            for (WORD channels = 1; channels <= 2; ++channels) {
                const WAVEFORMATEX format = MakeWaveFormat(type.tag, type.bits, channels, rates[r]);
                // Quick: a fifth of a second; full: two seconds and a random part of one.
                const std::int64_t frames =
                    quick ? rates[r] / 5 : 2 * rates[r] + context.Pick(0, int(rates[r]));
                StreamOnce(context, format, frames, nullptr);
            }
        }
    }
}

void CheckExtremeRates(CheckContext& context) {
    static constexpr DWORD kRates[] = {1,    2,     7,      100,    1000,   4000,
                                       6000, 32000, 352800, 384000, 705600, 768000};
    static constexpr DWORD kQuickRates[] = {1, 100, 384000, 768000};
    const bool quick = context.options.quick;
    const DWORD* rates = quick ? kQuickRates : kRates;
    const std::size_t rateCount = quick ? std::size(kQuickRates) : std::size(kRates);
    std::string refusedRates;
    int streamed = 0;
    for (std::size_t r = 0; r < rateCount; ++r) {
        for (const SampleType& type : kSampleTypes) {
            if (quick && type.bits != 32) continue;
            const WAVEFORMATEX format = MakeWaveFormat(type.tag, type.bits, 2, rates[r]);
            // A tenth of a second, and at least a few frames at the lowest rates.
            const std::int64_t frames = std::max<std::int64_t>(rates[r] / 10, 16);
            bool refused = false;
            const std::size_t faultsBefore = context.Failures().size();
            StreamOnce(context, format, frames, &refused);
            if (refused) {
                if (!refusedRates.empty()) refusedRates += ", ";
                refusedRates += DescribeFormat(format);
            } else if (context.Failures().size() == faultsBefore) {
                ++streamed;
            }
        }
    }
    context.note = std::to_string(streamed) + " streamed" +
                   (refusedRates.empty() ? "" : "; refused at connection: " + refusedRates);
}
