// libFuzzer target for the engine's persisted-state reader: any bytes are loaded through Load
// from a memory stream. A refused state changes nothing; a taken one leaves every setting in its
// range and saves as a state that loads back to the same settings and bytes.
#include <vector>

#include "tests/support/EngineHarness.h"
#include "tests/support/FuzzCheck.h"

namespace {

// The bytes loaded into `engine` from a stream, or (bytes null) the engine saved into *saved.
HRESULT Stream(CAudioTransform& engine, const std::vector<BYTE>* bytes, std::vector<BYTE>* saved) {
    IStream* stream = nullptr;
    FuzzCheck(SUCCEEDED(CreateStreamOnHGlobal(nullptr, TRUE, &stream)), "stream");
    ULONG done = 0;
    ULARGE_INTEGER size{};
    HRESULT hr = S_OK;
    if (bytes != nullptr) {
        stream->Write(bytes->data(), static_cast<ULONG>(bytes->size()), &done);
        stream->Seek(LARGE_INTEGER{}, STREAM_SEEK_SET, nullptr);
        hr = engine.Load(stream);
    } else {
        FuzzCheck(engine.Save(stream, TRUE) == S_OK, "save succeeds");
        stream->Seek(LARGE_INTEGER{}, STREAM_SEEK_END, &size);
        stream->Seek(LARGE_INTEGER{}, STREAM_SEEK_SET, nullptr);
        saved->resize(static_cast<size_t>(size.QuadPart));
        stream->Read(saved->data(), static_cast<ULONG>(saved->size()), &done);
    }
    stream->Release();
    return hr;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    EngineHarness engine, copy;
    const std::vector<int> before = engine.Words();
    const std::vector<BYTE> bytes(data, data + size);
    if (FAILED(Stream(*engine, &bytes, nullptr))) {
        FuzzCheck(engine.Words() == before, "a refused state changes nothing");
        return 0;
    }
    const std::vector<int> words = engine.Words();
    for (const ParameterDef& def : kParameters) {
        FuzzCheck(words[def.word] >= def.minimum && words[def.word] <= def.maximum, "in range");
    }
    for (int w : {SetupWord::kTail, SetupWord::kStereo}) FuzzCheck((words[w] & ~1) == 0, "switch");

    std::vector<BYTE> saved, again;
    Stream(*engine, nullptr, &saved);
    FuzzCheck(Stream(*copy, &saved, nullptr) == S_OK && copy.Words() == words, "loads the same");
    Stream(*copy, nullptr, &again);
    FuzzCheck(again == saved, "and saves the same bytes");
    return 0;
}
