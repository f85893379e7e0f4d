// dxhost's work: the filter's preparation around the graph run.
#include "tools/dxhost/DxHost.h"

#include <olectl.h>

#include <cstdio>
#include <memory>

#include "engine/StaticFilterPreset.h"
#include "framework/ComPtr.h"
#include "host/AutomationFile.h"
#include "tools/dxhost/GraphRunner.h"
#include "tools/dxhost/HostOptions.h"
#include "tools/dxhost/WavFile.h"

namespace {

constexpr int kExitFailed = 1;
constexpr int kExitUsage = 2;

// COM on the program's thread for the whole run.
class ComApartment {
public:
    ComApartment() : hr_(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) {}
    ~ComApartment() {
        if (SUCCEEDED(hr_)) CoUninitialize();
    }
    ComApartment(const ComApartment&) = delete;
    ComApartment& operator=(const ComApartment&) = delete;
    HRESULT Result() const { return hr_; }

private:
    HRESULT hr_;
};

std::string ClsidText(REFCLSID clsid) {
    WCHAR wide[39] = {};
    StringFromGUID2(clsid, wide, 39);
    std::string text;
    for (const WCHAR* c = wide; *c != 0; ++c) text += static_cast<char>(*c);
    return text;
}

bool ReadFileBytes(const std::string& path, std::vector<BYTE>* bytes) {
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(path.c_str(), "rb"),
                                                         &std::fclose);
    if (!file) return false;
    bytes->clear();
    BYTE block[4096];
    for (;;) {
        const std::size_t got = std::fread(block, 1, sizeof(block), file.get());
        bytes->insert(bytes->end(), block, block + got);
        if (got < sizeof(block)) break;
    }
    return !std::ferror(file.get());
}

bool WriteFileBytes(const std::string& path, const std::vector<BYTE>& bytes) {
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(path.c_str(), "wb"),
                                                         &std::fclose);
    if (!file) return false;
    if (std::fwrite(bytes.data(), 1, bytes.size(), file.get()) != bytes.size()) return false;
    return std::fclose(file.release()) == 0;
}

// Loads the filter's state from a file through a memory stream.
bool LoadState(IBaseFilter* filter, const std::string& path, std::string* error) {
    ComPtr<IPersistStream> persist;
    HRESULT hr = filter->QueryInterface(IID_IPersistStream, persist.PutVoid());
    if (FAILED(hr)) {
        *error = "the filter cannot load a state (no IPersistStream)";
        return false;
    }
    std::vector<BYTE> bytes;
    if (!ReadFileBytes(path, &bytes)) {
        *error = path + ": cannot read the file";
        return false;
    }
    ComPtr<IStream> stream;
    hr = CreateStreamOnHGlobal(nullptr, TRUE, stream.Put());
    ULONG written = 0;
    if (SUCCEEDED(hr) && !bytes.empty()) {
        hr = stream->Write(bytes.data(), static_cast<ULONG>(bytes.size()), &written);
    }
    LARGE_INTEGER origin = {};
    if (SUCCEEDED(hr)) hr = stream->Seek(origin, STREAM_SEEK_SET, nullptr);
    if (SUCCEEDED(hr)) hr = persist->Load(stream.Get());
    if (FAILED(hr)) {
        *error = path + ": the filter refuses the state: " + DescribeHResult(hr);
        return false;
    }
    return true;
}

// Saves the filter's state to a file through a memory stream.
bool SaveState(IBaseFilter* filter, const std::string& path, std::string* error) {
    ComPtr<IPersistStream> persist;
    HRESULT hr = filter->QueryInterface(IID_IPersistStream, persist.PutVoid());
    if (FAILED(hr)) {
        *error = "the filter cannot save its state (no IPersistStream)";
        return false;
    }
    ComPtr<IStream> stream;
    hr = CreateStreamOnHGlobal(nullptr, TRUE, stream.Put());
    if (SUCCEEDED(hr)) hr = persist->Save(stream.Get(), TRUE);
    STATSTG stat = {};
    if (SUCCEEDED(hr)) hr = stream->Stat(&stat, STATFLAG_NONAME);
    std::vector<BYTE> bytes(SUCCEEDED(hr) ? static_cast<std::size_t>(stat.cbSize.QuadPart) : 0);
    LARGE_INTEGER origin = {};
    if (SUCCEEDED(hr)) hr = stream->Seek(origin, STREAM_SEEK_SET, nullptr);
    ULONG read = 0;
    if (SUCCEEDED(hr) && !bytes.empty()) {
        hr = stream->Read(bytes.data(), static_cast<ULONG>(bytes.size()), &read);
    }
    if (FAILED(hr)) {
        *error = "the filter cannot save its state: " + DescribeHResult(hr);
        return false;
    }
    if (!WriteFileBytes(path, bytes)) {
        *error = path + ": cannot write the file";
        return false;
    }
    return true;
}

bool ApplyStaticPreset(IBaseFilter* filter, int index, std::string* error) {
    ComPtr<IStaticFilterPreset> presets;
    if (FAILED(filter->QueryInterface(IID_IStaticFilterPreset, presets.PutVoid()))) {
        *error = "the filter has no built-in presets (no IStaticFilterPreset)";
        return false;
    }
    DWORD count = 0;
    HRESULT hr = presets->GetPresetCount(&count);
    if (SUCCEEDED(hr) && static_cast<DWORD>(index) >= count) {
        *error = "built-in preset " + std::to_string(index) + " does not exist (the filter has " +
                 std::to_string(count) + ")";
        return false;
    }
    if (SUCCEEDED(hr)) hr = presets->ApplyPreset(static_cast<DWORD>(index));
    if (FAILED(hr)) {
        *error =
            "cannot apply built-in preset " + std::to_string(index) + ": " + DescribeHResult(hr);
        return false;
    }
    return true;
}

