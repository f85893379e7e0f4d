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

// What the runs take from the coefficients and the line lengths, derived again after either
// changes: the taps' signed weights, the diffusers' coefficients and the gains, each repeated
// for four lanes; the longest run the
// reflection buffer allows and the shortest reflection; and how many frames' output taps can be
// read together after their tank steps, before a later frame of the group writes a slot a tap
// reads.
struct RunPlan {
    alignas(32) double tankWeightsLeft[kTankTapCount][4] = {};
    alignas(32) double tankWeightsRight[kTankTapCount][4] = {};
    alignas(32) double earlyWeightsLeft[kEarlyTapsLeftCount][4] = {};
    alignas(32) double earlyWeightsRight[kEarlyTapsRightCount][4] = {};
    alignas(32) double diffuserForward[4][4] = {};
    alignas(32) double diffuserBack[4] = {};
    alignas(32) double earlyGain[4] = {}, reverbGain[4] = {}, dryGain[4] = {};
    std::int32_t runLimit = 1;
    std::int32_t shortestDelay = 0;
    std::int32_t mixGroup = 1;
};

// A run of frames in which no tank line, output tap or reflection wraps: pointers to each
// line's, tap's and reflection's slot for the run's first frame (frame j of the run is at index
// -j), its length and the frames already done. A run goes on across blocks until it ends.
struct OpenRun {
    double* head[kReverbLineCount] = {};
    double* halfBFeed = nullptr;
    const double* tankTapsLeft[kTankTapCount] = {};
    const double* tankTapsRight[kTankTapCount] = {};
    const double* reflectionsLeft[kEarlyTapsLeftCount] = {};
    const double* reflectionsRight[kEarlyTapsRightCount] = {};
    std::int32_t length = 0;
    std::int32_t done = 0;
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

    // Changing a memory's length or a coefficient through these makes the next run plan anew.
    DelayMemory& Memory(int index) {
        planned_ = false;
        return memories_[index];
    }
    const DelayMemory& Memory(int index) const { return memories_[index]; }
    Coefficients& Derived() {
        planned_ = false;
        return coefficients_;
    }
    const Coefficients& Derived() const { return coefficients_; }

    // Silence in the filters, and in the room's lines and reflections.
    void ResetStates() { states_ = FilterStates{}; }
    void ClearRoom();

    // Runs frames of interleaved input (inputChannels 1 or 2; none when input is null) into
    // interleaved stereo output.
    template <typename Sample>
    BlockPeaks Run(const Sample* input, int inputChannels, Sample* output, std::uint32_t frames,
                   double widthFactor);

    // Whether runs take four frames at a time where the processor can (the default), or two.
    // The output is the same either way.
    static bool WideFramesAvailable();
    void UseWideFrames(bool wide) { wide_ = wide && WideFramesAvailable(); }
    bool UsesWideFrames() const { return wide_; }

private:
    struct Runs;  // the runs themselves, in the implementation
    friend struct Runs;
    void Plan();

    Coefficients coefficients_;
    RunPlan plan_;
    bool planned_ = false;
    OpenRun run_;
    bool wide_ = WideFramesAvailable();
    FilterStates states_;
    DelayMemory memories_[kDelayMemoryCount];
    std::unique_ptr<double[]> storage_[kDelayMemoryCount];
};
