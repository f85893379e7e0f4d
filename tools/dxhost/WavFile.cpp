// WAVE reading and writing.
#include "tools/dxhost/WavFile.h"

#include <cstring>

namespace {

constexpr std::uint32_t kMaxRiffBytes = 0xFFFFFFFFu;

std::uint32_t Read32(const BYTE* p) {
    return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
           static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}

std::uint16_t Read16(const BYTE* p) {
    return static_cast<std::uint16_t>(p[0] | p[1] << 8);
}

void Put32(std::vector<BYTE>& out, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<BYTE>(value >> (8 * i)));
}

void Put16(std::vector<BYTE>& out, std::uint16_t value) {
    out.push_back(static_cast<BYTE>(value));
    out.push_back(static_cast<BYTE>(value >> 8));
}

void PutTag(std::vector<BYTE>& out, const char* tag) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<BYTE>(tag[i]));
}

bool IsFloat(const WAVEFORMATEX& format) {
    return format.wFormatTag == WAVE_FORMAT_IEEE_FLOAT;
}

// Everything before the sample bytes. Float files carry the 18-byte format record and a
// "fact" chunk with the frame count, as the format's description asks of non-PCM data.
std::vector<BYTE> Header(const WAVEFORMATEX& format, std::uint64_t dataBytes) {
    const bool isFloat = IsFloat(format);
    const std::uint32_t formatBytes = isFloat ? 18 : 16;
    const std::uint32_t factBytes = isFloat ? 12 : 0;
    const std::uint64_t riffBytes =
        4 + 8 + formatBytes + factBytes + 8 + dataBytes + (dataBytes & 1);
    std::vector<BYTE> out;
    out.reserve(64);
    PutTag(out, "RIFF");
    Put32(out, static_cast<std::uint32_t>(riffBytes > kMaxRiffBytes ? kMaxRiffBytes : riffBytes));
    PutTag(out, "WAVE");
    PutTag(out, "fmt ");
    Put32(out, formatBytes);
    Put16(out, format.wFormatTag);
    Put16(out, format.nChannels);
    Put32(out, format.nSamplesPerSec);
    Put32(out, format.nAvgBytesPerSec);
    Put16(out, format.nBlockAlign);
    Put16(out, format.wBitsPerSample);
    if (isFloat) {
        Put16(out, 0);
        PutTag(out, "fact");
        Put32(out, 4);
        Put32(out,
              static_cast<std::uint32_t>(format.nBlockAlign ? dataBytes / format.nBlockAlign : 0));
    }
    PutTag(out, "data");
    Put32(out, static_cast<std::uint32_t>(dataBytes > kMaxRiffBytes ? kMaxRiffBytes : dataBytes));
    return out;
}

}  // namespace

std::string CheckWaveFormat(const WAVEFORMATEX& format) {
    const WORD bits = format.wBitsPerSample;
    if (format.wFormatTag == WAVE_FORMAT_PCM) {
        if (bits != 8 && bits != 16 && bits != 24 && bits != 32) {
            return std::to_string(bits) + "-bit PCM is not supported";
        }
    } else if (format.wFormatTag == WAVE_FORMAT_IEEE_FLOAT) {
        if (bits != 32 && bits != 64) return std::to_string(bits) + "-bit float is not supported";
    } else {
        return "format tag " + std::to_string(format.wFormatTag) +
               " is not supported (only PCM and IEEE float)";
    }
    if (format.nChannels < 1 || format.nChannels > 8) {
        return std::to_string(format.nChannels) + " channels are not supported";
    }
    if (format.nSamplesPerSec == 0) return "the sample rate is 0";
    if (format.nBlockAlign != format.nChannels * (bits / 8)) {
        return "the block alignment does not match the channels and bits";
    }
    return {};
}

std::string DescribeWaveFormat(const WAVEFORMATEX& format) {
    std::string text =
        std::to_string(format.wBitsPerSample) + (IsFloat(format) ? "-bit float, " : "-bit PCM, ") +
        std::to_string(format.nChannels) + (format.nChannels == 1 ? " channel, " : " channels, ") +
        std::to_string(format.nSamplesPerSec) + " Hz";
    return text;
}

