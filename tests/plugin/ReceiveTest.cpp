// The reverb filter's receive path between the test source and the capture sink, samples
// handed to its input pin by the test: refusals outside streaming, one sample per output
// buffer with its times and flags, a sample split over several output buffers, a partial frame
// dropped, the 16-bit conversion, the tail after end of stream, and the automation clock.
#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <vector>

#include "engine/HqPlugInProp.h"
#include "engine/ParameterTable.h"
#include "engine/SampleConversion.h"
#include "tests/plugin/LocalChain.h"
#include "tests/plugin/ReferenceChain.h"

namespace {

using Receive = LocalChainTest;

constexpr REFERENCE_TIME kSecond = 10000000;

// `frames` frames of the test audio's sample bytes in the given format.
std::vector<BYTE> AudioBytes(const CMediaType& type, int frames, int offsetFrames = 0) {
    const WAVEFORMATEX* format = WaveFormat(type);
    const WavAudio audio =
        MakeTestAudio(format->wFormatTag, format->wBitsPerSample, format->nChannels,
                      format->nSamplesPerSec, frames + offsetFrames);
    return std::vector<BYTE>(audio.data.begin() + offsetFrames * format->nBlockAlign,
                             audio.data.end());
}

// Checks one delivery's length, times and discontinuity.
void ExpectDelivery(int line, const Delivery& delivery, long length, bool timed,
                    REFERENCE_TIME start, REFERENCE_TIME stop, bool discontinuity) {
    SCOPED_TRACE(testing::Message() << "delivery checked at line " << line);
    EXPECT_EQ(length, delivery.length);
    EXPECT_EQ(length, static_cast<long>(delivery.bytes.size()));
    if (timed) {
        EXPECT_EQ(S_OK, delivery.timeResult);
        EXPECT_EQ(start, delivery.start);
        EXPECT_EQ(stop, delivery.stop);
    } else {
        EXPECT_EQ(VFW_E_SAMPLE_TIME_NOT_SET, delivery.timeResult);
    }
    EXPECT_EQ(discontinuity, delivery.discontinuity);
}
#define EXPECT_DELIVERY(...) ExpectDelivery(__LINE__, __VA_ARGS__)

TEST_F(Receive, OnlyAStreamingFilterTakesSamples) {
    CFakeSample sample(std::vector<BYTE>(4096));
    EXPECT_EQ(VFW_E_NOT_CONNECTED, Deliver(&sample));
    const CMediaType type = AudioType(WAVE_FORMAT_PCM, 16, 2, 44100);
    ASSERT_EQ(S_OK, ConnectSource(type, 4096));
    ASSERT_EQ(S_OK, ConnectSink());
    EXPECT_EQ(VFW_E_WRONG_STATE, Deliver(&sample)) << "stopped";
    EXPECT_EQ(VFW_E_WRONG_STATE, DeliverEndOfStream());
    ASSERT_EQ(S_OK, PauseAll());
    EXPECT_EQ(E_POINTER, Deliver(nullptr));
    EXPECT_EQ(S_OK, Deliver(&sample));
    EXPECT_EQ(1, sample.References()) << "the filter keeps no reference to the sample";
    EXPECT_EQ(1u, sink_->Deliveries().size());
    ASSERT_EQ(S_OK, StopAll());
    EXPECT_EQ(VFW_E_WRONG_STATE, Deliver(&sample));
    EXPECT_EQ(1u, sink_->Deliveries().size());
    EXPECT_EQ(E_INVALIDARG, filter_->Transform(&sample, &sample)) << "Receive does the work";
}

TEST_F(Receive, ASampleThatFitsIsDeliveredWithItsTimesAndFlags) {
    const CMediaType type = AudioType(WAVE_FORMAT_IEEE_FLOAT, 32, 2, 44100);
    ASSERT_EQ(S_OK, ConnectSource(type, 8192));
    ASSERT_EQ(S_OK, ConnectSink());
    ASSERT_EQ(S_OK, PauseAll());

    CFakeSample sample(AudioBytes(type, 1000));
    sample.SetTimes(0, 226757);
    sample.SetDiscontinuity(TRUE);
    sample.SetSyncPoint(TRUE);
    LONGLONG mediaStart = 0, mediaStop = 1000;
    sample.SetMediaTime(&mediaStart, &mediaStop);
    ASSERT_EQ(S_OK, Deliver(&sample));
    // A continuing sample with a start time only, not a sync point.
    CFakeSample next(AudioBytes(type, 500, 1000));
    next.SetStartOnly(226757);
    ASSERT_EQ(S_OK, Deliver(&next));

    const std::vector<Delivery> deliveries = sink_->Deliveries();
    ASSERT_EQ(2u, deliveries.size());
    EXPECT_DELIVERY(deliveries[0], 8000, true, 0, 226757, true);
    EXPECT_TRUE(deliveries[0].syncPoint);
    EXPECT_EQ(S_OK, deliveries[0].mediaTimeResult);
    EXPECT_EQ(VFW_S_NO_STOP_TIME, deliveries[1].timeResult);
    EXPECT_EQ(226757, deliveries[1].start);
    EXPECT_FALSE(deliveries[1].discontinuity);
    EXPECT_FALSE(deliveries[1].syncPoint);
    EXPECT_EQ(VFW_E_MEDIA_TIME_NOT_SET, deliveries[1].mediaTimeResult);
    EXPECT_EQ(1500, filter_->SamplePositionFrames());

    ReferenceChain reference(*WaveFormat(type));
    ASSERT_EQ(S_OK, reference.Start());
    std::vector<BYTE> expected;
    std::vector<BYTE> in = AudioBytes(type, 1500);
    ASSERT_EQ(S_OK, reference.ProcessSample(true, 0, in.data(), 1000, &expected));
    ASSERT_EQ(S_OK, reference.ProcessSample(false, 226757, in.data() + 8000, 500, &expected));
    EXPECT_TRUE(expected == sink_->Bytes());
}

TEST_F(Receive, ASampleLargerThanTheOutputBufferIsSplit) {
    const struct {
        const char* label;
        CMediaType type;
        long upstreamBytes;
        DWORD bufferFrames;  // of the output buffers
        int frames;          // of the input sample
    } kCases[] = {
        {"16-bit stereo", AudioType(WAVE_FORMAT_PCM, 16, 2, 44100), 1024, 256, 625},
        {"16-bit mono", AudioType(WAVE_FORMAT_PCM, 16, 1, 44100), 1024, 512, 1300},
        {"float32 stereo", AudioType(WAVE_FORMAT_IEEE_FLOAT, 32, 2, 96000), 2048, 256, 600},
        {"float64 mono", AudioType(WAVE_FORMAT_IEEE_FLOAT, 64, 1, 48000), 4096, 512, 1100},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.label);
        StopAll();
        output_->Disconnect();
        sink_->GetPin(0)->Disconnect();
        sink_->Clear();
        ASSERT_EQ(S_OK, ConnectSource(c.type, c.upstreamBytes));
        ASSERT_EQ(S_OK, ConnectSink());
        ASSERT_EQ(S_OK, PauseAll());

        const WAVEFORMATEX* format = WaveFormat(c.type);
        const long outFrameBytes = 2 * format->wBitsPerSample / 8;
        const std::vector<BYTE> bytes = AudioBytes(c.type, c.frames);
        CFakeSample sample(bytes);
        const REFERENCE_TIME start = 3 * kSecond;
        // Dry silenced from 300 frames into the sample: inside it, so never heard, as the
        // envelopes are evaluated once per input sample, at its first frame.
        const std::int64_t startFrame = 3 * static_cast<std::int64_t>(format->nSamplesPerSec);
        MP_ENVELOPE_SEGMENT silence = {SourceTimeOfFrame(startFrame + 300, format->nSamplesPerSec),
                                       start + 10 * kSecond,
                                       0.0f,
                                       0.0f,
                                       MP_CURVE_JUMP,
                                       0};
        ComPtr<IMediaParams> params;
        ASSERT_EQ(S_OK,
                  AsFilter(filter_.Get())->QueryInterface(IID_IMediaParams, params.PutVoid()));
        MP_DATA dry = 0;
        ASSERT_EQ(S_OK, params->GetParam(Param::kDry, &dry));
        MP_ENVELOPE_SEGMENT added = silence;
        ASSERT_EQ(S_OK, params->AddEnvelope(Param::kDry, 1, &added));
        const REFERENCE_TIME stop = start + c.frames * kSecond / format->nSamplesPerSec;
        sample.SetTimes(start, stop);
        sample.SetDiscontinuity(TRUE);
        sample.SetSyncPoint(TRUE);
        LONGLONG mediaStart = 7, mediaStop = 8;
        sample.SetMediaTime(&mediaStart, &mediaStop);
        ASSERT_EQ(S_OK, Deliver(&sample));
        EXPECT_EQ(1, sample.References());

        // Full buffers, then the rest; the times, the sync point and the discontinuity on
        // the first only.
        const std::vector<Delivery> deliveries = sink_->Deliveries();
        const int full = c.frames / static_cast<int>(c.bufferFrames);
        ASSERT_EQ(static_cast<std::size_t>(full + 1), deliveries.size());
        long frames = 0;
        for (std::size_t k = 0; k < deliveries.size(); ++k) {
            SCOPED_TRACE(testing::Message() << "delivery " << k);
            const long length =
                k < static_cast<std::size_t>(full)
                    ? static_cast<long>(c.bufferFrames) * outFrameBytes
                    : static_cast<long>(c.frames - full * static_cast<int>(c.bufferFrames)) *
                          outFrameBytes;
            EXPECT_DELIVERY(deliveries[k], length, k == 0, start, stop, k == 0);
            EXPECT_EQ(k == 0, deliveries[k].syncPoint);
            EXPECT_EQ(k == 0 ? S_OK : VFW_E_MEDIA_TIME_NOT_SET, deliveries[k].mediaTimeResult);
            EXPECT_EQ(static_cast<long>(c.bufferFrames) * outFrameBytes, deliveries[k].size);
            frames += deliveries[k].length / outFrameBytes;
        }
        EXPECT_EQ(c.frames, frames) << "every input frame was consumed once";
        MP_DATA after = 0;
        EXPECT_EQ(S_OK, params->GetParam(Param::kDry, &after));
        EXPECT_EQ(dry, after) << "not evaluated again within the sample";
        ASSERT_EQ(S_OK, params->FlushEnvelope(DWORD_ALL, LLONG_MIN, LLONG_MAX));
        // A discontinuity at 3 s re-based the clock, which then counted the frames.
        EXPECT_EQ(3 * static_cast<std::int64_t>(format->nSamplesPerSec) + c.frames,
                  filter_->SamplePositionFrames());

        // The engine ran once per output buffer: mode 0, then 1.
        ReferenceChain reference(*format);
        added = silence;
        ASSERT_EQ(S_OK, reference.Automation().AddEnvelope(Param::kDry, 1, &added));
        ASSERT_EQ(S_OK, reference.Start());
        reference.BeginSample(true, &start);
        std::vector<BYTE> expected;
        std::vector<BYTE> buffer(c.bufferFrames * outFrameBytes);
        for (int done = 0, mode = kModeDiscontinuity; done < c.frames; mode = kModeContinue) {
            DWORD in = static_cast<DWORD>(c.frames - done);
            DWORD out = c.bufferFrames;
            ASSERT_EQ(S_OK, reference.Process(mode, bytes.data() + done * format->nBlockAlign, &in,
                                              buffer.data(), &out));
            expected.insert(expected.end(), buffer.begin(), buffer.begin() + out * outFrameBytes);
            done += static_cast<int>(in);
        }
        EXPECT_TRUE(expected == sink_->Bytes());
    }
}

