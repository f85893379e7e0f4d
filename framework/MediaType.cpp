// Media types with owned format blocks.
#include "framework/MediaType.h"

#include <cstring>

namespace {

void ClearMediaType(AM_MEDIA_TYPE& type) {
    std::memset(&type, 0, sizeof(type));
    type.bFixedSizeSamples = TRUE;
    type.lSampleSize = 1;
}

}  // namespace

void FreeMediaType(AM_MEDIA_TYPE& type) {
    if (type.cbFormat != 0 || type.pbFormat != nullptr) CoTaskMemFree(type.pbFormat);
    type.cbFormat = 0;
    type.pbFormat = nullptr;
    if (type.pUnk != nullptr) {
        type.pUnk->Release();
        type.pUnk = nullptr;
    }
}

void DeleteMediaType(AM_MEDIA_TYPE* type) {
    if (type == nullptr) return;
    FreeMediaType(*type);
    CoTaskMemFree(type);
}

HRESULT CopyMediaType(AM_MEDIA_TYPE* target, const AM_MEDIA_TYPE* source) {
    *target = *source;
    if (source->cbFormat != 0 && source->pbFormat != nullptr) {
        target->pbFormat = static_cast<BYTE*>(CoTaskMemAlloc(source->cbFormat));
        if (target->pbFormat == nullptr) {
            target->cbFormat = 0;
            target->pUnk = nullptr;
            return E_OUTOFMEMORY;
        }
        std::memcpy(target->pbFormat, source->pbFormat, source->cbFormat);
    } else {
        target->cbFormat = 0;
        target->pbFormat = nullptr;
    }
    if (target->pUnk != nullptr) target->pUnk->AddRef();
    return S_OK;
}

AM_MEDIA_TYPE* CreateMediaType(const AM_MEDIA_TYPE* source) {
    auto* type = static_cast<AM_MEDIA_TYPE*>(CoTaskMemAlloc(sizeof(AM_MEDIA_TYPE)));
    if (type == nullptr) return nullptr;
    if (FAILED(CopyMediaType(type, source))) {
        CoTaskMemFree(type);
        return nullptr;
    }
    return type;
}

CMediaType::CMediaType() : AM_MEDIA_TYPE() {
    ClearMediaType(*this);
}

CMediaType::CMediaType(const GUID* majorType) : CMediaType() {
    majortype = *majorType;
}

CMediaType::CMediaType(const AM_MEDIA_TYPE& other) : CMediaType() {
    Set(other);
}

CMediaType::CMediaType(const CMediaType& other) : CMediaType() {
    Set(other);
}

CMediaType& CMediaType::operator=(const AM_MEDIA_TYPE& other) {
    if (&other != this) Set(other);
    return *this;
}

CMediaType& CMediaType::operator=(const CMediaType& other) {
    return *this = static_cast<const AM_MEDIA_TYPE&>(other);
}

CMediaType::~CMediaType() {
    FreeMediaType(*this);
}

HRESULT CMediaType::Set(const AM_MEDIA_TYPE& other) {
    if (&other == this) return S_OK;
    FreeMediaType(*this);
    const HRESULT hr = CopyMediaType(this, &other);
    if (FAILED(hr)) ClearMediaType(*this);
    return hr;
}

bool CMediaType::operator==(const CMediaType& other) const {
    if (!IsEqualGUID(majortype, other.majortype) || !IsEqualGUID(subtype, other.subtype) ||
        !IsEqualGUID(formattype, other.formattype) || cbFormat != other.cbFormat) {
        return false;
    }
    return cbFormat == 0 || std::memcmp(pbFormat, other.pbFormat, cbFormat) == 0;
}

bool CMediaType::IsValid() const {
    return !IsEqualGUID(majortype, GUID_NULL);
}

bool CMediaType::IsPartiallySpecified() const {
    return IsEqualGUID(majortype, GUID_NULL) || IsEqualGUID(subtype, GUID_NULL) ||
           IsEqualGUID(formattype, GUID_NULL);
}

bool CMediaType::MatchesPartial(const CMediaType* partial) const {
    if (!IsEqualGUID(partial->majortype, GUID_NULL) &&
        !IsEqualGUID(partial->majortype, majortype)) {
        return false;
    }
    if (!IsEqualGUID(partial->subtype, GUID_NULL) && !IsEqualGUID(partial->subtype, subtype)) {
        return false;
    }
    if (!IsEqualGUID(partial->formattype, GUID_NULL)) {
        if (!IsEqualGUID(partial->formattype, formattype)) return false;
        if (partial->cbFormat != 0 && (partial->cbFormat != cbFormat ||
                                       std::memcmp(partial->pbFormat, pbFormat, cbFormat) != 0)) {
            return false;
        }
    }
    return true;
}

bool CMediaType::SetFormat(const BYTE* format, ULONG length) {
    BYTE* block = AllocFormatBuffer(length);
    if (block == nullptr && length != 0) return false;
    if (length != 0) std::memcpy(block, format, length);
    return true;
}

BYTE* CMediaType::AllocFormatBuffer(ULONG length) {
    ResetFormatBuffer();
    if (length == 0) return nullptr;
    auto* block = static_cast<BYTE*>(CoTaskMemAlloc(length));
    if (block == nullptr) return nullptr;
    std::memset(block, 0, length);
    pbFormat = block;
    cbFormat = length;
    return block;
}

BYTE* CMediaType::ReallocFormatBuffer(ULONG length) {
    if (length == 0) {
        ResetFormatBuffer();
        return nullptr;
    }
    auto* block = static_cast<BYTE*>(CoTaskMemRealloc(pbFormat, length));
    if (block == nullptr) return nullptr;
    if (length > cbFormat) std::memset(block + cbFormat, 0, length - cbFormat);
    pbFormat = block;
    cbFormat = length;
    return block;
}

void CMediaType::ResetFormatBuffer() {
    CoTaskMemFree(pbFormat);
    pbFormat = nullptr;
    cbFormat = 0;
}

void CMediaType::SetSampleSize(ULONG size) {
    if (size == 0) {
        SetVariableSize();
    } else {
        bFixedSizeSamples = TRUE;
        lSampleSize = size;
    }
}

void CMediaType::InitMediaType() {
    FreeMediaType(*this);
    ClearMediaType(*this);
}
