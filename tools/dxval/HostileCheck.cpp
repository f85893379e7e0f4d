// Null pointers and out-of-range indexes on every method of every interface the filter and its
// page hand out: each gets an error HRESULT (the documented one where there is one), never a
// crash.
#include <functional>
#include <vector>

#include "engine/AutomationInterfaces.h"
#include "engine/Identifiers.h"
#include "engine/StaticFilterPreset.h"
#include "tools/dxval/Checks.h"

namespace {

// One hostile call: its name, the call, and the result it must give (kAnyError: any failure).
constexpr HRESULT kAnyError = static_cast<HRESULT>(0xFFFFFFFF);
struct HostileCall {
    std::string name;
    std::function<HRESULT()> call;
    HRESULT expected;
};

void RunCalls(CheckContext& context, const std::vector<HostileCall>& calls) {
    for (const HostileCall& c : calls) {
        context.Step(c.name);
        const HRESULT hr = c.call();
        ++context.runs;
        if (c.expected == kAnyError) {
            context.ExpectFailure(hr, c.name);
        } else {
            context.ExpectHr(hr, c.expected, c.name);
        }
    }
}

template <class I>
ComPtr<I> Query(CheckContext& context, IUnknown* object, REFIID iid, const char* name) {
    ComPtr<I> result;
    if (FAILED(object->QueryInterface(iid, result.PutVoid()))) {
        context.Fail(std::string("QueryInterface for ") + name + " failed");
    }
    return result;
}

void AddPinCalls(std::vector<HostileCall>* calls, IPin* pin, const std::string& name) {
    const std::string p = name + " pin: ";
    calls->insert(
        calls->end(),
        {
            {p + "Connect(null, null)", [pin] { return pin->Connect(nullptr, nullptr); },
             E_POINTER},
            {p + "ReceiveConnection(null, null)",
             [pin] { return pin->ReceiveConnection(nullptr, nullptr); }, E_POINTER},
            {p + "ConnectedTo(null)", [pin] { return pin->ConnectedTo(nullptr); }, E_POINTER},
            {p + "ConnectionMediaType(null)", [pin] { return pin->ConnectionMediaType(nullptr); },
             E_POINTER},
            {p + "QueryPinInfo(null)", [pin] { return pin->QueryPinInfo(nullptr); }, E_POINTER},
            {p + "QueryDirection(null)", [pin] { return pin->QueryDirection(nullptr); }, E_POINTER},
            {p + "QueryId(null)", [pin] { return pin->QueryId(nullptr); }, E_POINTER},
            {p + "QueryAccept(null)", [pin] { return pin->QueryAccept(nullptr); }, E_POINTER},
            {p + "EnumMediaTypes(null)", [pin] { return pin->EnumMediaTypes(nullptr); }, E_POINTER},
            {p + "QueryInterface(null)",
             [pin] { return pin->QueryInterface(IID_IUnknown, nullptr); }, E_POINTER},
        });
    ComPtr<IMemInputPin> memory;
    if (SUCCEEDED(pin->QueryInterface(IID_IMemInputPin, memory.PutVoid()))) {
        IMemInputPin* m = memory.Get();  // lives as long as the pin, which the caller holds
        calls->insert(
            calls->end(),
            {
                {p + "GetAllocator(null)", [m] { return m->GetAllocator(nullptr); }, E_POINTER},
                {p + "NotifyAllocator(null)", [m] { return m->NotifyAllocator(nullptr, FALSE); },
                 E_POINTER},
                {p + "GetAllocatorRequirements(null)",
                 [m] { return m->GetAllocatorRequirements(nullptr); }, E_POINTER},
                {p + "Receive(null)", [m] { return m->Receive(nullptr); }, E_POINTER},
                {p + "ReceiveMultiple(null)",
                 [m] { return m->ReceiveMultiple(nullptr, 1, nullptr); }, E_POINTER},
            });
    }
    ComPtr<IEnumMediaTypes> types;
    if (SUCCEEDED(pin->EnumMediaTypes(types.Put()))) {
        IEnumMediaTypes* t = types.Detach();  // released by the last call of the list
        calls->insert(calls->end(), {
                                        {p + "IEnumMediaTypes::Next(1, null)",
                                         [t] { return t->Next(1, nullptr, nullptr); }, E_POINTER},
                                        {p + "IEnumMediaTypes::Clone(null)",
                                         [t] { return t->Clone(nullptr); }, E_POINTER},
                                        {p + "IEnumMediaTypes::Skip(past the end)",
                                         [t] {
                                             const HRESULT hr = t->Skip(1000000);
                                             t->Release();
                                             return hr == S_FALSE ? E_FAIL : S_OK;
                                         },
                                         E_FAIL},
                                    });
    }
}

}  // namespace

