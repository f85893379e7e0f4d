// 16-bit PCM samples and the engine's 32-bit float samples: the one conversion that the filter,
// the renderer and the tests share, so that all of them produce the same bits. In: s / 32768.
// Out: trunc(v x 32768), clamped to the 16-bit range.
#pragma once

#include <cmath>
#include <cstddef>

inline float Int16ToFloat(short sample) {
    return static_cast<float>(sample / 32768.0);
}

inline short FloatToInt16(float value) {
    const double scaled = std::trunc(value * 32768.0);
    return static_cast<short>(scaled > 32767.0 ? 32767.0 : (scaled < -32768.0 ? -32768.0 : scaled));
}

inline void Int16ToFloat(const short* in, float* out, std::size_t count) {
    for (std::size_t i = 0; i < count; ++i) out[i] = Int16ToFloat(in[i]);
}

inline void FloatToInt16(const float* in, short* out, std::size_t count) {
    for (std::size_t i = 0; i < count; ++i) out[i] = FloatToInt16(in[i]);
}