TEST_F(Receive, APartialFrameAtTheEndIsDropped) {
    const CMediaType type = AudioType(WAVE_FORMAT_PCM, 16, 2, 44100);
    ASSERT_EQ(S_OK, ConnectSource(type, 1024));
    ASSERT_EQ(S_OK, ConnectSink());
    ASSERT_EQ(S_OK, PauseAll());

    std::vector<BYTE> bytes = AudioBytes(type, 625);
    bytes.insert(bytes.end(), {0x12, 0x34, 0x56});
    CFakeSample sample(bytes);
    sample.SetDiscontinuity(TRUE);
    ASSERT_EQ(S_OK, Deliver(&sample));
    std::vector<Delivery> deliveries = sink_->Deliveries();
    ASSERT_EQ(3u, deliveries.size()) << "no buffer is asked for the partial frame";
    EXPECT_DELIVERY(deliveries[0], 1024, false, 0, 0, true);
    EXPECT_DELIVERY(deliveries[1], 1024, false, 0, 0, false);
    EXPECT_DELIVERY(deliveries[2], 452, false, 0, 0, false);
    EXPECT_EQ(625, filter_->SamplePositionFrames()) << "no times: the clock was not re-based";

    // A sample of less than one frame consumes nothing.
    sink_->Clear();
    CFakeSample crumb(std::vector<BYTE>{1, 2, 3});
    ASSERT_EQ(S_OK, Deliver(&crumb));
    deliveries = sink_->Deliveries();
    ASSERT_EQ(1u, deliveries.size());
    EXPECT_EQ(0, deliveries[0].length);
    EXPECT_EQ(625, filter_->SamplePositionFrames());
}