void CheckHostileCalls(CheckContext& context) {
    ComPtr<IBaseFilter> filter = CreateFilter(context);
    if (!filter) return;
    IBaseFilter* f = filter.Get();
    std::vector<HostileCall> calls = {
        {"IBaseFilter::QueryInterface(null)",
         [f] { return f->QueryInterface(IID_IUnknown, nullptr); }, E_POINTER},
        {"IBaseFilter::GetClassID(null)", [f] { return f->GetClassID(nullptr); }, E_POINTER},
        {"IBaseFilter::EnumPins(null)", [f] { return f->EnumPins(nullptr); }, E_POINTER},
        {"IBaseFilter::FindPin(null, pin)",
         [f] {
             IPin* pin = nullptr;
             return f->FindPin(nullptr, &pin);
         },
         E_POINTER},
        {"IBaseFilter::FindPin(name, null)", [f] { return f->FindPin(L"Input", nullptr); },
         E_POINTER},
        {"IBaseFilter::FindPin(unknown name)",
         [f] {
             IPin* pin = nullptr;
             const HRESULT hr = f->FindPin(L"Sideways", &pin);
             if (pin != nullptr) pin->Release();
             return hr;
         },
         VFW_E_NOT_FOUND},
        {"IBaseFilter::QueryFilterInfo(null)", [f] { return f->QueryFilterInfo(nullptr); },
         E_POINTER},
        {"IBaseFilter::QueryVendorInfo(null)", [f] { return f->QueryVendorInfo(nullptr); },
         kAnyError},
        {"IBaseFilter::GetState(null)", [f] { return f->GetState(0, nullptr); }, E_POINTER},
        {"IBaseFilter::GetSyncSource(null)", [f] { return f->GetSyncSource(nullptr); }, E_POINTER},
    };
    ComPtr<IEnumPins> pins;
    if (SUCCEEDED(f->EnumPins(pins.Put()))) {
        IEnumPins* e = pins.Get();
        calls.push_back(
            {"IEnumPins::Next(1, null)", [e] { return e->Next(1, nullptr, nullptr); }, E_POINTER});
        calls.push_back({"IEnumPins::Next(2, pins, no count)",
                         [e] {
                             IPin* two[2] = {};
                             const HRESULT hr = e->Next(2, two, nullptr);
                             for (IPin* pin : two) {
                                 if (pin != nullptr) pin->Release();
                             }
                             return hr;
                         },
                         E_INVALIDARG});
        calls.push_back({"IEnumPins::Clone(null)", [e] { return e->Clone(nullptr); }, E_POINTER});
        // A skip past the end answers S_FALSE and stays where it was: the first pin still comes.
        calls.push_back({"IEnumPins::Skip(past the end)",
                         [e] {
                             e->Reset();
                             if (e->Skip(1000) != S_FALSE) return S_OK;
                             IPin* pin = nullptr;
                             ULONG got = 0;
                             const HRESULT hr = e->Next(1, &pin, &got);
                             if (pin != nullptr) pin->Release();
                             return hr == S_OK && got == 1 ? E_FAIL : S_OK;
                         },
                         E_FAIL});
    }
    ComPtr<IPin> input, output;
    f->FindPin(L"Input", input.Put());
    f->FindPin(L"Output", output.Put());
    if (input) AddPinCalls(&calls, input.Get(), "input");
    if (output) AddPinCalls(&calls, output.Get(), "output");

    ComPtr<ISpecifyPropertyPages> pages = Query<ISpecifyPropertyPages>(
        context, f, IID_ISpecifyPropertyPages, "ISpecifyPropertyPages");
    ComPtr<IPersistStream> persist =
        Query<IPersistStream>(context, f, IID_IPersistStream, "IPersistStream");
    ComPtr<IStaticFilterPreset> presets =
        Query<IStaticFilterPreset>(context, f, IID_IStaticFilterPreset, "IStaticFilterPreset");
    ComPtr<IHqPlugInProp> engine =
        Query<IHqPlugInProp>(context, f, IID_IHqPlugInProp, "IHqPlugInProp");
    ComPtr<IMediaParams> params = Query<IMediaParams>(context, f, IID_IMediaParams, "IMediaParams");
    ComPtr<IMediaParamInfo> info =
        Query<IMediaParamInfo>(context, f, IID_IMediaParamInfo, "IMediaParamInfo");
    ComPtr<IMediaParamsUICallback> capture = Query<IMediaParamsUICallback>(
        context, f, IID_IMediaParamsUICallback, "IMediaParamsUICallback");
    if (!pages || !persist || !presets || !engine || !params || !info || !capture) return;
    IMediaParamsUICallback* cb = capture.Get();
    ISpecifyPropertyPages* sp = pages.Get();
    IPersistStream* ps = persist.Get();
    IStaticFilterPreset* pr = presets.Get();
    IHqPlugInProp* en = engine.Get();
    IMediaParams* mp = params.Get();
    IMediaParamInfo* mi = info.Get();
    DWORD count = 0;
    mi->GetParamCount(&count);
    calls.insert(
        calls.end(),
        {
            {"GetPages(null)", [sp] { return sp->GetPages(nullptr); }, E_POINTER},
            {"IPersistStream::GetClassID(null)", [ps] { return ps->GetClassID(nullptr); },
             E_POINTER},
            {"IPersistStream::Load(null)", [ps] { return ps->Load(nullptr); }, E_POINTER},
            {"IPersistStream::Save(null)", [ps] { return ps->Save(nullptr, TRUE); }, E_POINTER},
            {"IPersistStream::GetSizeMax(null)", [ps] { return ps->GetSizeMax(nullptr); },
             E_POINTER},
            {"GetPresetCount(null)", [pr] { return pr->GetPresetCount(nullptr); }, E_POINTER},
            {"GetPresetName(2)",
             [pr] {
                 WCHAR name[64];
                 return pr->GetPresetName(2, name, 64);
             },
             E_INVALIDARG},
            {"GetPresetName(0, null)", [pr] { return pr->GetPresetName(0, nullptr, 64); },
             E_POINTER},
            {"ApplyPreset(2)", [pr] { return pr->ApplyPreset(2); }, E_INVALIDARG},
            {"ApplyPreset(0xFFFFFFFF)", [pr] { return pr->ApplyPreset(0xFFFFFFFF); }, E_INVALIDARG},
            {"GetAllParams(null)", [en] { return en->GetAllParams(nullptr); }, E_POINTER},
            {"SetAllParams(null)", [en] { return en->SetAllParams(nullptr); }, E_POINTER},
            {"GetWaveFormat(null, 0)", [en] { return en->GetWaveFormat(nullptr, 0); }, kAnyError},
            {"GetWaveFormat(format, 2)",
             [en] {
                 WAVEFORMATEX format = {};
                 return en->GetWaveFormat(&format, 2);
             },
             VFW_E_NOT_CONNECTED},
            {"GetDecay(null)", [en] { return en->GetDecay(nullptr); }, E_POINTER},
            {"GetTail(null)", [en] { return en->GetTail(nullptr); }, E_POINTER},
            {"GetStereo(null)", [en] { return en->GetStereo(nullptr); }, E_POINTER},
            {"SetClipLeft(4)", [en] { return en->SetClipLeft(4, 1); }, kAnyError},
            {"SetClipRight(-1)", [en] { return en->SetClipRight(-1, 1); }, kAnyError},
            {"GetClipLeft(-1), GetClipRight(1000)",
             [en] {
                 en->GetClipLeft(-1);
                 en->GetClipRight(1000);
                 return E_FAIL;
             },
             E_FAIL},
            {"IMediaParams::GetParam(count)",
             [mp, count] {
                 MP_DATA value = 0;
                 return mp->GetParam(count, &value);
             },
             E_INVALIDARG},
            {"IMediaParams::GetParam(0, null)", [mp] { return mp->GetParam(0, nullptr); },
             E_POINTER},
            {"IMediaParams::SetParam(count)", [mp, count] { return mp->SetParam(count, 0.5f); },
             E_INVALIDARG},
            {"IMediaParams::AddEnvelope(0, 1, null)",
             [mp] { return mp->AddEnvelope(0, 1, nullptr); }, E_POINTER},
            {"IMediaParams::AddEnvelope(count)",
             [mp, count] {
                 MP_ENVELOPE_SEGMENT segment = {0, 10000, 0.0f, 1.0f, MP_CURVE_LINEAR, 0};
                 return mp->AddEnvelope(count, 1, &segment);
             },
             E_INVALIDARG},
            {"IMediaParams::FlushEnvelope(count)",
             [mp, count] { return mp->FlushEnvelope(count, 0, 10000); }, E_INVALIDARG},
            {"IMediaParams::SetTimeFormat(unknown)",
             [mp] { return mp->SetTimeFormat(IID_IUnknown, 0); }, E_INVALIDARG},
            {"ParamsBeginCapture(null, 1)", [cb] { return cb->ParamsBeginCapture(nullptr, 1); },
             E_POINTER},
            {"ParamsBeginCapture(count)",
             [cb, count] {
                 DWORD index = count;
                 return cb->ParamsBeginCapture(&index, 1);
             },
             kAnyError},
            {"ParamsChanged(null, 1, null)",
             [cb] { return cb->ParamsChanged(nullptr, 1, nullptr); }, E_POINTER},
            {"ParamsChanged(count)",
             [cb, count] {
                 DWORD index = count;
                 MP_DATA value = 0.5f;
                 return cb->ParamsChanged(&index, 1, &value);
             },
             E_INVALIDARG},
            {"ParamsEndCapture(null, 1)", [cb] { return cb->ParamsEndCapture(nullptr, 1); },
             E_POINTER},
            {"ParamsEndCapture(count)",
             [cb, count] {
                 DWORD index = count;
                 return cb->ParamsEndCapture(&index, 1);
             },
             kAnyError},
            {"IMediaParamInfo::GetParamCount(null)", [mi] { return mi->GetParamCount(nullptr); },
             E_POINTER},
            {"IMediaParamInfo::GetParamInfo(count)",
             [mi, count] {
                 MP_PARAMINFO record = {};
                 return mi->GetParamInfo(count, &record);
             },
             E_INVALIDARG},
            {"IMediaParamInfo::GetParamInfo(0, null)",
             [mi] { return mi->GetParamInfo(0, nullptr); }, E_POINTER},
            {"IMediaParamInfo::GetParamText(count)",
             [mi, count] {
                 WCHAR* text = nullptr;
                 const HRESULT hr = mi->GetParamText(count, &text);
                 CoTaskMemFree(text);
                 return hr;
             },
             E_INVALIDARG},
            {"IMediaParamInfo::GetParamText(0, null)",
             [mi] { return mi->GetParamText(0, nullptr); }, E_POINTER},
            {"IMediaParamInfo::GetNumTimeFormats(null)",
             [mi] { return mi->GetNumTimeFormats(nullptr); }, E_POINTER},
            {"IMediaParamInfo::GetSupportedTimeFormat(99)",
             [mi] {
                 GUID format;
                 return mi->GetSupportedTimeFormat(99, &format);
             },
             E_INVALIDARG},
            {"IMediaParamInfo::GetSupportedTimeFormat(0, null)",
             [mi] { return mi->GetSupportedTimeFormat(0, nullptr); }, E_POINTER},
            {"IMediaParamInfo::GetCurrentTimeFormat(null)",
             [mi] { return mi->GetCurrentTimeFormat(nullptr, nullptr); }, E_POINTER},
        });

    ComPtr<IPropertyPage> page;
    const HRESULT pageHr =
        context.module.Create(CLSID_HqPlugInPropPage, IID_IPropertyPage, page.PutVoid());
    if (FAILED(pageHr) || !page) {
        context.Fail("the class object does not create the property page: " + HrText(pageHr));
    } else {
        IPropertyPage* pg = page.Get();
        calls.insert(
            calls.end(),
            {
                {"IPropertyPage::GetPageInfo(null)", [pg] { return pg->GetPageInfo(nullptr); },
                 E_POINTER},
                {"IPropertyPage::SetObjects(1, null)", [pg] { return pg->SetObjects(1, nullptr); },
                 E_POINTER},
                {"IPropertyPage::Move(null)", [pg] { return pg->Move(nullptr); }, E_POINTER},
                {"IPropertyPage::Show before Activate", [pg] { return pg->Show(SW_SHOW); },
                 kAnyError},
                {"IPropertyPage::TranslateAccelerator(null)",
                 [pg] { return pg->TranslateAccelerator(nullptr); }, E_POINTER},
                {"IPropertyPage::QueryInterface(null)",
                 [pg] { return pg->QueryInterface(IID_IUnknown, nullptr); }, E_POINTER},
            });
    }
    RunCalls(context, calls);
}
