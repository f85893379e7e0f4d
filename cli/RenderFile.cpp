// Rendering a sound file through the engine as a host stream would: blocks in mode 0 then 1,
// then the tail in mode 2 until the engine reports its end. The sample path follows the input's
// format as the filter's does: 16-bit samples are converted to 32-bit float and back (with
// truncation and clamping), 32-bit float runs ProcessFloat32, 64-bit float ProcessFloat64, and
// 24 and 32-bit integers (which the filter refuses) run ProcessFloat64.
#include "cli/RenderFile.h"

#include <sndfile.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <memory>
#include <vector>

#include "cli/ParameterSettings.h"
#include "cli/ProgressBar.h"
#include "engine/SampleConversion.h"

namespace {

// Owns an open libsndfile handle.
struct SoundFileCloser {
    void operator()(SNDFILE* file) const { sf_close(file); }
};
using SoundFile = std::unique_ptr<SNDFILE, SoundFileCloser>;

enum class SamplePath { kInt16, kFloat32, kFloat64 };

bool PathOf(int format, SamplePath* path, WORD* bits, std::string* name) {
    switch (format & SF_FORMAT_SUBMASK) {
        case SF_FORMAT_PCM_16:
            *path = SamplePath::kInt16;
            *bits = 16;
            *name = "16-bit";
            return true;
        case SF_FORMAT_PCM_24:
            *path = SamplePath::kFloat64;
            *bits = 24;
            *name = "24-bit";
            return true;
        case SF_FORMAT_PCM_32:
            *path = SamplePath::kFloat64;
            *bits = 32;
            *name = "32-bit";
            return true;
        case SF_FORMAT_FLOAT:
            *path = SamplePath::kFloat32;
            *bits = 32;
            *name = "32-bit float";
            return true;
        case SF_FORMAT_DOUBLE:
            *path = SamplePath::kFloat64;
            *bits = 64;
            *name = "64-bit float";
            return true;
        default:
            return false;
    }
}

// Reads and writes blocks of one sample path. 16-bit samples go through 32-bit float exactly
// as the filter converts them (SampleConversion.h).
class Int16Io {
public:
    using Sample = float;
    explicit Int16Io(std::uint32_t frames) : in_(2 * frames), out_(2 * frames) {}
    sf_count_t Read(SNDFILE* file, Sample* samples, sf_count_t frames, int channels) {
        const sf_count_t got = sf_readf_short(file, in_.data(), frames);
        Int16ToFloat(in_.data(), samples, static_cast<std::size_t>(got * channels));
        return got;
    }
    sf_count_t Write(SNDFILE* file, const Sample* samples, sf_count_t frames) {
        FloatToInt16(samples, out_.data(), static_cast<std::size_t>(2 * frames));
        return sf_writef_short(file, out_.data(), frames);
    }

private:
    std::vector<short> in_, out_;
};

// Float samples read and written as they are, in their own precision.
sf_count_t ReadFrames(SNDFILE* file, float* samples, sf_count_t frames) {
    return sf_readf_float(file, samples, frames);
}
sf_count_t ReadFrames(SNDFILE* file, double* samples, sf_count_t frames) {
    return sf_readf_double(file, samples, frames);
}
sf_count_t WriteFrames(SNDFILE* file, const float* samples, sf_count_t frames) {
    return sf_writef_float(file, samples, frames);
}
sf_count_t WriteFrames(SNDFILE* file, const double* samples, sf_count_t frames) {
    return sf_writef_double(file, samples, frames);
}

template <typename T>
class FloatIo {
public:
    using Sample = T;
    explicit FloatIo(std::uint32_t) {}
    sf_count_t Read(SNDFILE* file, Sample* samples, sf_count_t frames, int) {
        return ReadFrames(file, samples, frames);
    }
    sf_count_t Write(SNDFILE* file, const Sample* samples, sf_count_t frames) {
        return WriteFrames(file, samples, frames);
    }
};
using Float32Io = FloatIo<float>;
using Float64Io = FloatIo<double>;

HRESULT Process(CAudioTransform& engine, int mode, const float* in, DWORD* inFrames, float* out,
                DWORD* outFrames) {
    return engine.ProcessFloat32(mode, in, inFrames, out, outFrames);
}
HRESULT Process(CAudioTransform& engine, int mode, const double* in, DWORD* inFrames, double* out,
                DWORD* outFrames) {
    return engine.ProcessFloat64(mode, in, inFrames, out, outFrames);
}

struct StreamResult {
    bool ok = false;
    std::string error;
    sf_count_t framesWritten = 0;
};

template <typename Io>
StreamResult Stream(CStandaloneReverb& engine, const RenderHooks& hooks, SNDFILE* in, SNDFILE* out,
                    int channels, sf_count_t totalFrames, std::uint32_t block,
                    ProgressBar& progress) {
    using Sample = typename Io::Sample;
    Io io(block);
    std::vector<Sample> input(static_cast<size_t>(block) * channels);
    std::vector<Sample> output(static_cast<size_t>(block) * 2);
    StreamResult result;
    std::int64_t position = 0;
    int mode = kModeDiscontinuity;

    for (;;) {
        const sf_count_t got = io.Read(in, input.data(), block, channels);
        if (got <= 0) break;
        if (hooks.beforeBlock) hooks.beforeBlock(engine, position);
        DWORD inFrames = static_cast<DWORD>(got), outFrames = block;
        const HRESULT hr =
            Process(engine, mode, input.data(), &inFrames, output.data(), &outFrames);
        if (FAILED(hr)) {
            result.error = "the reverb failed on a block";
            return result;
        }
        position += inFrames;
        mode = kModeContinue;
        if (io.Write(out, output.data(), outFrames) != outFrames) {
            result.error = "writing failed";
            return result;
        }
        result.framesWritten += outFrames;
        progress.Update(position, totalFrames);
    }

    for (;;) {
        DWORD outFrames = block;
        const HRESULT hr = Process(engine, kModeTail, static_cast<const Sample*>(nullptr), nullptr,
                                   output.data(), &outFrames);
        if (FAILED(hr)) {
            result.error = "the reverb failed on the tail";
            return result;
        }
        if (outFrames > 0 && io.Write(out, output.data(), outFrames) != outFrames) {
            result.error = "writing failed";
            return result;
        }
        result.framesWritten += outFrames;
        if (hr == S_FALSE) break;
    }
    progress.Finish();
    result.ok = true;
    return result;
}

std::string Decibels(double amplitude) {
    if (amplitude <= 1e-15) return "-inf dBFS";
    char text[32];
    std::snprintf(text, sizeof text, "%.1f dBFS", 20.0 * std::log10(amplitude));
    return text;
}

}  // namespace

