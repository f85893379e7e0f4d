// The persisted state as a host handles it: random streams offered to Load (bad ones refused
// with E_FAIL and nothing changed), and Save, Load, Save giving the same bytes.
#include <cstring>
#include <vector>

#include "engine/Identifiers.h"
#include "tools/dxval/Checks.h"

namespace {

// A memory stream holding `bytes`, positioned at its start.
ComPtr<IStream> StreamOf(const std::vector<BYTE>& bytes) {
    ComPtr<IStream> stream;
    if (FAILED(CreateStreamOnHGlobal(nullptr, TRUE, stream.Put()))) return stream;
    ULONG written = 0;
    if (!bytes.empty()) stream->Write(bytes.data(), static_cast<ULONG>(bytes.size()), &written);
    const LARGE_INTEGER start = {};
    stream->Seek(start, STREAM_SEEK_SET, nullptr);
    return stream;
}

std::vector<BYTE> Saved(CheckContext& context, IPersistStream* persist) {
    ComPtr<IStream> stream = StreamOf({});
    std::vector<BYTE> bytes;
    if (!stream) return bytes;
    context.ExpectHr(persist->Save(stream.Get(), FALSE), S_OK, "IPersistStream::Save");
    STATSTG stat = {};
    stream->Stat(&stat, STATFLAG_NONAME);
    bytes.resize(static_cast<std::size_t>(stat.cbSize.QuadPart));
    const LARGE_INTEGER start = {};
    stream->Seek(start, STREAM_SEEK_SET, nullptr);
    ULONG read = 0;
    if (!bytes.empty()) stream->Read(bytes.data(), static_cast<ULONG>(bytes.size()), &read);
    return bytes;
}

// The known lengths of a state, with their header.
constexpr std::uint32_t kLengths[] = {80, 92, 96, 100};

// A random stream of 0 to 200 bytes: pure noise, or a header of a known or unknown length
// and the right or a wrong tag, with a body that may stop early.
std::vector<BYTE> RandomState(CheckContext& context, bool* wellFormed) {
    std::vector<BYTE> bytes(static_cast<std::size_t>(context.Pick(0, 200)));
    for (BYTE& b : bytes) b = static_cast<BYTE>(context.Pick(0, 255));
    *wellFormed = false;
    if (context.Pick(0, 2) == 0 || bytes.size() < 20) return bytes;
    const bool knownLength = context.Pick(0, 3) != 0;
    const std::uint32_t length = knownLength ? kLengths[context.Pick(0, 3)]
                                             : static_cast<std::uint32_t>(context.Pick(0, 200));
    for (int i = 0; i < 4; ++i) bytes[i] = static_cast<BYTE>(length >> (8 * i));
    const bool rightTag = context.Pick(0, 3) != 0;
    GUID tag = IID_IHqPlugInProp;
    if (!rightTag) tag.Data4[context.Pick(0, 7)] ^= static_cast<BYTE>(context.Pick(1, 255));
    std::memcpy(&bytes[4], &tag, sizeof tag);
    *wellFormed = (length == 80 || length == 92 || length == 96 || length == 100) && rightTag &&
                  bytes.size() >= length;
    return bytes;
}

}  // namespace

void CheckState(CheckContext& context) {
    ComPtr<IBaseFilter> filter = CreateFilter(context);
    if (!filter) return;
    ComPtr<IPersistStream> persist;
    ComPtr<IHqPlugInProp> engine;
    if (FAILED(filter->QueryInterface(IID_IPersistStream, persist.PutVoid())) ||
        FAILED(filter->QueryInterface(IID_IHqPlugInProp, engine.PutVoid()))) {
        context.Fail("the filter does not give IPersistStream and IHqPlugInProp");
        return;
    }
    const int rounds = context.options.quick ? 20000 : 200000;
    int accepted = 0;
    for (int i = 0; i < rounds; ++i) {
        bool wellFormed = false;
        const std::vector<BYTE> offered = RandomState(context, &wellFormed);
        context.Step("Load of random stream " + std::to_string(i));
        const std::vector<BYTE> before = Saved(context, persist.Get());
        ComPtr<IStream> stream = StreamOf(offered);
        const HRESULT hr = persist->Load(stream.Get());
        ++context.runs;
        if (wellFormed) {
            context.ExpectHr(
                hr, S_OK,
                "Load of a well-formed " + std::to_string(offered.size()) + "-byte state");
            ++accepted;
            // What was loaded saves, loads and saves to the same bytes.
            const std::vector<BYTE> first = Saved(context, persist.Get());
            ComPtr<IStream> again = StreamOf(first);
            context.ExpectHr(persist->Load(again.Get()), S_OK, "Load of a saved state");
            if (Saved(context, persist.Get()) != first) {
                context.Fail("Save, Load, Save gives different bytes after stream " +
                             std::to_string(i));
            }
            continue;
        }
        context.ExpectHr(hr, E_FAIL,
                         "Load of a malformed " + std::to_string(offered.size()) + "-byte stream");
        if (Saved(context, persist.Get()) != before) {
            context.Fail("a refused " + std::to_string(offered.size()) +
                         "-byte stream changed the settings");
        }
    }
    context.Step("Load of a null stream");
    context.ExpectHr(persist->Load(nullptr), E_POINTER, "IPersistStream::Load(null)");
    context.note = std::to_string(accepted) + " accepted";
}
