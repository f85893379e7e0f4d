// Seeking a graph of Wine's filter graph manager through the registered reverb: the seek travels
// from the renderer through the reverb's output pin to the WAVE Parser, and what follows is the
// reverb of the file from the new position.
#include <control.h>
#include <evcode.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/ComTestHarness.h"
#include "tests/support/ReferenceChain.h"

namespace {

using Seeking = RegisteredFilterTest;

constexpr DWORD kRate = 44100;
constexpr int kFrames = 2 * kRate, kSeekFrame = kRate;  // two seconds, seek to the second one
constexpr REFERENCE_TIME kSecond = 10000000;

// Every sample the grabber passes, as it was: written on the streaming thread, read by the test
// once the graph has paused or completed.
class Recorder final : public ISampleGrabberCB {
public:
    struct Sample {
        REFERENCE_TIME start = -1, stop = -1;
        std::vector<BYTE> bytes;
    };
    std::vector<Sample> samples;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override {
        if (ppv == nullptr) return E_POINTER;
        *ppv = IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, __uuidof(ISampleGrabberCB))
                   ? this
                   : nullptr;
        return *ppv != nullptr ? S_OK : E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }  // lives on the test's stack
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE SampleCB(double, IMediaSample* sample) override {
        Sample s;
        sample->GetTime(&s.start, &s.stop);
        BYTE* data = nullptr;
        sample->GetPointer(&data);
        s.bytes.assign(data, data + sample->GetActualDataLength());
        samples.push_back(std::move(s));
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE BufferCB(double, BYTE*, long) override { return E_NOTIMPL; }
};

TEST_F(Seeking, TheOutputGoesOnFromTheNewPositionAsTheReverbOfTheRest) {
    const WavAudio input = MakeTestAudio(WAVE_FORMAT_PCM, 16, 2, kRate, kFrames);
    std::string error;
    ASSERT_TRUE(WriteWavFile("seek.wav", input, &error)) << error;
    const auto frames = [&](int from, int to) {
        return std::vector<BYTE>(input.data.begin() + from * 4, input.data.begin() + to * 4);
    };

    // Seeking before the graph starts, and while it is paused with its first sample held in
    // the renderer: the reverb has taken that sample in when the seek flushes it.
    for (const bool paused : {false, true}) {
        SCOPED_TRACE(paused ? "seek while paused" : "seek while stopped");
        Recorder recorder;
        WineParserChain chain;
        ASSERT_NO_FATAL_FAILURE(chain.Build("seek.wav", filter_.Get(), L"reverb", &recorder, 0));
        ComPtr<IMediaControl> control;
        ComPtr<IMediaEvent> events;
        ComPtr<IMediaSeeking> seeking;
        ASSERT_EQ(S_OK, chain.graph->QueryInterface(IID_IMediaControl, control.PutVoid()));
        ASSERT_EQ(S_OK, chain.graph->QueryInterface(IID_IMediaEvent, events.PutVoid()));
        ASSERT_EQ(S_OK, chain.graph->QueryInterface(IID_IMediaSeeking, seeking.PutVoid()));
        LONGLONG duration = 0;
        EXPECT_EQ(S_OK, seeking->GetDuration(&duration));
        EXPECT_EQ(2 * kSecond, duration) << "the parser's answer, through the reverb";

        std::size_t before = 0;
        if (paused) {
            OAFilterState state = State_Stopped;
            ASSERT_TRUE(SUCCEEDED(control->Pause()));
            ASSERT_EQ(S_OK, control->GetState(kGraphTimeoutMs, &state));
            ASSERT_EQ(1u, recorder.samples.size()) << "the renderer holds the first sample";
            before = recorder.samples.size();
        }
        LONGLONG position = kSecond;
        ASSERT_EQ(S_OK, seeking->SetPositions(&position, AM_SEEKING_AbsolutePositioning, nullptr,
                                              AM_SEEKING_NoPositioning));
        ASSERT_TRUE(SUCCEEDED(control->Run()));
        long code = 0;
        ASSERT_EQ(S_OK, events->WaitForCompletion(kGraphTimeoutMs, &code));
        EXPECT_EQ(EC_COMPLETE, code);
        EXPECT_EQ(S_OK, control->Stop());

        // After the seek the times start again from the new segment's start and run on.
        std::vector<BYTE> output;
        REFERENCE_TIME next = 0;
        for (std::size_t k = 0; k < recorder.samples.size(); ++k) {
            const Recorder::Sample& s = recorder.samples[k];
            if (k >= before && s.start != -1) {
                EXPECT_EQ(next, s.start) << "sample " << k;
                next = s.stop;
            }
            output.insert(output.end(), s.bytes.begin(), s.bytes.end());
        }
        EXPECT_EQ((kFrames - kSeekFrame) * kSecond / kRate, next) << "the rest of the file";

        // What the reverb took in: the first sample when it was held, then the rest of the file.
        std::vector<BYTE> taken;
        if (paused) taken = frames(0, static_cast<int>(recorder.samples[0].bytes.size() / 4));
        const std::vector<BYTE> rest = frames(kSeekFrame, kFrames);
        taken.insert(taken.end(), rest.begin(), rest.end());
        ASSERT_LT(before, recorder.samples.size());
        const auto blockFrames = static_cast<int>(recorder.samples[before].bytes.size() / 4);
        ASSERT_GT(blockFrames, 0);
        const std::vector<BYTE> expected = ExpectedOutput({input.format, taken}, blockFrames);
        ASSERT_FALSE(expected.empty());
        EXPECT_EQ(expected.size(), output.size());
        EXPECT_TRUE(expected == output);
        control.Reset(), events.Reset(), seeking.Reset();
        chain.Release();
        EXPECT_EQ(1u, RefCount(filter_.Get())) << "the graph let the filter go";
    }
    DeleteFileA("seek.wav");
}

}  // namespace