bool ParseWav(const std::vector<BYTE>& bytes, WavAudio* audio, std::string* error) {
    *audio = WavAudio{};
    if (bytes.size() < 12 || std::memcmp(bytes.data(), "RIFF", 4) != 0 ||
        std::memcmp(bytes.data() + 8, "WAVE", 4) != 0) {
        *error = "not a RIFF WAVE file";
        return false;
    }
    bool haveFormat = false;
    bool haveData = false;
    std::size_t at = 12;
    while (at + 8 <= bytes.size() && !haveData) {
        const BYTE* chunk = bytes.data() + at;
        const std::uint32_t size = Read32(chunk + 4);
        const std::size_t body = at + 8;
        if (size > bytes.size() - body) {
            *error = std::string("the \"") + std::string(reinterpret_cast<const char*>(chunk), 4) +
                     "\" chunk runs past the end of the file";
            return false;
        }
        if (std::memcmp(chunk, "fmt ", 4) == 0) {
            if (size < 16) {
                *error = "the format chunk is too short";
                return false;
            }
            const BYTE* f = bytes.data() + body;
            WAVEFORMATEX& format = audio->format;
            format.wFormatTag = Read16(f);
            format.nChannels = Read16(f + 2);
            format.nSamplesPerSec = Read32(f + 4);
            format.nBlockAlign = Read16(f + 12);
            format.wBitsPerSample = Read16(f + 14);
            format.nAvgBytesPerSec = format.nSamplesPerSec * format.nBlockAlign;
            format.cbSize = 0;
            const std::string problem = CheckWaveFormat(format);
            if (!problem.empty()) {
                *error = problem;
                return false;
            }
            haveFormat = true;
        } else if (std::memcmp(chunk, "data", 4) == 0) {
            if (!haveFormat) {
                *error = "the data chunk comes before the format chunk";
                return false;
            }
            const std::size_t whole = size - size % audio->format.nBlockAlign;
            audio->data.assign(bytes.begin() + static_cast<std::ptrdiff_t>(body),
                               bytes.begin() + static_cast<std::ptrdiff_t>(body + whole));
            haveData = true;
        }
        at = body + size + (size & 1);
    }
    if (!haveFormat || !haveData) {
        *error = haveFormat ? "no data chunk" : "no format chunk";
        *audio = WavAudio{};
        return false;
    }
    return true;
}

bool ReadWavFile(const std::string& path, WavAudio* audio, std::string* error) {
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(path.c_str(), "rb"),
                                                         &std::fclose);
    if (!file) {
        *error = path + ": cannot open the file";
        return false;
    }
    std::vector<BYTE> bytes;
    BYTE block[65536];
    for (;;) {
        const std::size_t got = std::fread(block, 1, sizeof(block), file.get());
        bytes.insert(bytes.end(), block, block + got);
        if (got < sizeof(block)) break;
    }
    if (std::ferror(file.get())) {
        *error = path + ": cannot read the file";
        return false;
    }
    if (!ParseWav(bytes, audio, error)) {
        *error = path + ": " + *error;
        return false;
    }
    return true;
}

bool WriteWavFile(const std::string& path, const WavAudio& audio, std::string* error) {
    CWavWriter writer;
    if (!writer.Open(path, audio.format) || !writer.Append(audio.data.data(), audio.data.size()) ||
        !writer.Finish()) {
        *error = path + ": cannot write the file";
        return false;
    }
    return true;
}

bool CWavWriter::Open(const std::string& path, const WAVEFORMATEX& format) {
    Close();
    file_.reset(std::fopen(path.c_str(), "wb"));
    if (!file_) return false;
    format_ = format;
    dataBytes_ = 0;
    failed_ = false;
    const std::vector<BYTE> header = Header(format_, 0);
    if (std::fwrite(header.data(), 1, header.size(), file_.get()) != header.size()) {
        failed_ = true;
    }
    return !failed_;
}

bool CWavWriter::Append(const BYTE* data, std::size_t bytes) {
    if (!file_ || failed_) return false;
    if (bytes != 0 && std::fwrite(data, 1, bytes, file_.get()) != bytes) failed_ = true;
    dataBytes_ += bytes;
    return !failed_;
}

bool CWavWriter::Finish() {
    if (!file_) return false;
    if (!failed_ && (dataBytes_ & 1) != 0) {
        const BYTE pad = 0;
        if (std::fwrite(&pad, 1, 1, file_.get()) != 1) failed_ = true;
    }
    const std::vector<BYTE> header = Header(format_, dataBytes_);
    if (!failed_ && (std::fseek(file_.get(), 0, SEEK_SET) != 0 ||
                     std::fwrite(header.data(), 1, header.size(), file_.get()) != header.size())) {
        failed_ = true;
    }
    if (std::fclose(file_.release()) != 0) failed_ = true;
    return !failed_;
}

void CWavWriter::Close() {
    file_.reset();
}