bool ApplyAutomationScript(IBaseFilter* filter, AutomationScript* script, std::string* error) {
    ComPtr<IMediaParams> params;
    if (FAILED(filter->QueryInterface(IID_IMediaParams, params.PutVoid()))) {
        *error = "the filter cannot be automated (no IMediaParams)";
        return false;
    }
    const HRESULT hr = ApplyAutomation(params.Get(), script);
    if (FAILED(hr)) {
        *error = "the filter refuses the automation: " + DescribeHResult(hr);
        return false;
    }
    return true;
}

// The filter's property pages in the system's property frame, modally: the user sets the
// filter up by hand and closes the frame.
bool ShowEditor(IBaseFilter* filter, std::string* error) {
    ComPtr<ISpecifyPropertyPages> specify;
    CAUUID pages = {};
    if (FAILED(filter->QueryInterface(IID_ISpecifyPropertyPages, specify.PutVoid())) ||
        FAILED(specify->GetPages(&pages)) || pages.cElems == 0) {
        CoTaskMemFree(pages.pElems);
        *error = "the filter has no editor (no property pages)";
        return false;
    }
    IUnknown* objects[] = {filter};
    const HRESULT hr = OleCreatePropertyFrame(nullptr, 40, 40, L"dxhost", 1, objects, pages.cElems,
                                              pages.pElems, LOCALE_USER_DEFAULT, 0, nullptr);
    CoTaskMemFree(pages.pElems);
    if (FAILED(hr)) {
        *error = "cannot open the filter's editor: " + DescribeHResult(hr);
        return false;
    }
    return true;
}

int Run(const HostOptions& options, std::ostream& out, std::ostream& err) {
    auto failed = [&err](const std::string& message, int code) {
        err << "dxhost: " << message << "\n";
        return code;
    };

    WavAudio input;
    std::string error;
    if (!ReadWavFile(options.input, &input, &error)) return failed(error, kExitFailed);
    AutomationScript script;
    if (!options.automationFile.empty() &&
        !ReadAutomationFile(options.automationFile, &script, &error)) {
        return failed(error, kExitUsage);
    }

    ComApartment com;
    if (FAILED(com.Result())) {
        return failed("cannot initialise COM: " + DescribeHResult(com.Result()), kExitFailed);
    }
    ComPtr<IBaseFilter> filter;
    HRESULT hr = CoCreateInstance(options.filter, nullptr, CLSCTX_INPROC_SERVER, IID_IBaseFilter,
                                  filter.PutVoid());
    if (FAILED(hr)) {
        return failed(
            "cannot create the filter " + ClsidText(options.filter) + ": " + DescribeHResult(hr),
            kExitFailed);
    }
    if (options.staticPreset >= 0 &&
        !ApplyStaticPreset(filter.Get(), options.staticPreset, &error)) {
        return failed(error, kExitFailed);
    }
    if (!options.stateFile.empty() && !LoadState(filter.Get(), options.stateFile, &error)) {
        return failed(error, kExitFailed);
    }
    if (!options.automationFile.empty() && !ApplyAutomationScript(filter.Get(), &script, &error)) {
        return failed(error, kExitFailed);
    }
    if (options.editor && !ShowEditor(filter.Get(), &error)) return failed(error, kExitFailed);

    const std::string partial = options.output + ".partial";
    GraphRunOptions runOptions;
    runOptions.blockFrames = options.blockFrames;
    GraphRunResult result;
    hr = RunFilterGraph(filter.Get(), input, partial, runOptions, &result, &error);
    if (SUCCEEDED(hr) && !options.saveStateFile.empty() &&
        !SaveState(filter.Get(), options.saveStateFile, &error)) {
        hr = E_FAIL;
    }
    if (SUCCEEDED(hr) && !MoveFileExA(partial.c_str(), options.output.c_str(),
                                      MOVEFILE_REPLACE_EXISTING | MOVEFILE_COPY_ALLOWED)) {
        error = options.output + ": cannot write the file";
        hr = E_FAIL;
    }
    if (FAILED(hr)) {
        DeleteFileA(partial.c_str());
        return failed(error, kExitFailed);
    }
    const std::uint64_t frames =
        result.outputFormat.nBlockAlign ? result.bytesWritten / result.outputFormat.nBlockAlign : 0;
    out << "dxhost: " << options.input << " (" << DescribeWaveFormat(input.format) << ", "
        << input.Frames() << " frames) -> " << options.output << " ("
        << DescribeWaveFormat(result.outputFormat) << ", " << frames << " frames)\n";
    return 0;
}

}  // namespace

int RunDxHost(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    HostOptions options;
    std::string error;
    if (!ParseHostOptions(args, &options, &error)) {
        err << "dxhost: " << error << " (see --help)\n";
        return kExitUsage;
    }
    if (options.help) {
        out << HostUsage();
        return 0;
    }
    try {
        return Run(options, out, err);
    } catch (const std::exception& e) {
        err << "dxhost: " << e.what() << "\n";
        return kExitFailed;
    }
}
