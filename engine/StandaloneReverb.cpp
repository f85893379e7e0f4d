// The engine as an object of its own (see StandaloneReverb.h).
#include "engine/StandaloneReverb.h"

CStandaloneReverb::CStandaloneReverb(HRESULT* status, AutomationFactory createAutomation)
    : CAudioTransform(status, createAutomation) {
    ApplyPreset(0);
}

HRESULT CStandaloneReverb::QueryInterface(REFIID riid, void** ppv) {
    if (ppv == nullptr) return E_POINTER;
    if (IsEqualGUID(riid, IID_IUnknown) || IsEqualGUID(riid, IID_IHqPlugInProp)) {
        *ppv = static_cast<IHqPlugInProp*>(this);
        AddRef();
        return S_OK;
    }
    *ppv = nullptr;
    return E_NOINTERFACE;
}

ULONG CStandaloneReverb::AddRef() {
    return ++references_;
}

ULONG CStandaloneReverb::Release() {
    const ULONG left = --references_;
    if (left == 0) delete this;
    return left;
}

void CStandaloneReverb::SetFormats(const WAVEFORMATEX& input, const WAVEFORMATEX& output) {
    inputRecord_ = input;
    outputRecord_ = output;
    SetFormatRecord(0, &inputRecord_);
    SetFormatRecord(1, &outputRecord_);
}

WAVEFORMATEX CStandaloneReverb::MakeFormat(WORD formatTag, WORD bitsPerSample, WORD channels,
                                           DWORD sampleRate) {
    WAVEFORMATEX format{};
    format.wFormatTag = formatTag;
    format.nChannels = channels;
    format.nSamplesPerSec = sampleRate;
    format.wBitsPerSample = bitsPerSample;
    format.nBlockAlign = static_cast<WORD>(channels * (bitsPerSample / 8));
    format.nAvgBytesPerSec = format.nBlockAlign * sampleRate;
    format.cbSize = 0;
    return format;
}
