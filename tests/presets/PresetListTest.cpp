// The preset store (identity, the list's end, ids, sorting, the files it writes, importing, the
// backup, its messages) and the array that holds its presets.
#include <gtest/gtest.h>

#include <cctype>
#include <cstdint>
#include <cstring>
#include <utility>

#include "presets/PresetArray.h"
#include "tests/presets/PresetTestSupport.h"

namespace {

const HWND kManager = reinterpret_cast<HWND>(0x2400);
constexpr char kForeign[] = "SOFTWARE\\Classes\\CLSID\\{00000000-1111-2222-3333-444444444444}";
constexpr UINT kError = MB_OK | MB_ICONERROR;

// A message box as "<owner> <MB_ flags> <caption>: <text>"; the caption is the store's title.
std::string Box(HWND owner, UINT type, const std::string& text,
                const std::string& caption = "qv:Reverb Preset Manager") {
    return std::to_string(reinterpret_cast<std::uintptr_t>(owner)) + " " + std::to_string(type) +
           " " + caption + ": " + text;
}

class PresetList : public ::testing::Test {
protected:
    // Records message boxes; questions take the queued answers (then No), the rest IDOK.
    PresetList() : store_(nullptr, nullptr, kPresetPluginName) {
        store_.SetAlternativeKey(kAlternativeClassKeyPath);
        store_.SetManagerWindow(kManager);
        store_.SetMessageHandler(
            [this](HWND owner, const char* text, const char* caption, UINT type) {
                boxes_.push_back(Box(owner, type, text, caption));
                if ((type & MB_TYPEMASK) != MB_YESNO) return IDOK;
                const int answer = answers_.empty() ? IDNO : answers_.front();
                if (!answers_.empty()) answers_.erase(answers_.begin());
                return answer;
            });
    }
    Strings Boxes() { return std::exchange(boxes_, {}); }  // the boxes shown since the last call
    PresetLoadResult Load(const std::string& bytes) {
        path_ = ScratchFile(bytes);
        return store_.LoadFile(kFilterClassKeyPath, path_.c_str());
    }
    void Add(const Strings& presets) {  // name, bank, data, name, bank, data...
        for (size_t i = 0; i + 2 < presets.size(); i += 3) {
            store_.AddPreset(presets[i].c_str(), presets[i + 1].c_str(), presets[i + 2].c_str());
        }
    }
    // Every preset in list order as "bank/name version data id".
    Strings List() const {
        Strings list;
        for (int i = 0; i < store_.Count(); ++i) {
            const PresetRecord& p = *store_.At(i);
            list.push_back(std::string(p.bank) + "/" + p.name + " " + std::to_string(p.version) +
                           " " + p.data + " " + std::to_string(p.id));
        }
        return list;
    }

