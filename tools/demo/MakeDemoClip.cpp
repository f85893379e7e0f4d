// make-demo-clip OUT.wav [RATE]: writes the demo clip as 16-bit stereo PCM (44100 Hz unless a
// rate is given), the format a host most often streams.
#include <sndfile.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "tools/demo/DemoClip.h"

int main(int argc, char** argv) {
    if (argc < 2 || argc > 3) {
        std::fprintf(stderr, "usage: make-demo-clip OUT.wav [RATE]\n");
        return 2;
    }
    const int rate = argc == 3 ? std::atoi(argv[2]) : 44100;
    if (rate < 8000 || rate > 384000) {
        std::fprintf(stderr, "make-demo-clip: rate %s is not between 8000 and 384000\n", argv[2]);
        return 2;
    }
    const std::vector<double> samples = GenerateDemoClip(rate);

    const std::string path = argv[1];
    const std::string partial = path + ".partial";
    SF_INFO info{};
    info.samplerate = rate;
    info.channels = 2;
    info.format = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
    SNDFILE* file = sf_open(partial.c_str(), SFM_WRITE, &info);
    if (file == nullptr) {
        std::fprintf(stderr, "make-demo-clip: cannot write %s: %s\n", path.c_str(),
                     sf_strerror(nullptr));
        return 1;
    }
    const auto frames = static_cast<sf_count_t>(samples.size() / 2);
    const bool written = sf_writef_double(file, samples.data(), frames) == frames;
    sf_close(file);
    if (!written || std::rename(partial.c_str(), path.c_str()) != 0) {
        std::remove(partial.c_str());
        std::fprintf(stderr, "make-demo-clip: cannot write %s\n", path.c_str());
        return 1;
    }
    return 0;
}
