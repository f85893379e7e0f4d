// The output the reverb filter must deliver bit for bit, from the engine driven as the filter
// drives it outside any graph.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "engine/StandaloneReverb.h"
#include "host/MediaParams.h"
#include "tools/dxhost/WavFile.h"

// Sets the engine and its automation up before streaming starts.
using PrepareEngine = std::function<void(CStandaloneReverb& engine, CMediaParams& automation)>;

// What the filter delivers for `input` pushed in media samples of `blockFrames` (the first a
// discontinuity, each stamped with its first frame's time) into output buffers of
// `bufferFrames` (0: as many as a sample holds), then the tail in such buffers. Empty when the
// engine fails.
std::vector<BYTE> ExpectedOutput(const WavAudio& input, int blockFrames,
                                 const PrepareEngine& prepare = {}, int bufferFrames = 0);
