// A media type that owns its format block: AM_MEDIA_TYPE with deep copy and release. Format
// blocks live in COM task memory, as the media types that pins exchange do, and the optional
// pUnk is counted. Used by the pins, the enumerators and every filter's type negotiation.
#pragma once

#include "platform/Platform.h"

class CMediaType : public AM_MEDIA_TYPE {
public:
    // An empty type: no major type (not valid), fixed-size samples of 1 byte, no format.
    CMediaType();
    explicit CMediaType(const GUID* majorType);
    // Deep copies. If the format block cannot be allocated the copy is left empty (not
    // valid); Set reports that case instead.
    CMediaType(const AM_MEDIA_TYPE& other);  // implicit: every AM_MEDIA_TYPE converts
    CMediaType(const CMediaType& other);
    CMediaType& operator=(const AM_MEDIA_TYPE& other);
    CMediaType& operator=(const CMediaType& other);
    ~CMediaType();

    // Replaces this type with a deep copy of `other`: S_OK, or E_OUTOFMEMORY leaving this
    // type empty.
    HRESULT Set(const AM_MEDIA_TYPE& other);

    // Equal major type, sub type, format type and format bytes.
    bool operator==(const CMediaType& other) const;
    bool operator!=(const CMediaType& other) const { return !(*this == other); }

    // Has a major type.
    bool IsValid() const;
    // GUID_NULL in the major type, sub type or format type (a wildcard in negotiation).
    bool IsPartiallySpecified() const;
    // Matches `partial` in every field that is not GUID_NULL there, and in the format block
    // when `partial` names a format type and carries a block.
    bool MatchesPartial(const CMediaType* partial) const;

    const GUID* Type() const { return &majortype; }
    void SetType(const GUID* type) { majortype = *type; }
    const GUID* Subtype() const { return &subtype; }
    void SetSubtype(const GUID* type) { subtype = *type; }
    const GUID* FormatType() const { return &formattype; }
    void SetFormatType(const GUID* type) { formattype = *type; }

    BYTE* Format() const { return pbFormat; }
    ULONG FormatLength() const { return cbFormat; }
    // Copies `length` bytes into a new format block: false when it cannot be allocated.
    bool SetFormat(const BYTE* format, ULONG length);
    // A zeroed block of `length` bytes replacing the old one; null when it cannot be had.
    BYTE* AllocFormatBuffer(ULONG length);
    // Grows or shrinks the block keeping its leading bytes; null (old block kept) on failure.
    BYTE* ReallocFormatBuffer(ULONG length);
    void ResetFormatBuffer();

    void SetTemporalCompression(bool compressed) { bTemporalCompression = compressed; }
    bool IsTemporalCompressed() const { return bTemporalCompression != FALSE; }
    void SetSampleSize(ULONG size);
    void SetVariableSize() { bFixedSizeSamples = FALSE; }
    bool IsFixedSize() const { return bFixedSizeSamples != FALSE; }
    ULONG GetSampleSize() const { return IsFixedSize() ? lSampleSize : 0; }

    // Back to the empty type, releasing the format block and pUnk.
    void InitMediaType();
};

// Releases the format block and pUnk of a media type and clears them.
void FreeMediaType(AM_MEDIA_TYPE& type);
// Frees a media type allocated in task memory (as enumerators hand them out) with its block.
void DeleteMediaType(AM_MEDIA_TYPE* type);
// A deep copy in task memory, for IEnumMediaTypes::Next; null when memory runs out.
AM_MEDIA_TYPE* CreateMediaType(const AM_MEDIA_TYPE* source);
// Deep-copies `source` over `target` (whose old contents are not freed): S_OK or
// E_OUTOFMEMORY with `target` left without format block.
HRESULT CopyMediaType(AM_MEDIA_TYPE* target, const AM_MEDIA_TYPE* source);
