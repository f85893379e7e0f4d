// Helpers of the framework's tests.
#include "tests/framework/FrameworkTestSupport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <numbers>

namespace {

// COM on the test program's main thread, as a host's user-interface thread has it.
class ComEnvironment : public ::testing::Environment {
public:
    void SetUp() override { ASSERT_EQ(S_OK, CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)); }
    void TearDown() override { CoUninitialize(); }
};

[[maybe_unused]] const ::testing::Environment* const kComEnvironment =
    ::testing::AddGlobalTestEnvironment(new ComEnvironment);

}  // namespace

ULONG RefCount(IUnknown* object) {
    object->AddRef();
    return object->Release();
}

WavAudio MakeTestAudio(WORD formatTag, WORD bits, WORD channels, DWORD rate, int frames) {
    WavAudio audio;
    audio.format.wFormatTag = formatTag;
    audio.format.nChannels = channels;
    audio.format.nSamplesPerSec = rate;
    audio.format.wBitsPerSample = bits;
    audio.format.nBlockAlign = static_cast<WORD>(channels * bits / 8);
    audio.format.nAvgBytesPerSec = rate * audio.format.nBlockAlign;
    audio.data.resize(static_cast<std::size_t>(frames) * audio.format.nBlockAlign);
    BYTE* out = audio.data.data();
    for (int frame = 0; frame < frames; ++frame) {
        for (int channel = 0; channel < channels; ++channel) {
            const double t = static_cast<double>(frame) / rate;
            const double value =
                0.5 * std::sin(2 * std::numbers::pi * (220.0 + 110.0 * channel + 50 * t) * t) +
                0.25 * ((frame % 100) / 100.0 - 0.5);
            if (formatTag == WAVE_FORMAT_PCM) {
                const auto sample = static_cast<std::int16_t>(std::lround(value * 32767));
                std::memcpy(out, &sample, 2);
                out += 2;
            } else if (bits == 32) {
                const auto sample = static_cast<float>(value);
                std::memcpy(out, &sample, 4);
                out += 4;
            } else {
                std::memcpy(out, &value, 8);
                out += 8;
            }
        }
    }
    return audio;
}

ScopedFile::ScopedFile(const std::string& name) : path_(name) {
    DeleteFileA(path_.c_str());
}

ScopedFile::~ScopedFile() {
    DeleteFileA(path_.c_str());
}

bool ScopedFile::Exists() const {
    return GetFileAttributesA(path_.c_str()) != INVALID_FILE_ATTRIBUTES;
}

CTestObject::CTestObject(IUnknown* outer, bool* destroyed)
    : CUnknown(L"test object", outer), destroyed_(destroyed) {}

CTestObject::~CTestObject() {
    if (destroyed_ != nullptr) *destroyed_ = true;
}

HRESULT STDMETHODCALLTYPE CTestObject::NonDelegatingQueryInterface(REFIID riid, void** ppv) {
    if (ppv == nullptr) return E_POINTER;
    if (IsEqualIID(riid, IID_IPersist)) return GetInterface(static_cast<IPersist*>(this), ppv);
    return CUnknown::NonDelegatingQueryInterface(riid, ppv);
}

HRESULT STDMETHODCALLTYPE CTestObject::GetClassID(CLSID* clsid) {
    if (clsid == nullptr) return E_POINTER;
    *clsid = CLSID_TestPassThrough;
    return S_OK;
}