    CPresetList store_;
    Strings boxes_;
    std::vector<int> answers_;
    std::string path_;
};

TEST_F(PresetList, LoadReadsUpToTheFirstIncompleteSectionAndSorts) {
    const std::string longName(200, 'n');
    EXPECT_EQ(PresetLoadResult::kLoaded,
              Load(PluginSection() + PresetSection(1, "3", "Zeta", "", "1") +
                   PresetSection(2, "12abc", "beta", "Rooms", "2") +
                   PresetSection(3, "none", "Alpha", "rooms", "3") +
                   PresetSection(4, "\" -1\"", "Gamma", "Halls", std::string(5000, '9')) +
                   PresetSection(5, "1", longName, "Halls", "") +
                   PresetSection(6, "3", "key_not_found", "", "6") +
                   PresetSection(8, "3", "Beyond", "", "8")));
    EXPECT_EQ((Strings{"Halls/Gamma -1 " + std::string(4095, '9') + " 3504",
                       "Halls/" + longName.substr(0, 127) + " 1  3505", "rooms/Alpha 0 3 3503",
                       "Rooms/beta 12 2 3502", "/key_not_found 3 6 3506", "/Zeta 3 1 3501"}),
              List());
    EXPECT_EQ(Strings{}, Boxes());

    // A key missing or holding KEY_NOT_FOUND ends the list.
    for (const std::string key : {"Version", "Name", "Bank", "Data"}) {
        for (const std::string& replacement : {std::string(), key + "=KEY_NOT_FOUND\r\n"}) {
            std::string second = PresetSection(2, "3", "Two", "B", "2");
            const size_t at = second.find("\n" + key + "=") + 1;
            second.replace(at, second.find('\n', at) + 1 - at, replacement);
            Load(PluginSection() + PresetSection(1, "3", "One", "B", "1") + second +
                 PresetSection(3, "3", "Three", "B", "3"));
            EXPECT_EQ((Strings{"B/One 3 1 3501"}), List()) << key << " " << replacement;
        }
    }
}

TEST_F(PresetList, LoadNeedsThisIdentityAndAUsablePath) {
    std::string lower = kFilterClassKeyPath;
    for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    const std::string one = PresetSection(1, "3", "One", "", "1");
    const std::pair<std::string, PresetLoadResult> cases[] = {
        {PluginSection(lower) + one, PresetLoadResult::kLoaded},
        {"[Plug-in]\r\nPluginName=qv:Reverb\r\n" + one, PresetLoadResult::kNoIdentity},
        {PluginSection(kForeign) + one, PresetLoadResult::kForeignIdentity},
        {PluginSection(kAlternativeClassKeyPath) + one, PresetLoadResult::kForeignIdentity}};
    for (const auto& [bytes, result] : cases) {
        EXPECT_EQ(result, Load(bytes)) << bytes;
        EXPECT_EQ(result == PresetLoadResult::kLoaded, store_.Count()) << bytes;
        const std::string text = "No presets could be loaded because the preset file\n\"" + path_ +
                                 "\"\ndoes not contain preset data compatible with this plug-in.";
        EXPECT_EQ(result == PresetLoadResult::kForeignIdentity ? Strings{Box(nullptr, kError, text)}
                                                               : Strings{},
                  Boxes());
    }

    // Without a usable file path nothing is read or written.
    const std::string tooLong = ScratchPath(std::string(300, 'p'));
    const std::string missingFolder = ScratchPath("missing/qvDavezoDU.ini");
    for (const std::string& path : {missingFolder, tooLong, std::string()}) {
        EXPECT_EQ(path == missingFolder ? PresetLoadResult::kNoIdentity : PresetLoadResult::kNoPath,
                  store_.LoadFile(kFilterClassKeyPath, path.c_str()));
        EXPECT_STREQ(path == missingFolder ? path.c_str() : "", store_.FilePath());
        store_.AddPreset("New", "", kDefaultDataLine);
        EXPECT_FALSE(store_.Save());
    }
    EXPECT_FALSE(store_.Export(kFilterClassKeyPath, "", PresetSelection::All()) ||
                 store_.Import("") || FileExists(missingFolder) || FileExists(tooLong));
    EXPECT_EQ(Strings{}, Boxes());
}

TEST_F(PresetList, IdsFollowTheLargestInTheListAndSortingIsStable) {
    EXPECT_EQ(kPresetIdBase, store_.NextId());
    Add({"a", "", "1", "b", "", "2"});
    EXPECT_EQ(3503u, store_.AddPreset("c", "", "3"));
    EXPECT_EQ(3503, store_.GetCurrentId());
    EXPECT_TRUE(store_.Modified());
    EXPECT_EQ(-1, store_.IdAt(3));
    EXPECT_TRUE(store_.RemovePreset(3502));
    EXPECT_FALSE(store_.RemovePreset(3502));
    EXPECT_EQ(3504u, store_.AddPreset("e", "", "5"));  // after the largest, not the count
    EXPECT_EQ((Strings{"/a 3 1 3501", "/c 3 3 3503", "/e 3 5 3504"}), List());

    // Banks first, then the presets in no bank; without regard to case; equal pairs in order.
    while (store_.Count() > 0) store_.RemovePreset(store_.IdAt(0));
    Add({"same", "Bank", "1", "SAME", "bank", "2", "B", "", "3", "A", "x", "4", "_u", "Bank", "5",
         "a", "", "6"});
    store_.SortPresets();
    EXPECT_EQ((Strings{"Bank/_u 3 5 3505", "Bank/same 3 1 3501", "bank/SAME 3 2 3502",
                       "x/A 3 4 3504", "/a 3 6 3506", "/B 3 3 3503"}),
              List());
}

TEST_F(PresetList, SaveAndExportWriteTheseFiles) {
    Load("[Plug-in]\r\nCLSID=" + std::string(kFilterClassKeyPath) + "\r\n" +
         PresetSection(1, "3", "One", "B", "1") + PresetSection(2, "3", "Two", "B", "2") +
         PresetSection(4, "3", "Four", "B", "4"));
    EXPECT_TRUE(store_.RemovePreset(3501));
    store_.FindById(3502)->version = 1;
    Add({"Hall A", "Halls", "5,6", "Odd  name = \"x\"", "", "7"});
    store_.SortPresets();
    EXPECT_TRUE(store_.Save());
    // Saving removes the sections up to the first gap and writes the list in its order.
    const std::string list = PresetSection(1, "1", "Two", "B", "2") +
                             PresetSection(2, "3", "Hall A", "Halls", "5,6") +
                             PresetSection(3, "3", "Odd  name = \"x\"", "", "7");
    EXPECT_EQ("[Plug-in]\r\nCLSID=" + std::string(kFilterClassKeyPath) +
                  "\r\nPluginName=qv:Reverb\r\nDefaultPreset=1\r\n" +
                  PresetSection(4, "3", "Four", "B", "4") + list,
              ReadBytes(path_));

    const std::string all = ScratchPath(), one = ScratchPath(), none = ScratchPath();
    EXPECT_TRUE(store_.Export(kFilterClassKeyPath, all.c_str(), PresetSelection::All()));
    EXPECT_EQ(PluginSection() + list, ReadBytes(all));
    // A bank goes over whatever the file held, without removing anything first.
    const std::string bank = ScratchFile(PresetSection(1, "3", "Stale1", "", "x") +
                                         PresetSection(2, "3", "Stale2", "", "x"));
    EXPECT_TRUE(store_.Export(kFilterClassKeyPath, bank.c_str(), PresetSelection::Bank("HALLS")));
    EXPECT_EQ(PresetSection(1, "3", "Hall A", "Halls", "5,6") +
                  PresetSection(2, "3", "Stale2", "", "x") +
                  PluginSection(kFilterClassKeyPath, false),
              ReadBytes(bank));
    EXPECT_TRUE(
        store_.Export(kAlternativeClassKeyPath, one.c_str(), PresetSelection::Preset(3502)));
    EXPECT_EQ(
        PluginSection(kAlternativeClassKeyPath, false) + PresetSection(1, "1", "Two", "B", "2"),
        ReadBytes(one));
    EXPECT_FALSE(store_.Export(kFilterClassKeyPath, none.c_str(), PresetSelection::Preset(3600)));
    EXPECT_FALSE(FileExists(none));
}

TEST_F(PresetList, ImportChecksTheIdentityAndAsksOncePerDuplicate) {
    store_.LoadFile(kFilterClassKeyPath, ScratchPath().c_str());
    const std::string one = PresetSection(1, "3", "One", "", "1");
    const std::string none =
        "The file you selected does not contain Brasswing Halvern:qv plug-in preset data.";
    const std::pair<std::string, std::string> failing[] = {
        {one, none},
        {"[Plug-in]\r\nCLSID=\r\n" + one, none},
        {PluginSection(kForeign) + one,
         "The preset file you are trying to import does not contain data for this plug-in."}};
    for (const auto& [bytes, text] : failing) {
        EXPECT_FALSE(store_.Import(ScratchFile(bytes).c_str())) << bytes;
        EXPECT_EQ((Strings{Box(kManager, kError, text)}), Boxes()) << bytes;
    }
    // Both identities import, unsorted; a preset equal in name, bank and data line asks first.
    Add({"Room", "Small", "1,2,3", "Hall", "", "4,5,6"});
    answers_ = {IDYES, IDNO};
    EXPECT_TRUE(store_.Import(
        ScratchFile(PluginSection(kAlternativeClassKeyPath) + PresetSection(1, "2", "Z", "", "1"))
            .c_str()));
    EXPECT_TRUE(store_.Import(ScratchFile(PluginSection() +
                                          PresetSection(1, "3", "ROOM", "small", "1,2,3") +
                                          PresetSection(2, "3", "hall", "", "4,5,6") +
                                          PresetSection(3, "3", "Hall", "", "4,5,7") +
                                          PresetSection(4, "3", "Hall", "Other", "4,5,6"))
                                  .c_str()));
    const std::string question =
        "\" you are importing already exists in the qv:Reverb preset list.\nDo you want to add it "
        "anyway?";
    EXPECT_EQ((Strings{Box(kManager, MB_YESNO | MB_ICONQUESTION, "The preset \"ROOM" + question),
                       Box(kManager, MB_YESNO | MB_ICONQUESTION, "The preset \"hall" + question)}),
              Boxes());
    EXPECT_EQ((Strings{"Small/Room 3 1,2,3 3501", "/Hall 3 4,5,6 3502", "/Z 2 1 3503",
                       "small/ROOM 3 1,2,3 3504", "/Hall 3 4,5,7 3505", "Other/Hall 3 4,5,6 3506"}),
              List());
}

TEST_F(PresetList, BackupSelectionAndSearch) {
    Add({"Plate", "Vocals", "1,2", "plate", "Drums", "3,4"});
    store_.FindById(3501)->version = 1;
    const Strings before = List();
    ASSERT_TRUE(store_.BackUp());
    EXPECT_EQ(before, List());
    EXPECT_TRUE(store_.UpdatePreset(3501, "9,9"));
    EXPECT_EQ((Strings{"Vocals/Plate 3 9,9 3501", "Drums/plate 3 3,4 3502"}), List());
    store_.RemovePreset(3502);
    store_.RestoreBackup();
    EXPECT_EQ(before, List());

    int version = 0;
    EXPECT_STREQ("1,2", store_.SelectPreset(3501, &version));
    EXPECT_EQ(nullptr, store_.SelectPreset(3600, &version));
    EXPECT_EQ(1, version);
    EXPECT_EQ(3501, store_.GetCurrentId());
    EXPECT_STREQ("1,2", store_.FindByName("PLATE", nullptr)->data);
    EXPECT_STREQ("3,4", store_.FindByName("Plate", "drums")->data);
    EXPECT_EQ(nullptr, store_.FindByName("Plate", ""));
    EXPECT_STREQ("plate", store_.FindNameById(3502));
}

TEST(PresetStore, TitleAndFileNameCleaning) {
    EXPECT_STREQ("Brasswing Halvern:qv Preset Manager", CPresetList(nullptr, nullptr, "").Title());
    char name[] = "x *?<>:\\\"/|\t\r\ny.ini";
    CPresetList::CleanFileName(name);
    EXPECT_STREQ("x_____________y.ini", name);
}

TEST(PresetArray, GrowsToExactlyTheSlotsInUseAndClosesGaps) {
    PresetArray array;
    // SetAt's result, then "count/capacity" and the slots up to one past the count ("-": none).
    auto set = [&array](int index, const char* name) {
        auto record = std::make_unique<PresetRecord>();
        std::strcpy(record->name, name);
        std::string text = std::to_string(array.SetAt(index, std::move(record)));
        text.append(" ").append(std::to_string(array.Count())).append("/");
        text.append(std::to_string(array.Capacity()));
        for (int i = 0; i <= static_cast<int>(array.Count()); ++i) {
            text += std::string(" ") + (array.GetAt(i) != nullptr ? array.GetAt(i)->name : "-");
        }
        return text;
    };
    EXPECT_EQ("0 0/0 -", set(-1, "x"));
    EXPECT_EQ("1 1/1 a -", set(0, "a"));
    EXPECT_EQ("1 2/2 a b -", set(1, "b"));
    EXPECT_EQ("1 6/6 a b - - - far -", set(5, "far"));
    EXPECT_EQ("1 6/6 first b - - - far -", set(0, "first"));
    EXPECT_EQ(nullptr, array.RemoveAt(6));
    EXPECT_STREQ("b", array.RemoveAt(1)->name);
    EXPECT_EQ("1 6/6 first - - - far c -", set(5, "c"));
}

}  // namespace
