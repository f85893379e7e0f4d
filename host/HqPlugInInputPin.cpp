// The reverb filter's input pin (see HqPlugInInputPin.h).
#include "host/HqPlugInInputPin.h"

#include "host/HqPlugIn.h"

CHqPlugInInputPin::CHqPlugInInputPin(const WCHAR* objectName, CHqPlugIn* filter, HRESULT* hr,
                                     const WCHAR* pinName)
    : CTransformInputPin(objectName, filter, hr, pinName), plugIn_(filter) {}

CHqPlugInInputPin::~CHqPlugInInputPin() = default;

HRESULT CHqPlugInInputPin::CheckMediaType(const CMediaType* type) {
    HRESULT hr = plugIn_->CheckInputType(type);
    if (hr != S_OK) return hr;
    CTransformOutputPin* output = plugIn_->OutputPin();
    if (output == nullptr || !output->IsConnected()) return hr;
    hr = plugIn_->CheckTransform(type, &output->CurrentMediaType());
    if (hr == S_OK) return hr;
    // A new input type is still accepted when the downstream pin takes its stereo form.
    CMediaType stereo;
    if (FAILED(stereo.Set(*type)) || FAILED(plugIn_->DeriveStereoType(&stereo))) return hr;
    return output->GetConnected()->QueryAccept(&stereo);
}