TEST_F(Receive, SixteenBitSamplesAreConvertedAndClamped) {
    const CMediaType type = AudioType(WAVE_FORMAT_PCM, 16, 1, 44100);
    ASSERT_EQ(S_OK, ConnectSource(type, 8192));
    ASSERT_EQ(S_OK, ConnectSink());
    ASSERT_EQ(S_OK, PauseAll());

    // Bypassed, the engine copies its input: every 16-bit value comes back as it was.
    ASSERT_EQ(S_OK, Engine()->SetBypass(1));
    const short kValues[] = {-32768, -32767, -1, 0, 1, 2, 16384, 32766, 32767};
    std::vector<BYTE> bytes(sizeof kValues);
    std::memcpy(bytes.data(), kValues, sizeof kValues);
    CFakeSample exact(bytes);
    exact.SetDiscontinuity(TRUE);
    ASSERT_EQ(S_OK, Deliver(&exact));
    std::vector<BYTE> out = sink_->Bytes();
    ASSERT_EQ(2 * sizeof kValues, out.size());
    for (std::size_t i = 0; i < std::size(kValues); ++i) {
        short left = 0, right = 0;
        std::memcpy(&left, out.data() + 4 * i, 2);
        std::memcpy(&right, out.data() + 4 * i + 2, 2);
        EXPECT_EQ(kValues[i], left);
        EXPECT_EQ(kValues[i], right);
    }

    // Loud enough to clip: the float results beyond full scale become 32767 and -32768.
    ASSERT_EQ(S_OK, Engine()->SetBypass(0));
    ASSERT_EQ(S_OK, Engine()->SetInput(60, FALSE));
    ASSERT_EQ(S_OK, Engine()->SetDry(60, FALSE));
    sink_->Clear();
    const int kFrames = 2000;
    std::vector<BYTE> loud(2 * kFrames);
    for (int i = 0; i < kFrames; ++i) {
        const short value = (i / 50) % 2 == 0 ? 30000 : -30000;
        std::memcpy(loud.data() + 2 * i, &value, 2);
    }
    CFakeSample sample(loud);
    sample.SetDiscontinuity(TRUE);
    ASSERT_EQ(S_OK, Deliver(&sample));
    out = sink_->Bytes();
    ASSERT_EQ(4u * kFrames, out.size());

    // The same block as 32-bit float through an engine set up alike.
    WAVEFORMATEX floats = *WaveFormat(AudioType(WAVE_FORMAT_IEEE_FLOAT, 32, 1, 44100));
    ReferenceChain reference(floats);
    reference.Engine().SetInput(60, FALSE);
    reference.Engine().SetDry(60, FALSE);
    ASSERT_EQ(S_OK, reference.Start());
    std::vector<BYTE> in(4 * kFrames);
    for (int i = 0; i < kFrames; ++i) {
        short value = 0;
        std::memcpy(&value, loud.data() + 2 * i, 2);
        const float converted = Int16ToFloat(value);
        std::memcpy(in.data() + 4 * i, &converted, 4);
    }
    std::vector<BYTE> expected;
    ASSERT_EQ(S_OK, reference.ProcessSample(true, 0, in.data(), kFrames, &expected));
    ASSERT_EQ(8u * kFrames, expected.size());
    int clippedHigh = 0, clippedLow = 0;
    for (int i = 0; i < 2 * kFrames; ++i) {
        float value = 0;
        std::memcpy(&value, expected.data() + 4 * i, 4);
        short got = 0;
        std::memcpy(&got, out.data() + 2 * i, 2);
        const short want = FloatToInt16(value);
        if (value >= 1.0f) ++clippedHigh;
        if (value * 32768.0 <= -32769.0) ++clippedLow;
        if (want != got) {
            ADD_FAILURE() << "sample " << i << ": " << got << " instead of " << want;
            break;
        }
    }
    EXPECT_GT(clippedHigh, 0);
    EXPECT_GT(clippedLow, 0);
}

