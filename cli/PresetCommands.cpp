// The renderer's use of the preset library: applying a stored preset before rendering, and the
// `presets` commands that manage a preset file with the store's own operations.
#include "cli/PresetCommands.h"

#include <cstdio>
#include <memory>

#include "cli/CommandLine.h"
#include "cli/ParameterSettings.h"
#include "engine/StandaloneReverb.h"
#include "presets/PresetData.h"
#include "presets/PresetList.h"

namespace {

// A parameter's physical value as a person reads it ("1.8 s", "12.0 kHz", "off").
std::string Describe(int index, int value) {
    char text[32];
    switch (index) {
        case Param::kInput:
        case Param::kDry:
        case Param::kER:
        case Param::kReverb:
            if (value <= kSilenceTenthsDb) return "off";
            std::snprintf(text, sizeof text, "%.1f dB", value / 10.0);
            break;
        case Param::kLowCut:
            if (value <= 19) return "off";
            std::snprintf(text, sizeof text, "%d Hz", value);
            break;
        case Param::kHighCut:
        case Param::kHighDamping:
            if (value >= 221) return "off";
            std::snprintf(text, sizeof text, "%.1f kHz", value / 10.0);
            break;
        case Param::kPredelay:
            std::snprintf(text, sizeof text, "%d ms", value);
            break;
        case Param::kDiffusion:
        case Param::kWidth:
            std::snprintf(text, sizeof text, "%d %%", value);
            break;
        case Param::kBassMult:
            std::snprintf(text, sizeof text, "%.1f x decay", value / 10.0);
            break;
        case Param::kCrossover:
            std::snprintf(text, sizeof text, "%d Hz", value);
            break;
        case Param::kDecay:
            std::snprintf(text, sizeof text, "%.1f s", value / 10.0);
            break;
        case Param::kRoomSize:
            std::snprintf(text, sizeof text, "%d", value);
            break;
        default:
            return value != 0 ? "on" : "off";
    }
    return text;
}

// The store as the renderer uses it: its message boxes become lines on `err`, and a yes/no
// question takes the answer given on the command line.
struct Store {
    CPresetList list{nullptr, nullptr, kPresetPluginName};
    PresetLoadResult loaded = PresetLoadResult::kNoPath;

    Store(const std::string& file, bool answerYes, std::ostream& err) {
        list.SetAlternativeKey(kAlternativeClassKeyPath);
        list.SetMessageHandler(
            [&err, answerYes](HWND, const char* text, const char* caption, UINT type) {
                err << caption << ": " << text << "\n";
                if ((type & MB_TYPEMASK) == MB_YESNO || (type & MB_TYPEMASK) == MB_YESNOCANCEL) {
                    err << (answerYes ? "(answered yes)\n" : "(answered no)\n");
                    return answerYes ? IDYES : IDNO;
                }
                return IDOK;
            });
        loaded = file.empty() ? list.Load(kFilterClassKeyPath, kPresetFileName)
                              : list.LoadFile(kFilterClassKeyPath, file.c_str());
    }

    // A store that can be written: it has a path and does not belong to another plug-in.
    bool Writable(std::string* error) const {
        if (loaded == PresetLoadResult::kNoPath || list.FilePath()[0] == '\0') {
            *error = "there is no preset file to write to";
            return false;
        }
        if (loaded == PresetLoadResult::kForeignIdentity) {
            *error = std::string(list.FilePath()) + " belongs to another plug-in";
            return false;
        }
        return true;
    }

