// The automation object as the plug-in library serves it: counted among the module's live
// objects, so that the library stays loaded while a host still holds one of its interfaces
// after releasing the filter.
#pragma once

#include "framework/Unknown.h"
#include "host/MediaParams.h"

class CCountedMediaParams final : public CMediaParams, public CBaseObject {
public:
    // The filter engine's AutomationFactory: as CMediaParams::Create.
    static HRESULT Create(IEngineAutomation** out, IHqPlugInProp* owner);

private:
    explicit CCountedMediaParams(IHqPlugInProp* owner);
    ~CCountedMediaParams() override;
};
