// An upstream filter for the reverb filter's tests: one output pin "Output" that offers one
// audio media type and sizes the allocator it is given as the test says, without a streaming
// thread of its own. The test hands samples to the downstream pin itself (CFakeSample).
#pragma once

#include <memory>

#include "framework/BaseFilter.h"
#include "framework/BaseOutputPin.h"
#include "framework/MediaType.h"
#include "platform/CritSec.h"

// The source's class identifier (GetClassID only; never registered).
inline constexpr CLSID CLSID_QvTestSource = {
    0x4f0b7c21, 0x9d5e, 0x4a63, {0xb2, 0x18, 0x6c, 0xe0, 0x31, 0x7a, 0x55, 0x9d}};

// An audio type as a source of WAV audio presents it: MEDIATYPE_Audio, the sub type of the
// format tag, FORMAT_WaveFormatEx with a 16-byte-plus-cbSize record whose block alignment and
// byte rate follow channels x bits / 8.
CMediaType AudioType(WORD formatTag, WORD bits, WORD channels, DWORD rate);
// The wave format record of a type built by AudioType (or any type with such a block).
WAVEFORMATEX* WaveFormat(const CMediaType& type);

class CTestSource;

class CTestSourcePin final : public CBaseOutputPin {
public:
    CTestSourcePin(CTestSource* source, CCritSec* lock, HRESULT* hr);
    ~CTestSourcePin() override;

    // Only the source's current type.
    HRESULT CheckMediaType(const CMediaType* type) override;
    HRESULT GetMediaType(int position, CMediaType* type) override;
    // Asks the allocator for the source's buffer properties; E_FAIL if fewer bytes are granted.
    HRESULT DecideBufferSize(IMemAllocator* allocator, ALLOCATOR_PROPERTIES* properties) override;

private:
    CTestSource* const source_;  // not counted: the filter owns the pin
};

class CTestSource final : public CBaseFilter {
public:
    // A new source with one reference: E_POINTER, E_OUTOFMEMORY.
    static HRESULT Create(const CMediaType& type, const ALLOCATOR_PROPERTIES& buffers,
                          CTestSource** out);

    int GetPinCount() override { return 1; }
    CBasePin* GetPin(int n) override;
    CTestSourcePin* Pin() const { return pin_.get(); }

    // The type offered at the next connection.
    void SetOfferedType(const CMediaType& type) { type_ = type; }
    const CMediaType& OfferedType() const { return type_; }
    const ALLOCATOR_PROPERTIES& Buffers() const { return buffers_; }

private:
    CTestSource(const CMediaType& type, const ALLOCATOR_PROPERTIES& buffers);
    ~CTestSource() override;

    CCritSec filterLock_;
    CMediaType type_;
    ALLOCATOR_PROPERTIES buffers_;
    std::unique_ptr<CTestSourcePin> pin_;
};
