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

// How a filter met a stream it may refuse.
enum class Refusal { kNone, kAtConnection, kAtStart };

// One stream through a new filter; `refusal` (if given) takes a refusal at connection or at the
// start of streaming instead of failing the check.
void StreamOnce(CheckContext& context, const WAVEFORMATEX& format, std::int64_t frames,
                Refusal* refusal) {
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
    if (refusal != nullptr) {
        if (FAILED(report.connectInput) || FAILED(report.connectOutput)) {
            *refusal = Refusal::kAtConnection;
            return;
        }
        if (FAILED(report.run)) {
            *refusal = Refusal::kAtStart;
            return;
        }
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
    static constexpr DWORD kRates[] = {1,      2,      7,       100,        1000,
                                       4000,   6000,   32000,   352800,     384000,
                                       705600, 768000, 1536000, 2147483647, 4294967295};
    static constexpr DWORD kQuickRates[] = {1, 100, 384000, 768000, 4294967295};
    const bool quick = context.options.quick;
    const DWORD* rates = quick ? kQuickRates : kRates;
    const std::size_t rateCount = quick ? std::size(kQuickRates) : std::size(kRates);
    std::string refused[3];
    int streamed = 0;
    for (std::size_t r = 0; r < rateCount; ++r) {
        for (const SampleType& type : kSampleTypes) {
            if (quick && type.bits != 32) continue;
            const WAVEFORMATEX format = MakeWaveFormat(type.tag, type.bits, 2, rates[r]);
            // A tenth of a second, and at least a few frames at the lowest rates.
            const std::int64_t frames = std::max<std::int64_t>(rates[r] / 10, 16);
            Refusal refusal = Refusal::kNone;
            const std::size_t faultsBefore = context.Failures().size();
            StreamOnce(context, format, frames, &refusal);
            std::string& list = refused[static_cast<int>(refusal)];
            if (refusal != Refusal::kNone) {
                if (!list.empty()) list += ", ";
                list += DescribeFormat(format);
            } else if (context.Failures().size() == faultsBefore) {
                ++streamed;
            }
        }
    }
    context.note = std::to_string(streamed) + " streamed";
    const auto kAtConnection = static_cast<int>(Refusal::kAtConnection);
    const auto kAtStart = static_cast<int>(Refusal::kAtStart);
    if (!refused[kAtConnection].empty()) {
        context.note += "; refused at connection: " + refused[kAtConnection];
    }
    if (!refused[kAtStart].empty()) {
        context.note += "; refused when streaming starts: " + refused[kAtStart];
    }
}