int RenderFile(const RenderOptions& options, const RenderHooks& hooks, std::ostream& out,
               std::ostream& err) {
    auto fail = [&err](const std::string& message, int code = 1) {
        err << "halvern-reverb: " << message << "\n";
        return code;
    };

    SF_INFO inInfo{};
    SoundFile in(sf_open(options.input.c_str(), SFM_READ, &inInfo));
    if (!in) return fail("cannot read " + options.input + ": " + sf_strerror(nullptr));
    if (inInfo.channels < 1 || inInfo.channels > 2) {
        return fail(options.input + " has " + std::to_string(inInfo.channels) +
                    " channels; only mono and stereo input is supported");
    }
    if (!IsSupportedSampleRate(static_cast<DWORD>(inInfo.samplerate))) {
        return fail(options.input + " has a sample rate of " + std::to_string(inInfo.samplerate) +
                    " Hz; the reverb takes 1 to " + std::to_string(kMaxSampleRateHz) + " Hz");
    }
    SamplePath path;
    WORD bits = 0;
    std::string formatName;
    if (!PathOf(inInfo.format, &path, &bits, &formatName)) {
        return fail(options.input +
                    " holds samples of a kind the reverb does not take (it takes 16, 24 and "
                    "32-bit integer and 32 and 64-bit float samples)");
    }

    HRESULT status = S_OK;
    CStandaloneReverb* engine = new CStandaloneReverb(&status, hooks.createAutomation);
    struct Releaser {
        CStandaloneReverb* engine;
        ~Releaser() { engine->Release(); }
    } releaser{engine};

    const WORD tag = path == SamplePath::kInt16 ? WAVE_FORMAT_PCM : WAVE_FORMAT_IEEE_FLOAT;
    const WORD engineBits =
        path == SamplePath::kFloat64 ? 64 : (path == SamplePath::kInt16 ? 16 : 32);
    const auto rate = static_cast<DWORD>(inInfo.samplerate);
    engine->SetFormats(
        CStandaloneReverb::MakeFormat(tag, engineBits, static_cast<WORD>(inInfo.channels), rate),
        CStandaloneReverb::MakeFormat(tag, engineBits, 2, rate));

    if (options.tail) engine->SetTail(1, FALSE);
    if (hooks.beforeSettings) {
        std::string error;
        if (!hooks.beforeSettings(*engine, &error)) return fail(error, 2);
    }
    for (const auto& [name, value] : options.settings) {
        std::string error;
        if (!ApplySetting(*engine, name, value, &error)) return fail(error, 2);
    }
    // --no-tail is the last word: a preset or a saved state may have switched the tail on.
    if (!options.tail) engine->SetTail(0, FALSE);
    if (options.bypass) engine->SetBypass(1);

    // Written under a temporary name and moved into place only when complete, so a failed run
    // leaves no partial output behind.
    const std::string partial = PartialPath(options.output);
    SF_INFO outInfo{};
    outInfo.samplerate = inInfo.samplerate;
    outInfo.channels = 2;
    outInfo.format = inInfo.format;
    SoundFile outFile(sf_open(partial.c_str(), SFM_WRITE, &outInfo));
    if (!outFile) return fail("cannot write " + options.output + ": " + sf_strerror(nullptr));
    // Integer outputs clip instead of wrapping around when a sample is beyond full scale.
    sf_command(outFile.get(), SFC_SET_CLIPPING, nullptr, SF_TRUE);

    if (FAILED(engine->StartStreaming())) {
        outFile.reset();
        std::remove(partial.c_str());
        return fail("not enough memory for the reverb's delay lines");
    }

    // A bar on a terminal for inputs longer than a few seconds.
    const bool showProgress = isatty(fileno(stderr)) && inInfo.frames > 5 * inInfo.samplerate;
    ProgressBar progress(showProgress ? &err : nullptr);
    StreamResult result;
    switch (path) {
        case SamplePath::kInt16:
            result = Stream<Int16Io>(*engine, hooks, in.get(), outFile.get(), inInfo.channels,
                                     inInfo.frames, options.blockFrames, progress);
            break;
        case SamplePath::kFloat32:
            result = Stream<Float32Io>(*engine, hooks, in.get(), outFile.get(), inInfo.channels,
                                       inInfo.frames, options.blockFrames, progress);
            break;
        case SamplePath::kFloat64:
            result = Stream<Float64Io>(*engine, hooks, in.get(), outFile.get(), inInfo.channels,
                                       inInfo.frames, options.blockFrames, progress);
            break;
    }
    double meters[4];
    engine->GetMeters(meters);  // before the release, which clears them
    engine->ReleaseBuffers();
    outFile.reset();
    if (!result.ok) {
        std::remove(partial.c_str());
        return fail(result.error + " while rendering " + options.output);
    }
    if (hooks.afterRender) {
        std::string error;
        if (!hooks.afterRender(*engine, &error)) {
            std::remove(partial.c_str());
            return fail(error);
        }
    }
    if (std::rename(partial.c_str(), options.output.c_str()) != 0) {
        std::remove(partial.c_str());
        return fail("cannot write " + options.output);
    }

    if (options.bypass) {
        out << "bypassed: the audio passed through unprocessed\n";
    } else {
        out << "peaks: in L " << Decibels(meters[0]) << ", in R " << Decibels(meters[1])
            << "; out L " << Decibels(meters[2]) << ", out R " << Decibels(meters[3]) << "\n";
    }
    std::string clips;
    auto note = [&clips](bool clipped, const char* what) {
        if (clipped) clips += (clips.empty() ? "" : ", ") + std::string(what);
    };
    note(engine->GetClipLeft(0) != 0, "input left");
    note(engine->GetClipRight(0) != 0, "input right");
    note(engine->GetClipLeft(2) != 0, "output left");
    note(engine->GetClipRight(2) != 0, "output right");
    if (!clips.empty()) out << "clipped: " << clips << "\n";
    char seconds[32];
    std::snprintf(seconds, sizeof seconds, "%.2f s",
                  static_cast<double>(result.framesWritten) / inInfo.samplerate);
    out << "wrote " << options.output << " (stereo, " << inInfo.samplerate << " Hz, " << formatName
        << ", " << seconds << ")\n";
    return 0;
}