TEST_F(Receive, TheTailFollowsEndOfStreamAndEndOfStreamFollowsIt) {
    const CMediaType type = AudioType(WAVE_FORMAT_PCM, 16, 2, 44100);
    const DWORD kBufferFrames = 1024;
    ASSERT_EQ(S_OK, ConnectSource(type, 4 * kBufferFrames));
    ASSERT_EQ(S_OK, ConnectSink());
    ASSERT_EQ(S_OK, Engine()->SetTail(1, FALSE));
    ASSERT_EQ(S_OK, Engine()->SetDecay(5, FALSE));  // half a second of tail
    ASSERT_EQ(S_OK, PauseAll());

    const std::vector<BYTE> bytes = AudioBytes(type, 1500);
    CFakeSample first(std::vector<BYTE>(bytes.begin(), bytes.begin() + 4000));
    first.SetTimes(0, 226757);
    first.SetDiscontinuity(TRUE);
    CFakeSample second(std::vector<BYTE>(bytes.begin() + 4000, bytes.end()));
    second.SetTimes(226757, 340136);
    ASSERT_EQ(S_OK, Deliver(&first));
    ASSERT_EQ(S_OK, Deliver(&second));
    EXPECT_EQ(0, sink_->EndsOfStream());
    ASSERT_EQ(S_OK, DeliverEndOfStream());

    // 22 050 frames of tail in buffers of 1024 frames, without times, then end of stream.
    const std::vector<Delivery> deliveries = sink_->Deliveries();
    ASSERT_EQ(2u + 22u, deliveries.size());
    EXPECT_EQ(1, sink_->EndsOfStream());
    EXPECT_EQ(24, sink_->DeliveriesAtEndOfStream());
    for (std::size_t k = 2; k < deliveries.size(); ++k) {
        SCOPED_TRACE(testing::Message() << "tail delivery " << k - 2);
        EXPECT_DELIVERY(deliveries[k], k + 1 < deliveries.size() ? 4096 : 4 * (22050 - 21 * 1024),
                        false, 0, 0, false);
    }

    ReferenceChain reference(*WaveFormat(type));
    reference.Engine().SetTail(1, FALSE);
    reference.Engine().SetDecay(5, FALSE);
    ASSERT_EQ(S_OK, reference.Start());
    std::vector<BYTE> expected;
    ASSERT_EQ(S_OK, reference.ProcessSample(true, 0, bytes.data(), 1000, &expected));
    ASSERT_EQ(S_OK, reference.ProcessSample(false, 226757, bytes.data() + 4000, 500, &expected));
    int buffers = 0;
    ASSERT_EQ(S_OK, reference.RenderTail(kBufferFrames, &expected, &buffers));
    EXPECT_EQ(22, buffers);
    EXPECT_TRUE(expected == sink_->Bytes());
}

