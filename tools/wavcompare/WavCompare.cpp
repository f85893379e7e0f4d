// wav-compare A B: compares the audio of two sound files (channels, rate, frames and every
// sample as read in double precision), whatever their headers hold besides. Prints one line;
// exit 0 when the audio is identical, 1 when it differs, 2 when a file cannot be read.
#include <sndfile.h>

#include <cmath>
#include <cstdio>
#include <vector>

namespace {

bool Read(const char* path, SF_INFO* info, std::vector<double>* samples) {
    SNDFILE* file = sf_open(path, SFM_READ, info);
    if (file == nullptr) {
        std::fprintf(stderr, "wav-compare: cannot read %s: %s\n", path, sf_strerror(nullptr));
        return false;
    }
    samples->resize(static_cast<size_t>(info->frames * info->channels));
    sf_readf_double(file, samples->data(), info->frames);
    sf_close(file);
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: wav-compare A B\n");
        return 2;
    }
    SF_INFO a{}, b{};
    std::vector<double> sa, sb;
    if (!Read(argv[1], &a, &sa) || !Read(argv[2], &b, &sb)) return 2;
    if (a.channels != b.channels || a.samplerate != b.samplerate || a.frames != b.frames) {
        std::printf("different shapes: %d ch %d Hz %lld frames against %d ch %d Hz %lld frames\n",
                    a.channels, a.samplerate, static_cast<long long>(a.frames), b.channels,
                    b.samplerate, static_cast<long long>(b.frames));
        return 1;
    }
    size_t differing = 0;
    double largest = 0.0;
    for (size_t i = 0; i < sa.size(); ++i) {
        if (sa[i] != sb[i]) {
            ++differing;
            largest = std::fmax(largest, std::fabs(sa[i] - sb[i]));
        }
    }
    if (differing == 0) {
        std::printf("identical audio: %lld frames of %d channels at %d Hz\n",
                    static_cast<long long>(a.frames), a.channels, a.samplerate);
        return 0;
    }
    std::printf("%zu of %zu samples differ, by at most %g\n", differing, sa.size(), largest);
    return 1;
}
