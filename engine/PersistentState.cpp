// The persisted state of the engine (what a host keeps in its project through the filter's
// IPersistStream) and the built-in host presets (IStaticFilterPreset). Runs on the host's
// user-interface thread; the settings are reached only through the locked setters and
// SyncFromAutomation, so a block on the streaming thread never sees half a state.
#include <cstring>
#include <vector>

#include "engine/AudioTransform.h"
#include "engine/BuiltinPresets.h"

namespace {

// Stream layout, little-endian: total length (4 bytes), tag (16 bytes), then the block.
constexpr ULONG kHeaderBytes = 20;
constexpr ULONG kStateBytes = kHeaderBytes + sizeof(SetupBlock);  // 100

// The older layouts stop early; the words they lack take these values on load.
struct StateLayout {
    ULONG totalBytes;
    int wordsPresent;
};
constexpr StateLayout kLayouts[] = {{80, 15}, {92, 18}, {96, 19}, {100, 20}};
// Words 15 to 19 as the older layouts lack them: E.R. -3.5 dB, E.R. Mute off, Width 100 %,
// Tail off, Stereo on. Every layout holds words 0 to 14.
constexpr std::int32_t kFillWords[kSetupWordCount] = {0, 0, 0, 0, 0, 0,   0, 0,   0, 0,
                                                      0, 0, 0, 0, 0, -35, 0, 100, 0, 1};

void WriteLittleEndian(BYTE* at, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) at[i] = static_cast<BYTE>(value >> (8 * i));
}

std::uint32_t ReadLittleEndian(const BYTE* at) {
    std::uint32_t value = 0;
    for (int i = 0; i < 4; ++i) value |= static_cast<std::uint32_t>(at[i]) << (8 * i);
    return value;
}

// The tag in the usual GUID byte order: 32-bit, 16-bit, 16-bit little-endian, then 8 bytes.
void PutTag(BYTE* at) {
    const GUID& tag = IID_IHqPlugInProp;
    WriteLittleEndian(at, tag.Data1);
    at[4] = static_cast<BYTE>(tag.Data2);
    at[5] = static_cast<BYTE>(tag.Data2 >> 8);
    at[6] = static_cast<BYTE>(tag.Data3);
    at[7] = static_cast<BYTE>(tag.Data3 >> 8);
    std::memcpy(at + 8, tag.Data4, 8);
}

// Reads exactly `bytes`: a failing read is returned as it is; a stream that ends early is
// malformed (E_FAIL).
HRESULT ReadExactly(IStream* stream, BYTE* buffer, ULONG bytes) {
    ULONG read = 0;
    const HRESULT hr = stream->Read(buffer, bytes, &read);
    if (FAILED(hr)) return hr;
    return read == bytes ? S_OK : E_FAIL;
}

// Writes exactly `bytes`: a failing write is returned as it is; a short one means the medium
// is full.
HRESULT WriteExactly(IStream* stream, const BYTE* buffer, ULONG bytes) {
    ULONG written = 0;
    const HRESULT hr = stream->Write(buffer, bytes, &written);
    if (FAILED(hr)) return hr;
    return written == bytes ? S_OK : STG_E_MEDIUMFULL;
}

}  // namespace

HRESULT CAudioTransform::IsDirty() {
    return IsDirtyFlag() ? S_OK : S_FALSE;
}

HRESULT CAudioTransform::Load(IStream* stream) {
    if (stream == nullptr) return E_POINTER;
    BYTE header[kHeaderBytes];
    HRESULT hr = ReadExactly(stream, header, kHeaderBytes);
    if (FAILED(hr)) return hr;

    const std::uint32_t totalBytes = ReadLittleEndian(header);
    const StateLayout* layout = nullptr;
    for (const StateLayout& candidate : kLayouts) {
        if (candidate.totalBytes == totalBytes) layout = &candidate;
    }
    if (layout == nullptr) return E_FAIL;
    BYTE tag[16];
    PutTag(tag);
    if (std::memcmp(header + 4, tag, sizeof tag) != 0) return E_FAIL;

    // Read whole before anything is applied: a stream that ends inside its block changes
    // nothing.
    BYTE body[sizeof(SetupBlock)];
    hr = ReadExactly(stream, body, layout->totalBytes - kHeaderBytes);
    if (FAILED(hr)) return hr;
    SetupBlock block;
    for (int w = 0; w < kSetupWordCount; ++w) {
        block.words[w] = w < layout->wordsPresent
                             ? static_cast<std::int32_t>(ReadLittleEndian(body + 4 * w))
                             : kFillWords[w];
    }

    hr = SetAllParams(&block);
    // The Stereo switch follows the state whatever became of the other words; it cannot
    // fail for any value.
    SetStereo(block.words[SetupWord::kStereo], FALSE);
    if (FAILED(hr)) return hr;
    NotifyEditors(kNoticeStateLoaded);
    return S_OK;
}

