// libFuzzer target for the automation script reader: any bytes are parsed as a script. A refused
// script is one line naming its line and leaves the script empty; a taken one holds ordered,
// in-range segments, which the engine's automation object takes and plays at the ends of each
// parameter's first segments with every value in its range.
#include <cmath>

#include "host/AutomationFile.h"
#include "host/MediaParams.h"
#include "tests/support/EngineHarness.h"
#include "tests/support/FuzzCheck.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    AutomationScript script;
    std::string error;
    if (!ParseAutomation({reinterpret_cast<const char*>(data), size}, &script, &error)) {
        FuzzCheck(error.rfind("line ", 0) == 0 && error.find('\n') == std::string::npos, "line");
        FuzzCheck(script.SegmentCount() == 0, "a refused script is empty");
        return 0;
    }
    for (const auto& list : script.segments) {
        for (const MP_ENVELOPE_SEGMENT& s : list) {
            FuzzCheck(0 <= s.rtStart && s.rtStart <= s.rtEnd, "ordered times");
            FuzzCheck(s.valStart >= 0 && s.valStart <= 1 && s.valEnd >= 0 && s.valEnd <= 1, "0-1");
        }
    }
    EngineHarness engine(44100, 2, &CMediaParams::Create);
    auto* params = static_cast<CMediaParams*>(engine->Automation());
    FuzzCheck(ApplyAutomation(params, &script) == S_OK, "the envelopes take the script");
    for (const auto& list : script.segments) {
        for (size_t k = 0; k < list.size() && k < 8; ++k) {
            for (REFERENCE_TIME time : {list[k].rtStart, list[k].rtEnd}) {
                // 44100 frames a second in units of 100 ns.
                params->UpdateToSamplePosition(std::llround(std::floor(time * 0.00441)));
                SetupBlock block;
                engine->SyncFromAutomation(&block);
                for (const ParameterDef& def : kParameters) {
                    const int word = block.words[def.word];
                    FuzzCheck(word >= def.minimum && word <= def.maximum, "in range");
                }
            }
        }
    }
    return 0;
}
