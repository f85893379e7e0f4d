// write-lv2-bundle FOLDER BANK.ini LIBRARY: writes the LV2 bundle's descriptions into FOLDER at
// build time: manifest.ttl, halvern-reverb.ttl (the ports, from the engine's parameter table)
// and presets.ttl (the factory bank, one preset per entry named "Bank: Preset"). LIBRARY is
// the file name of the plug-in library in the bundle. One line on stderr and exit 1 on failure.
#include <cstdio>
#include <fstream>
#include <set>
#include <sstream>
#include <string>

#include "engine/Identifiers.h"
#include "engine/StandaloneReverb.h"
#include "lv2/PluginPorts.h"
#include "presets/PresetData.h"
#include "presets/PresetList.h"

namespace {

constexpr char kPrefixes[] =
    "# Written at build time by write-lv2-bundle (lv2/WriteBundle.cpp) from the parameter table\n"
    "# (engine/ParameterTable.h) and the factory bank (presets/qvDavezoDU.ini).\n\n"
    "@prefix atom: <http://lv2plug.in/ns/ext/atom#> .\n"
    "@prefix doap: <http://usefulinc.com/ns/doap#> .\n"
    "@prefix lv2: <http://lv2plug.in/ns/lv2core#> .\n"
    "@prefix pset: <http://lv2plug.in/ns/ext/presets#> .\n"
    "@prefix rdfs: <http://www.w3.org/2000/01/rdf-schema#> .\n"
    "@prefix state: <http://lv2plug.in/ns/ext/state#> .\n"
    "@prefix units: <http://lv2plug.in/ns/extensions/units#> .\n"
    "@prefix urid: <http://lv2plug.in/ns/ext/urid#> .\n\n";

std::string Quoted(const std::string& text) {
    std::string quoted = "\"";
    for (const char c : text) {
        if (c == '"' || c == '\\') quoted += '\\';
        quoted += c;
    }
    return quoted + "\"";
}

// The unit of one step: LV2's own where there is one, else a unit described here.
std::string Unit(const std::string& unit) {
    if (unit == "Hz") return "units:hz";
    if (unit == "ms") return "units:ms";
    if (unit == "%") return "units:pc";
    return "[ a units:Unit ; rdfs:label " + Quoted(unit) + " ; units:symbol " + Quoted(unit) +
           " ; units:render " + Quoted("%.0f x " + unit) + " ]";
}

void ControlPort(std::ostream& out, int index, const std::string& name, int minimum, int maximum,
                 int defaultValue, bool toggled, const std::string& unit) {
    out << "    ] , [\n        a lv2:InputPort , lv2:ControlPort ;\n"
        << "        lv2:index " << index << " ;\n        lv2:symbol "
        << Quoted(PortSymbol(name.c_str())) << " ;\n        lv2:name " << Quoted(name)
        << " ;\n        lv2:default " << defaultValue << " ;\n        lv2:minimum " << minimum
        << " ;\n        lv2:maximum " << maximum << " ;\n        lv2:portProperty "
        << (toggled ? "lv2:toggled" : "lv2:integer");
    if (!unit.empty()) out << " ;\n        units:unit " << Unit(unit);
    out << "\n";
}

void AudioPort(std::ostream& out, int index, bool input, const char* symbol, const char* name) {
    out << "        a lv2:" << (input ? "Input" : "Output") << "Port , lv2:AudioPort ;\n"
        << "        lv2:index " << index << " ;\n        lv2:symbol \"" << symbol
        << "\" ;\n        lv2:name \"" << name << "\"\n";
}

std::string Plugin() {
    std::ostringstream out;
    out << kPrefixes << "<" << kPluginUri << ">\n    a lv2:Plugin , lv2:ReverbPlugin ;\n"
        << "    doap:name \"Halvern:qv Reverb\" ;\n"
        << "    doap:maintainer [ a doap:Person ; doap:name \"Halvern\" ] ;\n"
        << "    lv2:optionalFeature lv2:hardRTCapable , urid:map ;\n"
        << "    lv2:extensionData state:interface ;\n    lv2:port [\n";
    AudioPort(out, Port::kInputLeft, true, "in_l", "In L");
    out << "    ] , [\n";
    AudioPort(out, Port::kInputRight, true, "in_r", "In R");
    out << "    ] , [\n";
    AudioPort(out, Port::kOutputLeft, false, "out_l", "Out L");
    out << "    ] , [\n";
    AudioPort(out, Port::kOutputRight, false, "out_r", "Out R");
    for (int i = 0; i < kParamCount; ++i) {
        const ParameterDef& def = kParameters[i];
        ControlPort(out, Port::kFirstParameter + i, def.label, def.minimum, def.maximum,
                    def.defaultValue, def.type == MPT_BOOL, def.unit);
    }
    // The switches start as a new filter does: Stereo on, Tail off.
    ControlPort(out, Port::kStereo, "Stereo", 0, 1, 1, true, "");
    ControlPort(out, Port::kTail, "Tail", 0, 1, kDefaultSetup.words[SetupWord::kTail], true, "");
    out << "    ] .\n";
    return out.str();
}

// A preset's URI from its bank and name: lower-case letters and digits, other runs as '-'.
std::string Slug(const std::string& text) {
    std::string slug;
    for (const char c : text) {
        const char lower = (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
        if ((lower >= 'a' && lower <= 'z') || (lower >= '0' && lower <= '9')) {
            slug += lower;
        } else if (!slug.empty() && slug.back() != '-') {
            slug += '-';
        }
    }
    while (!slug.empty() && slug.back() == '-') slug.pop_back();
    return slug;
}

// The bank's presets as the engine takes them (ApplyPresetData: the engine clamps each value,
// old Width units are converted, the Tail switch goes on), read back from the engine.
bool Presets(const std::string& bankPath, std::string* manifest, std::string* presets,
             std::string* error) {
    CPresetList list{nullptr, nullptr, kPresetPluginName};
    list.SetMessageHandler([error](HWND, const char* text, const char*, UINT) {
        *error = text;
        return IDOK;
    });
    if (list.LoadFile(kFilterClassKeyPath, bankPath.c_str()) != PresetLoadResult::kLoaded) {
        if (error->empty()) *error = bankPath + " is not the reverb's preset bank";
        return false;
    }
    std::set<std::string> uris;
    std::ostringstream man, out;
    out << kPrefixes;
    for (int p = 0; p < list.Count(); ++p) {
        const PresetRecord* record = list.At(p);
        const std::string bank = record->bank, name = record->name;
        const std::string label = bank.empty() ? name : bank + ": " + name;
        const std::string uri = std::string(kPluginUri) + ":preset:" + Slug(label);
        if (!uris.insert(uri).second) {
            *error = "two presets make the URI " + uri;
            return false;
        }
        HRESULT status = S_OK;
        CStandaloneReverb* engine = new CStandaloneReverb(&status);
        const HRESULT applied =
            ApplyPresetData(engine, record->data != nullptr ? record->data : "", record->version);
        int tail = 0;
        engine->GetTail(&tail);
        int values[kParamCount];
        for (int i = 0; i < kParamCount; ++i) values[i] = engine->GetParameter(i);
        engine->Release();
        if (applied != S_OK) {
            *error = "the preset \"" + label + "\" does not hold every parameter";
            return false;
        }
        man << "<" << uri << ">\n    a pset:Preset ;\n    lv2:appliesTo <" << kPluginUri
            << "> ;\n    rdfs:seeAlso <presets.ttl> .\n\n";
        out << "<" << uri << ">\n    a pset:Preset ;\n    lv2:appliesTo <" << kPluginUri
            << "> ;\n    rdfs:label " << Quoted(label) << " ;\n    lv2:port";
        for (int i = 0; i <= kParamCount; ++i) {
            const bool isTail = i == kParamCount;
            out << (i == 0 ? " [\n" : " , [\n") << "        lv2:symbol "
                << Quoted(PortSymbol(isTail ? "Tail" : kParameters[i].label))
                << " ;\n        pset:value " << (isTail ? tail : values[i]) << ".0\n    ]";
        }
        out << " .\n\n";
    }
    *manifest = man.str();
    *presets = out.str();
    return true;
}

bool Write(const std::string& path, const std::string& text) {
    std::ofstream file(path, std::ios::binary);
    file << text;
    file.close();
    return static_cast<bool>(file);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: write-lv2-bundle FOLDER BANK.ini LIBRARY\n");
        return 2;
    }
    const std::string folder = argv[1];
    std::string presetManifest, presets, error;
    if (!Presets(argv[2], &presetManifest, &presets, &error)) {
        std::fprintf(stderr, "write-lv2-bundle: %s\n", error.c_str());
        return 1;
    }
    std::ostringstream manifest;
    manifest << kPrefixes << "<" << kPluginUri << ">\n    a lv2:Plugin ;\n    lv2:binary <"
             << argv[3] << "> ;\n    rdfs:seeAlso <halvern-reverb.ttl> .\n\n"
             << presetManifest;
    if (!Write(folder + "/manifest.ttl", manifest.str()) ||
        !Write(folder + "/halvern-reverb.ttl", Plugin()) ||
        !Write(folder + "/presets.ttl", presets)) {
        std::fprintf(stderr, "write-lv2-bundle: cannot write into %s\n", folder.c_str());
        return 1;
    }
    return 0;
}