TEST_F(Receive, WithTheTailOffEndOfStreamPassesAtOnce) {
    const CMediaType type = AudioType(WAVE_FORMAT_IEEE_FLOAT, 64, 1, 48000);
    ASSERT_EQ(S_OK, ConnectSource(type, 4096));
    ASSERT_EQ(S_OK, ConnectSink());
    ASSERT_EQ(S_OK, PauseAll());
    CFakeSample sample(AudioBytes(type, 300));
    sample.SetDiscontinuity(TRUE);
    ASSERT_EQ(S_OK, Deliver(&sample));
    ASSERT_EQ(S_OK, DeliverEndOfStream());
    EXPECT_EQ(1u, sink_->Deliveries().size());
    EXPECT_EQ(1, sink_->DeliveriesAtEndOfStream());
    // Without an output buffer (the sink stopped and decommitted its allocator) end of stream
    // ends at once with that failure, and nothing goes downstream.
    ASSERT_EQ(S_OK, sink_->Stop());
    EXPECT_EQ(VFW_E_NOT_COMMITTED, DeliverEndOfStream());
    EXPECT_EQ(1, sink_->EndsOfStream());
}

TEST_F(Receive, DiscontinuitiesWithTimesReBaseTheAutomationClock) {
    const DWORD kRate = 48000;
    const CMediaType type = AudioType(WAVE_FORMAT_IEEE_FLOAT, 32, 2, kRate);
    ASSERT_EQ(S_OK, ConnectSource(type, 8192));
    ASSERT_EQ(S_OK, ConnectSink());
    ASSERT_EQ(S_OK, PauseAll());

    enum class Times { kNone, kStartOnly, kBoth };
    const struct {
        const char* label;
        bool discontinuity;
        Times times;
        REFERENCE_TIME start;
        std::int64_t position;  // after the sample's 1000 frames
    } kSteps[] = {
        {"first, at 0", true, Times::kBoth, 0, 1000},
        {"continuing: times do not re-base", false, Times::kBoth, 5 * kSecond, 2000},
        {"a seek to 1 s", true, Times::kBoth, kSecond, 49000},
        {"a discontinuity without times", true, Times::kNone, 0, 50000},
        {"a seek with a start time only", true, Times::kStartOnly, kSecond / 2, 25000},
        {"truncated, not rounded: 2083 x 48000 / 10^7 = 9.9984", true, Times::kBoth, 2083, 1009},
        {"before zero", true, Times::kBoth, -kSecond, -47000},
        {"continuing with a start time only", false, Times::kStartOnly, 0, -46000},
    };
    for (const auto& step : kSteps) {
        SCOPED_TRACE(step.label);
        CFakeSample sample(AudioBytes(type, 1000));
        if (step.times == Times::kBoth) sample.SetTimes(step.start, step.start + 208333);
        if (step.times == Times::kStartOnly) sample.SetStartOnly(step.start);
        sample.SetDiscontinuity(step.discontinuity);
        ASSERT_EQ(S_OK, Deliver(&sample));
        EXPECT_EQ(step.position, filter_->SamplePositionFrames());
    }

    // Stopping and starting again does not reset the clock.
    ASSERT_EQ(S_OK, StopAll());
    ASSERT_EQ(S_OK, PauseAll());
    CFakeSample after(AudioBytes(type, 1000));
    ASSERT_EQ(S_OK, Deliver(&after));
    EXPECT_EQ(-45000, filter_->SamplePositionFrames());
}

