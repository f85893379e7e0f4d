// A plain transcription of the reverb's per-sample steps, frame by frame with wrapped indexes
// and no optimisation, against which the engine's optimised loop is checked bit for bit. It
// takes the engine's derived coefficients and line lengths and keeps delay memories of its own.
#pragma once

#include <vector>

#include "engine/AudioTransform.h"

class ReferenceReverb {
public:
    // Copies the coefficients and active lengths of a streaming engine; starts from silence.
    ReferenceReverb(const CAudioTransform& engine, int inputChannels);

    // Interleaved input (inputChannels wide) to interleaved stereo output, widthPercent as set.
    std::vector<double> Process(const std::vector<double>& input, int widthPercent);

private:
    struct Memory {
        std::vector<double> data;
        int length = 1, position = 0;
        double& Now() { return data[position]; }
        void Advance() { position = position == 0 ? length - 1 : position - 1; }
        double Read(int offset) const { return data[(position + offset) % length]; }
    };

    Coefficients c_;
    int inputChannels_;
    Memory lines_[kReverbLineCount], predelay_, early_;
    double hc_ = 0, ly_ = 0, lx_ = 0, saX_ = 0, saY_ = 0, sbX_ = 0, sbY_ = 0, da_ = 0, db_ = 0;
};
