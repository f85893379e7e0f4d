// The reverb filter's input pin: the transform input pin with a type check that also accepts
// a new input type whose stereo form the downstream filter would take.
#pragma once

#include "framework/TransformPins.h"

class CHqPlugIn;

class CHqPlugInInputPin : public CTransformInputPin {
public:
    CHqPlugInInputPin(const WCHAR* objectName, CHqPlugIn* filter, HRESULT* hr,
                      const WCHAR* pinName);
    ~CHqPlugInInputPin() override;

    // The filter's CheckInputType; with the output connected, its CheckTransform against the
    // output's type, or else the downstream pin's verdict on the stereo form of `type`.
    HRESULT CheckMediaType(const CMediaType* type) override;

private:
    CHqPlugIn* const plugIn_;  // not counted: the filter owns the pin
};