TEST_F(Receive, TheClockIsReBasedBeforeTheEnvelopesAreEvaluated) {
    const CMediaType type = AudioType(WAVE_FORMAT_IEEE_FLOAT, 32, 2, 48000);
    ASSERT_EQ(S_OK, ConnectSource(type, 8192));
    ASSERT_EQ(S_OK, ConnectSink());
    ComPtr<IMediaParams> params;
    ASSERT_EQ(S_OK, AsFilter(filter_.Get())->QueryInterface(IID_IMediaParams, params.PutVoid()));
    MP_DATA before = 0;
    ASSERT_EQ(S_OK, params->GetParam(Param::kDry, &before));
    // Dry at 0.2 from 1 s to 2 s.
    MP_ENVELOPE_SEGMENT segment = {kSecond, 2 * kSecond, 0.2f, 0.2f, MP_CURVE_JUMP, 0};
    ASSERT_EQ(S_OK, params->AddEnvelope(Param::kDry, 1, &segment));
    ASSERT_EQ(S_OK, PauseAll());

    CFakeSample first(AudioBytes(type, 1000));
    first.SetTimes(0, 208333);
    first.SetDiscontinuity(TRUE);
    ASSERT_EQ(S_OK, Deliver(&first));
    MP_DATA value = 0;
    ASSERT_EQ(S_OK, params->GetParam(Param::kDry, &value));
    EXPECT_EQ(before, value);

    // Sample position 48 000 is exactly 1 s: the segment is entered at this sample's first
    // frame, not one sample later.
    CFakeSample seek(AudioBytes(type, 1000));
    seek.SetTimes(kSecond, kSecond + 208333);
    seek.SetDiscontinuity(TRUE);
    ASSERT_EQ(S_OK, Deliver(&seek));
    ASSERT_EQ(S_OK, params->GetParam(Param::kDry, &value));
    EXPECT_EQ(0.2f, value);
    EXPECT_EQ(49000, filter_->SamplePositionFrames());
}

}  // namespace
