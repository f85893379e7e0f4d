// RIFF WAVE files as the host program's source and sink filters see them: the wave format
// record exactly as stored (WAVE_FORMAT_PCM or WAVE_FORMAT_IEEE_FLOAT) and the interleaved
// sample bytes. Used by dxhost and by the tests that stream files through graphs.
#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "platform/Platform.h"

struct WavAudio {
    WAVEFORMATEX format = {};  // cbSize 0
    std::vector<BYTE> data;    // whole frames only

    std::int64_t Frames() const {
        return format.nBlockAlign != 0 ? static_cast<std::int64_t>(data.size()) / format.nBlockAlign
                                       : 0;
    }
};

// Checks a format record for what the source and sink carry: WAVE_FORMAT_PCM with 8, 16, 24
// or 32 bits, or WAVE_FORMAT_IEEE_FLOAT with 32 or 64 bits; 1 to 8 channels; a sample rate;
// a block alignment of channels x bytes per sample. Returns an empty string or the problem.
std::string CheckWaveFormat(const WAVEFORMATEX& format);

// "16-bit PCM, 2 channels, 44100 Hz" and the like, for messages.
std::string DescribeWaveFormat(const WAVEFORMATEX& format);

// Parses a whole file held in memory. Chunks other than "fmt " and "data" are skipped; a
// trailing partial frame is dropped. On failure returns false with the problem in *error.
bool ParseWav(const std::vector<BYTE>& bytes, WavAudio* audio, std::string* error);

// Reads and parses a file. Errors read "PATH: problem".
bool ReadWavFile(const std::string& path, WavAudio* audio, std::string* error);

// Writes a whole file at once (tests and tools make their inputs with it).
bool WriteWavFile(const std::string& path, const WavAudio& audio, std::string* error);

// Writes a WAVE file as its data arrives: the header first with empty sizes, the samples as
// they come, the sizes when finished. Not thread-safe; its owner serialises the calls.
class CWavWriter {
public:
    CWavWriter() = default;
    ~CWavWriter() { Close(); }
    CWavWriter(const CWavWriter&) = delete;
    CWavWriter& operator=(const CWavWriter&) = delete;

    // Creates (or truncates) `path` and writes the header for `format`.
    bool Open(const std::string& path, const WAVEFORMATEX& format);
    bool Append(const BYTE* data, std::size_t bytes);
    // Writes the final sizes and closes the file.
    bool Finish();
    // Closes without finishing.
    void Close();

    bool IsOpen() const { return file_ != nullptr; }
    std::uint64_t DataBytes() const { return dataBytes_; }

private:
    struct FileCloser {
        void operator()(std::FILE* file) const { std::fclose(file); }
    };
    std::unique_ptr<std::FILE, FileCloser> file_;
    WAVEFORMATEX format_ = {};
    std::uint64_t dataBytes_ = 0;
    bool failed_ = false;
};
