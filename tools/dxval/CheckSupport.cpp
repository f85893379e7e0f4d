// Helpers shared by the check families: filter creation, the promised tail, stream verdicts.
#include <algorithm>

#include "tools/dxval/Checks.h"

ComPtr<IBaseFilter> CreateFilter(CheckContext& context) {
    ComPtr<IBaseFilter> filter;
    const HRESULT hr =
        context.module.Create(context.options.clsid, IID_IBaseFilter, filter.PutVoid());
    if (FAILED(hr) || !filter) {
        context.Fail("the class object does not create the filter: " + HrText(hr));
        return ComPtr<IBaseFilter>();
    }
    return filter;
}

std::int64_t PromisedTailFrames(IHqPlugInProp* engine, DWORD rate) {
    int tail = 0, decayTenths = 0, bassMultTenths = 0;
    engine->GetTail(&tail);
    engine->GetDecay(&decayTenths);
    engine->GetBassMult(&bassMultTenths);
    if (tail == 0) return 0;
    const std::int64_t tenths =
        std::max<std::int64_t>(decayTenths, decayTenths * bassMultTenths / 10);
    return tenths * rate / 10;
}

void ExpectGoodStream(CheckContext& context, const StreamReport& report, std::int64_t tailFrames,
                      double bound, const std::string& what) {
    if (report.result != S_OK) {
        context.Fail(what + ": " + report.error);
        return;
    }
    if (report.nonFinite != 0) {
        context.Fail(what + ": " + std::to_string(report.nonFinite) +
                     " output samples are not finite");
    }
    if (!report.timeFault.empty()) context.Fail(what + ": " + report.timeFault);
    if (tailFrames >= 0 && report.framesOut != report.framesIn + tailFrames) {
        context.Fail(what + ": " + std::to_string(report.framesOut) + " frames out, expected " +
                     std::to_string(report.framesIn) + " in + a tail of " +
                     std::to_string(tailFrames));
    }
    if (report.peak > bound) {
        context.Fail(what + ": output peak " + std::to_string(report.peak) + ", bound " +
                     std::to_string(bound));
    }
}