    PresetRecord* Find(const std::string& name, const std::string& bank, std::string* error) const {
        PresetRecord* record = list.FindByName(name.c_str(), bank.empty() ? nullptr : bank.c_str());
        if (record == nullptr) {
            *error = "no preset named \"" + name + "\"" +
                     (bank.empty() ? "" : " in bank \"" + bank + "\"") + " in " +
                     (list.FilePath()[0] != '\0' ? list.FilePath() : kPresetFileName);
        }
        return record;
    }
};

std::string PresetsUsage() {
    return "usage: halvern-reverb presets COMMAND [options]\n"
           "\n"
           "  list                          the presets, bank by bank\n"
           "  show NAME [--bank BANK]       a preset's values\n"
           "  add NAME [--bank BANK] [--set NAME=VALUE]...\n"
           "                                store the default settings with these changes\n"
           "  export OUT [--bank BANK | --preset NAME [--bank BANK]]\n"
           "                                write all presets, a bank or one preset to OUT\n"
           "  import IN [--yes]             add the presets of IN (--yes keeps duplicates)\n"
           "\n"
           "Every command takes --preset-file FILE; without it the commands work on\n"
           "qvDavezoDU.ini beside the program.\n";
}

struct PresetArgs {
    std::string command;
    std::vector<std::string> positional;
    std::string bank, preset, file;
    std::vector<std::pair<std::string, std::string>> settings;
    bool yes = false;
    bool help = false;
};

bool ParsePresetArgs(const std::vector<std::string>& args, PresetArgs* parsed, std::string* error) {
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        auto value = [&](std::string* out) { return TakeOptionValue(args, &i, out, error); };
        if (arg == "--help" || arg == "-h") {
            parsed->help = true;
        } else if (arg == "--bank") {
            if (!value(&parsed->bank)) return false;
        } else if (arg == "--preset") {
            if (!value(&parsed->preset)) return false;
        } else if (arg == "--preset-file") {
            if (!value(&parsed->file)) return false;
        } else if (arg == "--yes") {
            parsed->yes = true;
        } else if (arg == "--set") {
            std::string text;
            std::pair<std::string, std::string> setting;
            if (!value(&text) || !ParseSetting(text, &setting, error)) return false;
            parsed->settings.push_back(setting);
        } else if (arg.size() > 1 && arg[0] == '-') {
            *error = "unknown option " + arg;
            return false;
        } else if (parsed->command.empty()) {
            parsed->command = arg;
        } else {
            parsed->positional.push_back(arg);
        }
    }
    return true;
}

int List(Store& store, std::ostream& out) {
    std::string bank = "\x01";
    for (int i = 0; i < store.list.Count(); ++i) {
        const PresetRecord* record = store.list.At(i);
        if (bank != record->bank) {
            bank = record->bank;
            out << (bank.empty() ? "(no bank)" : bank) << "\n";
        }
        out << "  " << record->name << "\n";
    }
    if (store.list.Count() == 0) out << "no presets\n";
    return 0;
}

int Show(Store& store, const PresetArgs& args, std::ostream& out, std::ostream& err) {
    if (args.positional.size() != 1) {
        err << "halvern-reverb: presets show takes one preset name\n";
        return 2;
    }
    std::string error;
    const PresetRecord* record = store.Find(args.positional[0], args.bank, &error);
    if (record == nullptr) {
        err << "halvern-reverb: " << error << "\n";
        return 1;
    }
    int values[kParamCount] = {};
    const int count = ParseDataLine(record->data != nullptr ? record->data : "", values);
    out << record->name << (record->bank[0] != '\0' ? " (bank " : "")
        << (record->bank[0] != '\0' ? std::string(record->bank) + ")" : "") << "\n";
    for (int i = 0; i < count; ++i) {
        int value = values[i];
        if (i == Param::kWidth && record->version == 1) value *= 50;  // old width units
        std::string label = kParameters[i].label;
        label.resize(14, ' ');
        std::string number = std::to_string(value);
        number.resize(7, ' ');
        out << "  " << label << number << Describe(i, value) << "\n";
    }
    if (count < kParamCount) {
        out << "  (the data line holds " << count << " of " << kParamCount
            << " values; the rest stay as they are when it is applied)\n";
    }
    return 0;
}

int Add(Store& store, const PresetArgs& args, std::ostream& out, std::ostream& err) {
    std::string error;
    if (args.positional.size() != 1) {
        err << "halvern-reverb: presets add takes one preset name\n";
        return 2;
    }
    const std::string& name = args.positional[0];
    if (!store.Writable(&error)) {
        err << "halvern-reverb: " << error << "\n";
        return 1;
    }
    if (store.list.FindByName(name.c_str(), args.bank.c_str()) != nullptr) {
        err << "halvern-reverb: a preset named \"" << name << "\" is already in "
            << (args.bank.empty() ? "no bank" : "bank \"" + args.bank + "\"") << "\n";
        return 1;
    }
    HRESULT status = S_OK;
    auto* engine = new CStandaloneReverb(&status);
    struct Releaser {
        CStandaloneReverb* engine;
        ~Releaser() { engine->Release(); }
    } releaser{engine};
    for (const auto& [parameter, value] : args.settings) {
        if (!ApplySetting(*engine, parameter, value, &error)) {
            err << "halvern-reverb: " << error << "\n";
            return 2;
        }
    }
    std::unique_ptr<char[]> line(NewDataLine(engine));
    if (line == nullptr || store.list.AddPreset(name.c_str(), args.bank.c_str(), line.get()) == 0) {
        err << "halvern-reverb: not enough memory for the preset\n";
        return 1;
    }
    store.list.SortPresets();
    if (!store.list.Save()) {
        err << "halvern-reverb: cannot write " << store.list.FilePath() << "\n";
        return 1;
    }
    out << "added \"" << name << "\" to " << store.list.FilePath() << "\n";
    return 0;
}

