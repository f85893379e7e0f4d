// Native stand-ins for the DirectShow allocator and the DirectX Media Objects parameter records
// and interfaces, with the published layouts and method orders.
#pragma once

#include "platform/native/ComTypes.h"

struct ALLOCATOR_PROPERTIES {
    LONG cBuffers;
    LONG cbBuffer;
    LONG cbAlign;
    LONG cbPrefix;
};

struct IMediaSample;  // only passed through natively

// The allocator with its published methods; natively only buffer negotiation calls it.
struct IMemAllocator : IUnknown {
    virtual HRESULT STDMETHODCALLTYPE SetProperties(ALLOCATOR_PROPERTIES* request,
                                                    ALLOCATOR_PROPERTIES* actual) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetProperties(ALLOCATOR_PROPERTIES* props) = 0;
    virtual HRESULT STDMETHODCALLTYPE Commit() = 0;
    virtual HRESULT STDMETHODCALLTYPE Decommit() = 0;
    virtual HRESULT STDMETHODCALLTYPE GetBuffer(IMediaSample** sample, REFERENCE_TIME* start,
                                                REFERENCE_TIME* end, DWORD flags) = 0;
    virtual HRESULT STDMETHODCALLTYPE ReleaseBuffer(IMediaSample* sample) = 0;
};

using MP_DATA = float;
using MP_CAPS = DWORD;
using MP_FLAGS = DWORD;

enum MP_TYPE { MPT_INT = 0, MPT_FLOAT = 1, MPT_BOOL = 2, MPT_ENUM = 3, MPT_MAX = 4 };

enum MP_CURVE_TYPE {
    MP_CURVE_JUMP = 0x1,
    MP_CURVE_LINEAR = 0x2,
    MP_CURVE_SQUARE = 0x4,
    MP_CURVE_INVSQUARE = 0x8,
    MP_CURVE_SINE = 0x10
};

constexpr MP_CAPS MP_CAPS_CURVE_JUMP = MP_CURVE_JUMP;

struct MP_PARAMINFO {
    MP_TYPE mpType;
    MP_CAPS mopCaps;
    MP_DATA mpdMinValue;
    MP_DATA mpdMaxValue;
    MP_DATA mpdNeutralValue;
    WCHAR szUnitText[32];
    WCHAR szLabel[32];
};
static_assert(sizeof(MP_PARAMINFO) == 148, "MP_PARAMINFO is 148 bytes");

struct MP_ENVELOPE_SEGMENT {
    REFERENCE_TIME rtStart;
    REFERENCE_TIME rtEnd;
    MP_DATA valStart;
    MP_DATA valEnd;
    MP_CURVE_TYPE iCurve;
    MP_FLAGS flags;
};
static_assert(sizeof(MP_ENVELOPE_SEGMENT) == 32, "MP_ENVELOPE_SEGMENT is 32 bytes");

inline constexpr IID IID_IMediaParams = {
    0x6d6cbb61, 0xa223, 0x44aa, {0x84, 0x2f, 0xa2, 0xf0, 0x67, 0x50, 0xbe, 0x6e}};
inline constexpr IID IID_IMediaParamInfo = {
    0x6d6cbb60, 0xa223, 0x44aa, {0x84, 0x2f, 0xa2, 0xf0, 0x67, 0x50, 0xbe, 0x6d}};

struct IMediaParams : IUnknown {
    virtual HRESULT STDMETHODCALLTYPE GetParam(DWORD index, MP_DATA* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetParam(DWORD index, MP_DATA value) = 0;
    virtual HRESULT STDMETHODCALLTYPE AddEnvelope(DWORD index, DWORD count,
                                                  MP_ENVELOPE_SEGMENT* segments) = 0;
    virtual HRESULT STDMETHODCALLTYPE FlushEnvelope(DWORD index, REFERENCE_TIME start,
                                                    REFERENCE_TIME end) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetTimeFormat(GUID format, DWORD timeData) = 0;
};

struct IMediaParamInfo : IUnknown {
    virtual HRESULT STDMETHODCALLTYPE GetParamCount(DWORD* count) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetParamInfo(DWORD index, MP_PARAMINFO* info) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetParamText(DWORD index, WCHAR** text) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetNumTimeFormats(DWORD* count) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetSupportedTimeFormat(DWORD index, GUID* format) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetCurrentTimeFormat(GUID* format, DWORD* timeData) = 0;
};
