// make-demo-clip OUT.wav [--rate HZ] [--format pcm16|float32|float64] [--mono]: writes the demo
// clip, by default as 16-bit stereo PCM at 44100 Hz, the format a host most often streams.
#include <sndfile.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "tools/demo/DemoClip.h"

namespace {

int Usage() {
    std::fprintf(stderr,
                 "usage: make-demo-clip OUT.wav [--rate HZ] [--format pcm16|float32|float64] "
                 "[--mono]\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) return Usage();
    const std::string path = argv[1];
    int rate = 44100;
    int subtype = SF_FORMAT_PCM_16;
    bool mono = false;
    for (int i = 2; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--mono") {
            mono = true;
        } else if (arg == "--rate" && i + 1 < argc) {
            rate = std::atoi(argv[++i]);
            if (rate < 8000 || rate > 384000) {
                std::fprintf(stderr, "make-demo-clip: a rate from 8000 to 384000 Hz, not %s\n",
                             argv[i]);
                return 2;
            }
        } else if (arg == "--format" && i + 1 < argc) {
            const std::string format = argv[++i];
            if (format == "pcm16") {
                subtype = SF_FORMAT_PCM_16;
            } else if (format == "float32") {
                subtype = SF_FORMAT_FLOAT;
            } else if (format == "float64") {
                subtype = SF_FORMAT_DOUBLE;
            } else {
                std::fprintf(stderr, "make-demo-clip: unknown format %s\n", format.c_str());
                return 2;
            }
        } else {
            return Usage();
        }
    }

    std::vector<double> samples = GenerateDemoClip(rate);
    if (mono) {
        for (size_t f = 0; f < samples.size() / 2; ++f) {
            samples[f] = 0.5 * (samples[2 * f] + samples[2 * f + 1]);
        }
        samples.resize(samples.size() / 2);
    }
    const int channels = mono ? 1 : 2;

    const std::string partial = path + ".partial";
    SF_INFO info{};
    info.samplerate = rate;
    info.channels = channels;
    info.format = SF_FORMAT_WAV | subtype;
    SNDFILE* file = sf_open(partial.c_str(), SFM_WRITE, &info);
    if (file == nullptr) {
        std::fprintf(stderr, "make-demo-clip: cannot write %s: %s\n", path.c_str(),
                     sf_strerror(nullptr));
        return 1;
    }
    const auto frames = static_cast<sf_count_t>(samples.size() / channels);
    const bool written = sf_writef_double(file, samples.data(), frames) == frames;
    sf_close(file);
    if (!written || std::rename(partial.c_str(), path.c_str()) != 0) {
        std::remove(partial.c_str());
        std::fprintf(stderr, "make-demo-clip: cannot write %s\n", path.c_str());
        return 1;
    }
    return 0;
}
