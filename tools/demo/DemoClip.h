// The demo clip: a short synthesised percussive phrase (kick, snare, hats and a plucked line)
// that the README's main command renders through the reverb. Deterministic at any rate.
#pragma once

#include <vector>

// Interleaved stereo samples in [-1, 1) at sampleRate, peaking at -6 dBFS.
std::vector<double> GenerateDemoClip(int sampleRate);
