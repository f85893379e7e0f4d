// Media types with owned format blocks: construction, deep copies and their independence,
// release of the block and of pUnk, equality, partial matching, format buffer operations and
// the task-memory copies enumerators hand out.
#include <gtest/gtest.h>

#include <cstring>

#include "framework/MediaType.h"
#include "tests/framework/FrameworkTestSupport.h"

namespace {

WAVEFORMATEX StereoPcm() {
    WAVEFORMATEX format = {WAVE_FORMAT_PCM, 2, 44100, 176400, 4, 16, 0};
    return format;
}

CMediaType AudioType(const WAVEFORMATEX& format) {
    CMediaType type(&MEDIATYPE_Audio);
    type.SetSubtype(&MEDIASUBTYPE_PCM);
    type.SetFormatType(&FORMAT_WaveFormatEx);
    EXPECT_TRUE(type.SetFormat(reinterpret_cast<const BYTE*>(&format), sizeof(format)));
    return type;
}

TEST(MediaType, StartsEmptyAndInvalid) {
    CMediaType type;
    EXPECT_FALSE(type.IsValid());
    EXPECT_TRUE(type.IsPartiallySpecified());
    EXPECT_TRUE(type.IsFixedSize());
    EXPECT_EQ(1u, type.GetSampleSize());
    EXPECT_EQ(nullptr, type.Format());
    EXPECT_EQ(0u, type.FormatLength());
    EXPECT_EQ(nullptr, type.pUnk);
    EXPECT_FALSE(type.IsTemporalCompressed());

    CMediaType audio(&MEDIATYPE_Audio);
    EXPECT_TRUE(audio.IsValid());
    EXPECT_TRUE(IsEqualGUID(MEDIATYPE_Audio, *audio.Type()));
}

TEST(MediaType, CopiesOwnTheirFormatBlock) {
    const WAVEFORMATEX format = StereoPcm();
    CMediaType original = AudioType(format);
    CMediaType copy(original);
    ASSERT_EQ(sizeof(format), copy.FormatLength());
    EXPECT_NE(original.Format(), copy.Format());
    EXPECT_EQ(0, std::memcmp(&format, copy.Format(), sizeof(format)));
    EXPECT_TRUE(copy == original);

    reinterpret_cast<WAVEFORMATEX*>(copy.Format())->nChannels = 1;
    EXPECT_EQ(2, reinterpret_cast<WAVEFORMATEX*>(original.Format())->nChannels);
    EXPECT_TRUE(copy != original);

    CMediaType assigned;
    assigned = original;
    EXPECT_TRUE(assigned == original);
    assigned = static_cast<const AM_MEDIA_TYPE&>(assigned);  // self-assignment keeps the block
    EXPECT_TRUE(assigned == original);
    EXPECT_EQ(S_OK, assigned.Set(copy));
    EXPECT_TRUE(assigned == copy);
}

TEST(MediaType, CountsItsUnknownInCopiesAndReleasesIt) {
    bool destroyed = false;
    auto* object = new CTestObject(nullptr, &destroyed);
    object->NonDelegatingAddRef();
    {
        CMediaType type(&MEDIATYPE_Audio);
        type.pUnk = object->GetOwner();
        object->AddRef();
        EXPECT_EQ(2u, RefCount(object->GetOwner()));
        {
            CMediaType copy(type);
            EXPECT_EQ(3u, RefCount(object->GetOwner()));
        }
        EXPECT_EQ(2u, RefCount(object->GetOwner()));
        type.InitMediaType();
        EXPECT_EQ(nullptr, type.pUnk);
        EXPECT_EQ(1u, RefCount(object->GetOwner()));
    }
    object->Release();
    EXPECT_TRUE(destroyed);
}

TEST(MediaType, EqualityLooksAtTypesAndFormatBytes) {
    const CMediaType a = AudioType(StereoPcm());
    CMediaType b = AudioType(StereoPcm());
    EXPECT_TRUE(a == b);
    b.SetSubtype(&MEDIASUBTYPE_IEEE_FLOAT);
    EXPECT_FALSE(a == b);
    b = a;
    b.SetFormatType(&GUID_NULL);
    EXPECT_FALSE(a == b);
    b = a;
    b.ReallocFormatBuffer(20);
    EXPECT_FALSE(a == b);
    // Sample size and compression are not part of equality.
    b = a;
    b.SetSampleSize(4);
    b.SetTemporalCompression(true);
    EXPECT_TRUE(a == b);
}

TEST(MediaType, PartialTypesMatchWhatTheyName) {
    const CMediaType full = AudioType(StereoPcm());
    EXPECT_FALSE(full.IsPartiallySpecified());
    struct Case {
        const char* label;
        const GUID* major;
        const GUID* sub;
        const GUID* format;
        bool matches;
    } const cases[] = {
        {"wildcard", &GUID_NULL, &GUID_NULL, &GUID_NULL, true},
        {"audio", &MEDIATYPE_Audio, &GUID_NULL, &GUID_NULL, true},
        {"video", &MEDIATYPE_Video, &GUID_NULL, &GUID_NULL, false},
        {"pcm", &GUID_NULL, &MEDIASUBTYPE_PCM, &GUID_NULL, true},
        {"float", &MEDIATYPE_Audio, &MEDIASUBTYPE_IEEE_FLOAT, &GUID_NULL, false},
        {"wave format without block", &MEDIATYPE_Audio, &GUID_NULL, &FORMAT_WaveFormatEx, true},
        {"other format", &GUID_NULL, &GUID_NULL, &FORMAT_VideoInfo, false},
    };
    for (const Case& c : cases) {
        CMediaType partial(c.major);
        partial.SetSubtype(c.sub);
        partial.SetFormatType(c.format);
        EXPECT_EQ(c.matches, full.MatchesPartial(&partial)) << c.label;
    }
    CMediaType withBlock = AudioType(StereoPcm());
    withBlock.SetSubtype(&GUID_NULL);
    EXPECT_TRUE(full.MatchesPartial(&withBlock));
    reinterpret_cast<WAVEFORMATEX*>(withBlock.Format())->nSamplesPerSec = 48000;
    EXPECT_FALSE(full.MatchesPartial(&withBlock));
}

TEST(MediaType, FormatBufferOperations) {
    CMediaType type(&MEDIATYPE_Audio);
    BYTE* block = type.AllocFormatBuffer(16);
    ASSERT_NE(nullptr, block);
    EXPECT_EQ(16u, type.FormatLength());
    for (int i = 0; i < 16; ++i) EXPECT_EQ(0, block[i]);
    block[0] = 7;
    block = type.ReallocFormatBuffer(18);
    ASSERT_NE(nullptr, block);
    EXPECT_EQ(7, block[0]);
    EXPECT_EQ(0, block[17]);
    EXPECT_EQ(18u, type.FormatLength());
    EXPECT_EQ(nullptr, type.ReallocFormatBuffer(0));
    EXPECT_EQ(0u, type.FormatLength());
    EXPECT_TRUE(type.SetFormat(nullptr, 0));
    EXPECT_EQ(nullptr, type.Format());

    type.SetSampleSize(0);
    EXPECT_FALSE(type.IsFixedSize());
    EXPECT_EQ(0u, type.GetSampleSize());
    type.SetSampleSize(4);
    EXPECT_TRUE(type.IsFixedSize());
    EXPECT_EQ(4u, type.GetSampleSize());
}

TEST(MediaType, TaskMemoryCopiesForEnumerators) {
    const CMediaType type = AudioType(StereoPcm());
    AM_MEDIA_TYPE* copy = CreateMediaType(&type);
    ASSERT_NE(nullptr, copy);
    EXPECT_NE(type.pbFormat, copy->pbFormat);
    EXPECT_EQ(type.cbFormat, copy->cbFormat);
    EXPECT_EQ(0, std::memcmp(type.pbFormat, copy->pbFormat, type.cbFormat));
    EXPECT_TRUE(IsEqualGUID(type.subtype, copy->subtype));
    DeleteMediaType(copy);
    DeleteMediaType(nullptr);

    AM_MEDIA_TYPE plain = {};
    EXPECT_EQ(S_OK, CopyMediaType(&plain, &type));
    EXPECT_EQ(type.cbFormat, plain.cbFormat);
    FreeMediaType(plain);
    EXPECT_EQ(nullptr, plain.pbFormat);
    EXPECT_EQ(0u, plain.cbFormat);
}

}  // namespace
