// The reverb's signal path: its delay memories, its derived coefficients and filter states, and
// the per-block run through them. The engine (CAudioTransform) owns one and drives it; nothing
// here knows of settings, threads or formats beyond the samples it is handed.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "engine/ReverbTables.h"

// Everything the engine derives from the settings and the sample rate.
struct Coefficients {
    double inputGain = 0, dryGain = 0, reverbGain = 0, earlyGain = 0;
    double lowCut = 0, highCut = 0, highDamping = 0;
    double loopGain = 0;  // g, four times per tank round trip
    double shelfGain = 0, shelfCoefficient = 0;
    double c1 = 0, c2 = 0, t1 = 0, t2 = 0;  // input diffusers, tank allpasses
    std::int32_t tankTapsLeft[kTankTapCount] = {};
    std::int32_t tankTapsRight[kTankTapCount] = {};
    std::int32_t earlyDelaysLeft[kEarlyTapsLeftCount] = {};
    std::int32_t earlyDelaysRight[kEarlyTapsRightCount] = {};
    double earlyGainsLeft[kEarlyTapsLeftCount] = {};
    double earlyGainsRight[kEarlyTapsRightCount] = {};
};

// Recursive filter states of the signal path.
struct FilterStates {
    double highCut = 0;    // hc
    double lowCutOut = 0;  // ly
    double lowCutIn = 0;   // lx
    double shelfAIn = 0, shelfAOut = 0;
    double shelfBIn = 0, shelfBOut = 0;
    double dampA = 0, dampB = 0;
};

// One delay memory: capacity frames, of which the first length are in use; position moves
// downward by one per frame. data points into the core's own storage.
struct DelayMemory {
    double* data = nullptr;
    std::int32_t capacity = 0;
    std::int32_t length = 0;
    std::int32_t position = 0;
};

// Peak magnitudes of one block: input left and right, output left and right.
struct BlockPeaks {
    double inputLeft = 0, inputRight = 0, outputLeft = 0, outputRight = 0;
};

class CReverbCore {
public:
    // Takes over a zeroed memory of capacity frames as memory index, at position 0.
    void Attach(int index, std::unique_ptr<double[]> data, std::int32_t capacity);
    void Free();
    bool Allocated() const { return storage_[0] != nullptr; }

    DelayMemory& Memory(int index) { return memories_[index]; }
    const DelayMemory& Memory(int index) const { return memories_[index]; }
    Coefficients& Derived() { return coefficients_; }
    const Coefficients& Derived() const { return coefficients_; }

    // Silence in the filters, and in the room's lines and reflections.
    void ResetStates() { states_ = FilterStates{}; }
    void ClearRoom();

    // Runs frames of interleaved input (inputChannels 1 or 2; none when input is null) into
    // interleaved stereo output.
    template <typename Sample>
    BlockPeaks Run(const Sample* input, int inputChannels, Sample* output, std::uint32_t frames,
                   double widthFactor);

private:
    template <typename Sample, int kInputChannels, bool kWithEarly>
    BlockPeaks RunFrames(const Sample* input, Sample* output, std::uint32_t frames,
                         double widthFactor);

    Coefficients coefficients_;
    FilterStates states_;
    DelayMemory memories_[kDelayMemoryCount];
    std::unique_ptr<double[]> storage_[kDelayMemoryCount];
};
