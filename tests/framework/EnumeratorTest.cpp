// The enumerators of pins and of media types: Next with and without a count, Skip, Reset,
// Clone, the reference they hold, and VFW_E_ENUM_OUT_OF_SYNC once the set has changed.
#include <gtest/gtest.h>

#include "framework/Module.h"
#include "tests/framework/FrameworkTestSupport.h"
#include "tools/dxhost/WavSourceFilter.h"

namespace {

class Enumerators : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(0, ModuleObjectCount());
        filter = ComPtr<CPassThroughFilter>(CPassThroughFilter::Create());
        ASSERT_TRUE(filter);
        ASSERT_EQ(S_OK,
                  CWavSourceFilter::Create(MakeTestAudio(WAVE_FORMAT_IEEE_FLOAT, 32, 1, 48000, 10),
                                           256, source.Put()));
    }
    void TearDown() override {
        filter.Reset();
        source.Reset();
        EXPECT_EQ(0, ModuleObjectCount()) << "an object leaked";
    }
    IBaseFilter* Filter() const { return filter.Get(); }

    ComPtr<CPassThroughFilter> filter;
    ComPtr<CWavSourceFilter> source;
};

TEST_F(Enumerators, PinsInOrderWithReferences) {
    ComPtr<IEnumPins> pins;
    EXPECT_EQ(E_POINTER, Filter()->EnumPins(nullptr));
    ASSERT_EQ(S_OK, Filter()->EnumPins(pins.Put()));
    EXPECT_EQ(2u, RefCount(Filter())) << "the enumerator holds the filter";

    IPin* got[3] = {};
    ULONG fetched = 9;
    EXPECT_EQ(E_POINTER, pins->Next(2, got, nullptr));
    EXPECT_EQ(E_POINTER, pins->Next(1, nullptr, &fetched));
    EXPECT_EQ(S_OK, pins->Next(1, got, nullptr));
    EXPECT_EQ(static_cast<IPin*>(filter->GetPin(0)), got[0]);
    EXPECT_EQ(3u, RefCount(Filter()));
    got[0]->Release();
    EXPECT_EQ(S_FALSE, pins->Next(3, got, &fetched));
    EXPECT_EQ(1u, fetched);
    EXPECT_EQ(static_cast<IPin*>(filter->GetPin(1)), got[0]);
    got[0]->Release();
    EXPECT_EQ(S_FALSE, pins->Next(1, got, &fetched));
    EXPECT_EQ(0u, fetched);

    EXPECT_EQ(S_OK, pins->Reset());
    EXPECT_EQ(S_OK, pins->Skip(1));
    ComPtr<IEnumPins> copy;
    EXPECT_EQ(E_POINTER, pins->Clone(nullptr));
    ASSERT_EQ(S_OK, pins->Clone(copy.Put()));
    EXPECT_EQ(3u, RefCount(Filter()));
    EXPECT_EQ(S_OK, copy->Next(1, got, nullptr));
    EXPECT_EQ(static_cast<IPin*>(filter->GetPin(1)), got[0]) << "a clone starts where it was";
    got[0]->Release();
    EXPECT_EQ(S_FALSE, pins->Skip(2));
    EXPECT_EQ(S_FALSE, pins->Skip(1));

    void* out = nullptr;
    EXPECT_EQ(S_OK, pins->QueryInterface(IID_IEnumPins, &out));
    static_cast<IUnknown*>(out)->Release();
    EXPECT_EQ(E_NOINTERFACE, pins->QueryInterface(IID_IEnumMediaTypes, &out));
    copy.Reset();
    pins.Reset();
    EXPECT_EQ(1u, RefCount(Filter()));
}

TEST_F(Enumerators, PinsOutOfSyncAfterTheSetChanged) {
    ComPtr<IEnumPins> pins;
    ASSERT_EQ(S_OK, Filter()->EnumPins(pins.Put()));
    filter->IncrementPinVersion();
    IPin* got = nullptr;
    ULONG fetched = 9;
    EXPECT_EQ(VFW_E_ENUM_OUT_OF_SYNC, pins->Next(1, &got, &fetched));
    EXPECT_EQ(0u, fetched);
    EXPECT_EQ(VFW_E_ENUM_OUT_OF_SYNC, pins->Skip(1));
    ComPtr<IEnumPins> copy;
    EXPECT_EQ(VFW_E_ENUM_OUT_OF_SYNC, pins->Clone(copy.Put()));
    EXPECT_FALSE(copy);
    EXPECT_EQ(S_OK, pins->Reset());
    EXPECT_EQ(S_OK, pins->Next(1, &got, nullptr));
    got->Release();
}

TEST_F(Enumerators, MediaTypesAreCopiesForTheCaller) {
    CBasePin* pin = source->GetPin(0);
    ComPtr<IEnumMediaTypes> types;
    ASSERT_EQ(S_OK, pin->EnumMediaTypes(types.Put()));
    EXPECT_EQ(2u, RefCount(static_cast<IBaseFilter*>(source.Get())))
        << "the enumerator holds the pin, which counts on the filter";
    CMediaType expected;
    ASSERT_EQ(S_OK, source->FileMediaType(&expected));

    AM_MEDIA_TYPE* got[2] = {};
    ULONG fetched = 0;
    EXPECT_EQ(E_POINTER, types->Next(2, got, nullptr));
    EXPECT_EQ(S_FALSE, types->Next(2, got, &fetched));
    ASSERT_EQ(1u, fetched);
    EXPECT_TRUE(CMediaType(*got[0]) == expected);
    const WAVEFORMATEX* format = reinterpret_cast<WAVEFORMATEX*>(got[0]->pbFormat);
    EXPECT_EQ(WAVE_FORMAT_IEEE_FLOAT, format->wFormatTag);
    EXPECT_EQ(1, format->nChannels);
    EXPECT_EQ(48000u, format->nSamplesPerSec);
    EXPECT_TRUE(IsEqualGUID(MEDIASUBTYPE_IEEE_FLOAT, got[0]->subtype));
    DeleteMediaType(got[0]);

    EXPECT_EQ(S_OK, types->Reset());
    ComPtr<IEnumMediaTypes> copy;
    ASSERT_EQ(S_OK, types->Clone(copy.Put()));
    EXPECT_EQ(S_OK, types->Skip(1));
    EXPECT_EQ(S_FALSE, types->Skip(1));
    EXPECT_EQ(S_OK, copy->Next(1, got, nullptr));
    DeleteMediaType(got[0]);

    pin->IncrementTypeVersion();
    EXPECT_EQ(VFW_E_ENUM_OUT_OF_SYNC, copy->Next(1, got, &fetched));
    EXPECT_EQ(0u, fetched);
    EXPECT_EQ(VFW_E_ENUM_OUT_OF_SYNC, copy->Skip(1));
    EXPECT_EQ(S_OK, copy->Reset());
    EXPECT_EQ(S_OK, copy->Skip(1));
}

}  // namespace