int Export(Store& store, const PresetArgs& args, std::ostream& out, std::ostream& err) {
    if (args.positional.size() != 1) {
        err << "halvern-reverb: presets export takes one output file\n";
        return 2;
    }
    const std::string& path = args.positional[0];
    std::string error;
    PresetSelection selection = PresetSelection::All();
    if (!args.preset.empty()) {
        const PresetRecord* record = store.Find(args.preset, args.bank, &error);
        if (record == nullptr) {
            err << "halvern-reverb: " << error << "\n";
            return 1;
        }
        selection = PresetSelection::Preset(record->id);
    } else if (!args.bank.empty()) {
        selection = PresetSelection::Bank(args.bank.c_str());
    }
    if (!store.list.Export(kFilterClassKeyPath, path.c_str(), selection)) {
        err << "halvern-reverb: cannot write " << path << "\n";
        return 1;
    }
    out << "exported to " << path << "\n";
    return 0;
}

int Import(Store& store, const PresetArgs& args, std::ostream& out, std::ostream& err) {
    if (args.positional.size() != 1) {
        err << "halvern-reverb: presets import takes one preset file\n";
        return 2;
    }
    std::string error;
    if (!store.Writable(&error)) {
        err << "halvern-reverb: " << error << "\n";
        return 1;
    }
    const int before = store.list.Count();
    if (!store.list.Import(args.positional[0].c_str())) {
        err << "halvern-reverb: nothing imported from " << args.positional[0] << "\n";
        return 1;
    }
    store.list.SortPresets();
    if (!store.list.Save()) {
        err << "halvern-reverb: cannot write " << store.list.FilePath() << "\n";
        return 1;
    }
    out << "imported " << store.list.Count() - before << " presets into " << store.list.FilePath()
        << "\n";
    return 0;
}

}  // namespace

bool ApplyStoredPreset(CAudioTransform& engine, const std::string& name, const std::string& bank,
                       const std::string& file, std::ostream& err, std::string* error) {
    Store store(file, false, err);
    const PresetRecord* record = store.Find(name, bank, error);
    if (record == nullptr) return false;
    if (FAILED(ApplyPresetData(&engine, record->data != nullptr ? record->data : "",
                               record->version))) {
        *error = "the preset \"" + name + "\" has no data";
        return false;
    }
    return true;
}

int RunPresetCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    PresetArgs parsed;
    std::string error;
    if (!ParsePresetArgs(args, &parsed, &error)) {
        err << "halvern-reverb: " << error << " (see presets --help)\n";
        return 2;
    }
    if (parsed.help || parsed.command.empty()) {
        (parsed.help ? out : err) << PresetsUsage();
        return parsed.help ? 0 : 2;
    }
    const std::string& command = parsed.command;
    if (command != "list" && command != "show" && command != "add" && command != "export" &&
        command != "import") {
        err << "halvern-reverb: unknown presets command \"" << command
            << "\" (see presets --help)\n";
        return 2;
    }
    Store store(parsed.file, parsed.yes, err);
    if (store.loaded == PresetLoadResult::kForeignIdentity && command != "import") {
        err << "halvern-reverb: " << store.list.FilePath() << " belongs to another plug-in\n";
        return 1;
    }
    if (command == "list") return List(store, out);
    if (command == "show") return Show(store, parsed, out, err);
    if (command == "add") return Add(store, parsed, out, err);
    if (command == "export") return Export(store, parsed, out, err);
    return Import(store, parsed, out, err);
}