HRESULT CAudioTransform::Save(IStream* stream, BOOL clearDirty) {
    if (stream == nullptr) return E_POINTER;
    BYTE header[kHeaderBytes];
    WriteLittleEndian(header, kStateBytes);
    PutTag(header + 4);
    HRESULT hr = WriteExactly(stream, header, kHeaderBytes);
    if (FAILED(hr)) return hr;

    // What is saved is what is heard: the words as automation has them now. A change this
    // consumes is one the next block would have acted on, so that block derives its
    // coefficients again.
    SetupBlock snapshot;
    if (SyncFromAutomation(&snapshot) != 0) {
        coefficientsValid_.store(0, std::memory_order_release);
    }
    BYTE body[sizeof(SetupBlock)];
    for (int w = 0; w < kSetupWordCount; ++w) {
        WriteLittleEndian(body + 4 * w, static_cast<std::uint32_t>(snapshot.words[w]));
    }
    hr = WriteExactly(stream, body, sizeof body);
    if (SUCCEEDED(hr) && clearDirty) ClearDirtyFlag();
    return hr;
}

// GetSizeMax and GetPresetCount check their pointer although no host passes null: a COM
// method answers E_POINTER rather than crash.
HRESULT CAudioTransform::GetSizeMax(ULARGE_INTEGER* size) {
    if (size == nullptr) return E_POINTER;
    size->QuadPart = kStateBytes;
    return S_OK;
}

HRESULT CAudioTransform::GetPresetCount(DWORD* count) {
    if (count == nullptr) return E_POINTER;
    *count = kBuiltinPresetCount;
    return S_OK;
}

HRESULT CAudioTransform::GetPresetName(DWORD index, LPWSTR name, int nameLength) {
    if (index >= kBuiltinPresetCount) return E_INVALIDARG;
    if (name == nullptr) return E_POINTER;
    // A buffer too short receives what the conversion leaves in it; the host asked for it.
    MultiByteToWideChar(CP_ACP, 0, kBuiltinPresets[index].name, -1, name, nameLength);
    return S_OK;
}

namespace {

// Owns one reference on a stream.
struct StreamHolder {
    IStream* stream = nullptr;
    ~StreamHolder() {
        if (stream != nullptr) stream->Release();
    }
};

}  // namespace

HRESULT SaveStateBytes(CAudioTransform& engine, std::vector<char>* bytes) {
    StreamHolder holder;
    if (FAILED(CreateStreamOnHGlobal(nullptr, TRUE, &holder.stream))) return E_OUTOFMEMORY;
    const HRESULT hr = engine.Save(holder.stream, TRUE);
    if (FAILED(hr)) return hr;
    ULARGE_INTEGER size{};
    LARGE_INTEGER zero{};
    holder.stream->Seek(zero, STREAM_SEEK_END, &size);
    holder.stream->Seek(zero, STREAM_SEEK_SET, nullptr);
    bytes->assign(static_cast<std::size_t>(size.QuadPart), 0);
    ULONG read = 0;
    holder.stream->Read(bytes->data(), static_cast<ULONG>(bytes->size()), &read);
    bytes->resize(read);
    return S_OK;
}

HRESULT LoadStateBytes(CAudioTransform& engine, const void* data, std::size_t size) {
    StreamHolder holder;
    if (FAILED(CreateStreamOnHGlobal(nullptr, TRUE, &holder.stream))) return E_OUTOFMEMORY;
    ULONG written = 0;
    LARGE_INTEGER start{};
    holder.stream->Write(data, static_cast<ULONG>(size), &written);
    holder.stream->Seek(start, STREAM_SEEK_SET, nullptr);
    if (written != size) return E_OUTOFMEMORY;
    return engine.Load(holder.stream);
}
