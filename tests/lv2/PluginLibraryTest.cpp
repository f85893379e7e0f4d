// The LV2 plug-in through its library as a host loads it (dlopen): its state (the renderer's
// --save-state bytes for the same settings, restored, and what is not a state refused without
// changing its settings), and controls a host moves while it runs.
#include <dlfcn.h>
#include <gtest/gtest.h>
#include <lv2/atom/atom.h>
#include <lv2/core/lv2.h>
#include <lv2/state/state.h>
#include <lv2/urid/urid.h>
#include <sndfile.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <sstream>

#include "cli/Renderer.h"
#include "lv2/PluginPorts.h"
#include "tests/support/EngineHarness.h"

namespace {

using Bytes = std::vector<char>;
using Controls = std::vector<std::pair<int, float>>;

// The host's URID map: a URI's number is its place in the list, from 1.
std::vector<std::string> uris;
LV2_URID Map(LV2_URID_Map_Handle, const char* uri) {
    const auto found = std::find(uris.begin(), uris.end(), uri);
    if (found == uris.end()) uris.emplace_back(uri);
    return static_cast<LV2_URID>(std::find(uris.begin(), uris.end(), uri) - uris.begin() + 1);
}
LV2_URID_Map map{nullptr, Map};
const LV2_Feature mapFeature{LV2_URID__map, &map};
const LV2_Feature* const features[] = {&mapFeature, nullptr};

// The one property the plug-in stores, or that is handed back to it.
struct Property {
    LV2_URID key = 0, type = 0;
    Bytes bytes;
};
LV2_State_Status Store(LV2_State_Handle handle, std::uint32_t key, const void* value, size_t size,
                       std::uint32_t type, std::uint32_t) {
    const char* data = static_cast<const char*>(value);
    *static_cast<Property*>(handle) = {key, type, Bytes(data, data + size)};
    return LV2_STATE_SUCCESS;
}
const void* Retrieve(LV2_State_Handle handle, std::uint32_t key, size_t* size, std::uint32_t* type,
                     std::uint32_t* flags) {
    const auto* property = static_cast<const Property*>(handle);
    *size = property->bytes.size();
    *type = property->type;
    *flags = LV2_STATE_IS_POD;
    return key == property->key ? property->bytes.data() : nullptr;
}

// An instance at 44100 Hz, every port connected, the controls at their defaults, run once.
struct Instance {
    explicit Instance(const LV2_Descriptor* d, const Controls& changes = {}) : descriptor(d) {
        handle = d->instantiate(d, 44100, "", features);
        for (int i = 0; i < kParamCount; ++i) {
            ports[Port::kFirstParameter + i][0] = static_cast<float>(kParameters[i].defaultValue);
        }
        ports[Port::kStereo][0] = 1;
        for (const auto& [port, value] : changes) ports[port][0] = value;
        for (std::uint32_t p = 0; p < Port::kCount; ++p) d->connect_port(handle, p, ports[p]);
        d->activate(handle);
        d->run(handle, 64);
        state = static_cast<const LV2_State_Interface*>(d->extension_data(LV2_STATE__interface));
    }
    ~Instance() { descriptor->cleanup(handle); }
    Property Save() {
        Property saved;
        EXPECT_EQ(state->save(handle, Store, &saved, 0, nullptr), LV2_STATE_SUCCESS);
        return saved;
    }
    const LV2_Descriptor* descriptor;
    LV2_Handle handle;
    const LV2_State_Interface* state;
    float ports[Port::kCount][64] = {};
};

// The state file the renderer saves for a one-frame clip with these settings.
Bytes RendererState(std::vector<std::string> args) {
    const auto folder = std::filesystem::temp_directory_path();
    const std::string clip = folder / ("qv-lv2-" + std::to_string(getpid()) + ".wav");
    const std::string state = clip + ".state";
    SF_INFO info{0, 44100, 2, SF_FORMAT_WAV | SF_FORMAT_FLOAT, 0, 0};
    SNDFILE* file = sf_open(clip.c_str(), SFM_WRITE, &info);
    const float frame[2] = {0.5f, -0.25f};
    sf_writef_float(file, frame, 1);
    sf_close(file);
    args.insert(args.begin(), {clip, clip + ".out.wav", "--save-state", state});
    std::ostringstream out, err;
    EXPECT_EQ(RunRenderer(args, out, err), 0) << err.str();
    std::ifstream saved(state, std::ios::binary);
    const Bytes bytes{std::istreambuf_iterator<char>(saved), std::istreambuf_iterator<char>()};
    for (const auto& path : {clip, clip + ".out.wav", state}) std::filesystem::remove(path);
    return bytes;
}

// The plug-in's descriptor from its library, loaded once for the program.
const LV2_Descriptor* Descriptor() {
    static void* const library = dlopen(QV_LV2_LIBRARY, RTLD_NOW | RTLD_LOCAL);
    if (library == nullptr) return nullptr;
    return reinterpret_cast<const LV2_Descriptor* (*)(std::uint32_t)>(
        dlsym(library, "lv2_descriptor"))(0);
}

TEST(PluginState, IsTheRenderersStateBothWays) {
    const LV2_Descriptor* descriptor = Descriptor();
    ASSERT_NE(descriptor, nullptr) << dlerror();
    ASSERT_STREQ(descriptor->URI, kPluginUri);
    const LV2_URID key = Map(nullptr, kStateKeyUri), chunk = Map(nullptr, LV2_ATOM__Chunk);
    const auto control = [](int parameter) { return Port::kFirstParameter + parameter; };

    const struct {
        const char* name;
        Controls controls;
        std::vector<std::string> settings;  // the renderer's, for the same settings
    } cases[] = {
        {"defaults", {}, {"--no-tail"}},
        {"decay, room, tail",
         {{control(Param::kDecay), 30}, {control(Param::kRoomSize), 70}, {Port::kTail, 1}},
         {"--set", "Decay=30", "--set", "Room Size=70"}},
        {"mono from width 150, no reflections, input -2 dB",
         {{control(Param::kWidth), 150},
          {Port::kStereo, 0},
          {control(Param::kERMute), 1},
          {control(Param::kInput), -20}},
         {"--no-tail", "--set", "Width=150", "--set", "Stereo=0", "--set", "E.R. Mute=1", "--set",
          "Input=-20"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const Bytes expected = RendererState(c.settings);
        ASSERT_EQ(expected.size(), 100u);
        const Property saved = Instance(descriptor, c.controls).Save();
        EXPECT_EQ(saved.key, key);
        EXPECT_EQ(saved.type, chunk);
        EXPECT_EQ(saved.bytes, expected);

        Instance restoring(descriptor);
        Property state{key, chunk, expected};
        EXPECT_EQ(restoring.state->restore(restoring.handle, Retrieve, &state, 0, nullptr),
                  LV2_STATE_SUCCESS);
        EXPECT_EQ(restoring.Save().bytes, expected);
    }

    // Refused, and the settings stay the defaults.
    const Bytes defaults = RendererState({"--no-tail"});
    Bytes length84 = RendererState({"--set", "Decay=90"});
    length84[0] = 84;
    const struct {
        const char* name;
        Property property;
        LV2_State_Status status;
    } refused[] = {
        {"a string", {key, Map(nullptr, LV2_ATOM__String), defaults}, LV2_STATE_ERR_BAD_TYPE},
        {"length 84", {key, chunk, length84}, LV2_STATE_ERR_UNKNOWN},
    };
    for (const auto& c : refused) {
        SCOPED_TRACE(c.name);
        Instance instance(descriptor);
        Property state = c.property;
        EXPECT_EQ(instance.state->restore(instance.handle, Retrieve, &state, 0, nullptr), c.status);
        EXPECT_EQ(instance.Save().bytes, defaults);
    }
}

// Controls moved between runs take effect at the next run as the engine's setters do between
// blocks: a new room size (which cuts the reverb off), a new decay, a mute.
TEST(PluginRun, FollowsControlsMovedBetweenRunsAsTheEngineDoes) {
    const LV2_Descriptor* descriptor = Descriptor();
    ASSERT_NE(descriptor, nullptr) << dlerror();
    Instance plugin(descriptor);  // has run 64 frames of silence
    EngineHarness engine(44100, 2);
    ASSERT_EQ(S_OK, engine.Start());
    std::vector<double> expected;
    engine.Run(kModeDiscontinuity, std::vector<double>(128, 0.0), &expected);
    expected.clear();

    const std::vector<double> noise = Noise(64 * 200, 2, 0.5);
    const std::map<int, std::pair<int, int>> moves = {// at run: parameter, value
                                                      {40, {Param::kRoomSize, 90}},
                                                      {90, {Param::kDecay, 60}},
                                                      {120, {Param::kERMute, 1}},
                                                      {150, {Param::kRoomSize, 3}}};
    std::vector<float> actual;
    for (int run = 0; run < 200; ++run) {
        if (const auto move = moves.find(run); move != moves.end()) {
            const auto [parameter, value] = move->second;
            plugin.ports[Port::kFirstParameter + parameter][0] = static_cast<float>(value);
            engine->SetParameter(parameter, value, FALSE);
        }
        std::vector<double> block(noise.begin() + run * 128, noise.begin() + (run + 1) * 128);
        for (int f = 0; f < 64; ++f) {
            // Values a float holds exactly, so both sides take the same input.
            block[2 * f] = plugin.ports[Port::kInputLeft][f] = static_cast<float>(block[2 * f]);
            block[2 * f + 1] = plugin.ports[Port::kInputRight][f] =
                static_cast<float>(block[2 * f + 1]);
        }
        descriptor->run(plugin.handle, 64);
        engine.Run(kModeContinue, block, &expected);
        for (int f = 0; f < 64; ++f) {
            actual.push_back(plugin.ports[Port::kOutputLeft][f]);
            actual.push_back(plugin.ports[Port::kOutputRight][f]);
        }
    }
    ASSERT_EQ(expected.size(), actual.size());
    for (std::size_t i = 0; i < actual.size(); ++i) {
        ASSERT_EQ(static_cast<float>(expected[i]), actual[i]) << "sample " << i;
    }
}

}  // namespace
