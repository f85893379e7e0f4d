// Helpers of the framework's tests under Wine: COM for the test program, reference counts,
// test audio and files, a small framework object; the pass-through transform lives in
// PassThroughFilter.h.
#pragma once

#include <qedit.h>

#include <string>

#include "framework/ComPtr.h"
#include "framework/Unknown.h"
#include "platform/Platform.h"
#include "tests/framework/PassThroughFilter.h"
#include "tools/dxhost/WavFile.h"

// The object's reference count, read by one AddRef and Release.
ULONG RefCount(IUnknown* object);

// Deterministic audio: a sine sweep with a ramp, in the given format, `frames` long; every
// channel differs.
WavAudio MakeTestAudio(WORD formatTag, WORD bits, WORD channels, DWORD rate, int frames);

// A file in the test's working directory, removed when the test ends.
class ScopedFile {
public:
    explicit ScopedFile(const std::string& name);
    ~ScopedFile();
    ScopedFile(const ScopedFile&) = delete;
    ScopedFile& operator=(const ScopedFile&) = delete;
    const std::string& Path() const { return path_; }
    bool Exists() const;

private:
    std::string path_;
};

// A framework object with one interface of its own (IPersist, answering
// CLSID_TestPassThrough); sets *destroyed when it is deleted.
class CTestObject final : public CUnknown, public IPersist {
public:
    CTestObject(IUnknown* outer, bool* destroyed);
    ~CTestObject() override;

    DECLARE_IUNKNOWN
    HRESULT STDMETHODCALLTYPE NonDelegatingQueryInterface(REFIID riid, void** ppv) override;
    HRESULT STDMETHODCALLTYPE GetClassID(CLSID* clsid) override;

private:
    bool* destroyed_;  // not owned
};

// The platform's own filters, by their published class identifiers, and the sample grabber's
// interfaces.
inline constexpr CLSID kWaveParser = {
    0xd51bd5a1, 0x7548, 0x11cf, {0xa5, 0x20, 0x00, 0x80, 0xc7, 0x7e, 0xf5, 0x8a}};
inline constexpr CLSID kSampleGrabber = {
    0xc1f400a0, 0x3f08, 0x11d3, {0x9f, 0x0b, 0x00, 0x60, 0x08, 0x03, 0x9e, 0x37}};
inline constexpr CLSID kNullRenderer = {
    0xc1f400a4, 0x3f08, 0x11d3, {0x9f, 0x0b, 0x00, 0x60, 0x08, 0x03, 0x9e, 0x37}};
inline constexpr IID kIidSampleGrabber = {
    0x6b652fff, 0x11fe, 0x4fce, {0x92, 0xad, 0x02, 0x66, 0xb5, 0xd7, 0xc7, 0x8f}};
inline constexpr IID kIidSampleGrabberCallback = {
    0x0579154a, 0x2b53, 0x4994, {0xb0, 0xd0, 0xe7, 0x73, 0x14, 0x8e, 0xff, 0x85}};
// How long a test waits for a graph to complete.
constexpr LONG kGraphTimeoutMs = 60000;

// A registered filter created through COM (a test failure when that fails), and a filter's
// first pin of a direction.
ComPtr<IBaseFilter> MakeFilter(REFCLSID clsid);
ComPtr<IPin> PinOf(IBaseFilter* filter, PIN_DIRECTION direction);

// A transform among the platform's own filters: "File Source (Async)" and "WAVE Parser" reading
// a WAV file upstream, "Sample Grabber" (calling back with every sample) and "Null Renderer"
// downstream, in a graph of the platform's filter graph manager without a clock.
class WineParserChain {
public:
    // Builds the graph: AddFilters puts the five filters in it, Connect joins them in a line,
    // Build does both. Failures are fatal test failures (wrap the calls in
    // ASSERT_NO_FATAL_FAILURE).
    void AddFilters(const std::string& wavPath, IBaseFilter* transform, const WCHAR* transformName,
                    ISampleGrabberCB* callback, LONG callbackMethod);
    void Connect();
    void Build(const std::string& wavPath, IBaseFilter* transform, const WCHAR* transformName,
               ISampleGrabberCB* callback, LONG callbackMethod);
    // Runs the graph to completion and stops it; returns the completion event code.
    LONG RunToCompletion();
    // The grabber lets the callback go and the graph its filters.
    void Release();

    ComPtr<IGraphBuilder> graph;
    ComPtr<ISampleGrabber> grabber;

private:
    ComPtr<IBaseFilter> reader_, parser_, grabberFilter_, renderer_;
    IBaseFilter* transform_ = nullptr;  // not owned: the test's filter
};
