// The preset store: loading with its identity check and ids, the list's end at a gap or a
// literal "KEY_NOT_FOUND", sorting, saving, exporting, importing with its questions, the
// backup, and every message the store shows.
#include <gtest/gtest.h>

#include <cctype>
#include <string>
#include <vector>

#include "tests/presets/PresetTestSupport.h"

namespace {

const HWND kManager = reinterpret_cast<HWND>(0x2400);

constexpr char kForeignIdentity[] =
    "SOFTWARE\\Classes\\CLSID\\{00000000-1111-2222-3333-444444444444}";

class PresetList : public ::testing::Test {
protected:
    PresetList() : store_(nullptr, nullptr, kPresetPluginName), messages_(store_) {
        store_.SetAlternativeKey(kAlternativeClassKeyPath);
    }

    // Loads a file of these bytes into the store.
    std::string LoadBytes(const std::string& bytes) {
        const std::string path = folder_.NewFile(bytes);
        lastLoad_ = store_.LoadFile(kFilterClassKeyPath, path.c_str());
        return path;
    }

    // "bank/name" of every preset in list order.
    std::vector<std::string> Order() const {
        std::vector<std::string> order;
        for (int i = 0; i < store_.Count(); ++i) {
            order.push_back(std::string(store_.At(i)->bank) + "/" + store_.At(i)->name);
        }
        return order;
    }

    ScratchFolder folder_;
    CPresetList store_;
    MessageRecorder messages_;
    PresetLoadResult lastLoad_ = PresetLoadResult::kNoPath;
};

using Names = std::vector<std::string>;

TEST_F(PresetList, ANewStoreIsEmptyAndTitledAfterThePlugIn) {
    EXPECT_EQ(0, store_.Count());
    EXPECT_EQ(-1, store_.GetCurrentId());
    EXPECT_EQ(kPresetIdBase, store_.NextId());
    EXPECT_STREQ("qv:Reverb Preset Manager", store_.Title());
    EXPECT_STREQ("qv:Reverb", store_.PluginName());
    EXPECT_STREQ("", store_.FilePath());
    EXPECT_EQ(-1, store_.IdAt(0));

    CPresetList unnamed(nullptr, nullptr, nullptr);
    EXPECT_STREQ("Brasswing Halvern:qv Preset Manager", unnamed.Title());
    EXPECT_STREQ("", unnamed.PluginName());
}

TEST_F(PresetList, LoadingNumbersPresetsInFileOrderAndSortsThem) {
    LoadBytes(PluginSection() + PresetSection(1, "3", "Zeta", "", "1") +
              PresetSection(2, "3", "beta", "Rooms", "2") +
              PresetSection(3, "2", "Alpha", "rooms", "3") +
              PresetSection(4, "1", "Gamma", "Halls", "4"));
    EXPECT_EQ((Names{"Halls/Gamma", "rooms/Alpha", "Rooms/beta", "/Zeta"}), Order());
    EXPECT_EQ(3504, store_.IdAt(0));
    EXPECT_EQ(3503, store_.IdAt(1));
    EXPECT_EQ(3502, store_.IdAt(2));
    EXPECT_EQ(3501, store_.IdAt(3));
    EXPECT_EQ(3504u, store_.NextId());
    EXPECT_STREQ("3", store_.FindById(3503)->data);
    EXPECT_EQ(2, store_.FindById(3503)->version);
    EXPECT_STREQ("2", store_.FindById(3502)->data);
    EXPECT_EQ(1, store_.FindById(3504)->version);
    EXPECT_STREQ("Zeta", store_.FindNameById(3501));
    EXPECT_EQ(nullptr, store_.FindNameById(3505));
    EXPECT_TRUE(messages_.Messages().empty());
}

TEST_F(PresetList, SortingPutsBanksFirstAndKeepsEqualPairsInOrder) {
    store_.AddPreset("b", "", "1");
    store_.AddPreset("A", "x", "2");
    store_.AddPreset("same", "Bank", "first");
    store_.AddPreset("SAME", "bank", "second");
    store_.AddPreset("a", "", "3");
    store_.AddPreset("_under", "Bank", "4");
    store_.SortPresets();
    EXPECT_EQ((Names{"Bank/_under", "Bank/same", "bank/SAME", "x/A", "/a", "/b"}), Order());
    EXPECT_STREQ("first", store_.At(1)->data);
    EXPECT_STREQ("second", store_.At(2)->data);
}

TEST_F(PresetList, AGapEndsTheListAndSaveAllLeavesWhatLiesBeyondIt) {
    const std::string path =
        LoadBytes(PluginSection() + PresetSection(1, "3", "One", "B", "1") +
                  PresetSection(2, "3", "Two", "B", "2") + PresetSection(4, "3", "Four", "B", "4"));
    ASSERT_EQ(2, store_.Count());
    EXPECT_EQ(nullptr, store_.FindByName("Four", nullptr));

    ASSERT_TRUE(store_.RemovePreset(3501));
    ASSERT_TRUE(store_.Save());
    EXPECT_EQ("Two", Profile(path, "Preset1", "Name"));
    EXPECT_EQ("<absent>", Profile(path, "Preset2", "Version"));
    EXPECT_EQ("<absent>", Profile(path, "Preset2", "Name"));
    EXPECT_EQ("Four", Profile(path, "Preset4", "Name"));
    EXPECT_EQ("1", Profile(path, "Plug-in", "DefaultPreset"));
    EXPECT_EQ("qv:Reverb", Profile(path, "Plug-in", "PluginName"));
    EXPECT_EQ(kFilterClassKeyPath, Profile(path, "Plug-in", "CLSID"));
}

TEST_F(PresetList, AKeyNotFoundValueOrAMissingKeyEndsTheList) {
    struct Field {
        const char* key;
        const char* value;
    };
    const Field fields[] = {{"Version", "3"}, {"Name", "Two"}, {"Bank", "B"}, {"Data", "2"}};
    for (const Field& field : fields) {
        for (bool literal : {true, false}) {
            std::string second = PresetSection(2, "3", "Two", "B", "2");
            const std::string line = std::string(field.key) + "=" + field.value + "\r\n";
            second.replace(second.find(line), line.size(),
                           literal ? std::string(field.key) + "=KEY_NOT_FOUND\r\n" : "");
            LoadBytes(PluginSection() + PresetSection(1, "3", "One", "B", "1") + second +
                      PresetSection(3, "3", "Three", "B", "3"));
            EXPECT_EQ((Names{"B/One"}), Order()) << field.key << (literal ? " literal" : " absent");
        }
    }
    // Only the exact text ends the list.
    LoadBytes(PluginSection() + PresetSection(1, "3", "key_not_found", "B", "1"));
    EXPECT_EQ(1, store_.Count());
}

TEST_F(PresetList, ValuesAreReadAsTheFileHoldsThem) {
    const std::string longName(200, 'n');
    const std::string longData(5000, '9');
    LoadBytes(PluginSection() + PresetSection(1, " 12abc", longName, "", longData) +
              PresetSection(2, "none", "Empty bank", "", "x") +
              PresetSection(3, "-1", "Banked", "Z", ""));
    ASSERT_EQ(3, store_.Count());
    const PresetRecord* banked = store_.At(0);
    EXPECT_STREQ("Banked", banked->name);
    EXPECT_EQ(-1, banked->version);
    EXPECT_STREQ("", banked->data);
    const PresetRecord* first = store_.FindById(3501);
    EXPECT_EQ(12, first->version);
    EXPECT_EQ(longName.substr(0, 127), first->name);
    EXPECT_STREQ("", first->bank);
    EXPECT_EQ(longData.substr(0, 4095), first->data);
    EXPECT_EQ(0, store_.FindById(3502)->version);
    EXPECT_STREQ("", store_.FindById(3502)->bank);
}

TEST_F(PresetList, TheIdentityDecidesWhatLoads) {
    // No identity: nothing, silently.
    LoadBytes("[Plug-in]\r\nPluginName=qv:Reverb\r\n" + PresetSection(1, "3", "One", "", "1"));
    EXPECT_EQ(0, store_.Count());
    EXPECT_EQ(PresetLoadResult::kNoIdentity, lastLoad_);
    LoadBytes(PresetSection(1, "3", "One", "", "1"));
    EXPECT_EQ(0, store_.Count());
    EXPECT_EQ(PresetLoadResult::kNoIdentity,
              store_.LoadFile(kFilterClassKeyPath, folder_.PathOf("absent.ini").c_str()));
    EXPECT_TRUE(messages_.Messages().empty());

    // Same identity in other letter case: loads.
    std::string lower = kFilterClassKeyPath;
    for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    LoadBytes(PluginSection(lower.c_str()) + PresetSection(1, "3", "One", "", "1"));
    EXPECT_EQ(1, store_.Count());
    EXPECT_EQ(PresetLoadResult::kLoaded, lastLoad_);

    // Another identity, even the alternative one: nothing, with a message without owner.
    for (const char* identity : {kForeignIdentity, kAlternativeClassKeyPath}) {
        const std::string path =
            LoadBytes(PluginSection(identity) + PresetSection(1, "3", "One", "", "1"));
        EXPECT_EQ(0, store_.Count());
        EXPECT_EQ(PresetLoadResult::kForeignIdentity, lastLoad_);
        ASSERT_FALSE(messages_.Messages().empty());
        const RecordedMessage& message = messages_.Messages().back();
        EXPECT_EQ(nullptr, message.owner);
        EXPECT_EQ("No presets could be loaded because the preset file\n\"" + path +
                      "\"\ndoes not contain preset data compatible with this plug-in.",
                  message.text);
        EXPECT_EQ("qv:Reverb Preset Manager", message.caption);
        EXPECT_EQ(static_cast<UINT>(MB_OK | MB_ICONERROR), message.type);
    }
    EXPECT_EQ(2u, messages_.Messages().size());
}

TEST_F(PresetList, WithoutAFilePathNothingIsReadOrWritten) {
    EXPECT_EQ(PresetLoadResult::kNoPath, store_.LoadFile(kFilterClassKeyPath, ""));
    EXPECT_STREQ("", store_.FilePath());
    EXPECT_EQ(0, store_.Count());
    store_.AddPreset("New", "", kDefaultDataLine);
    EXPECT_FALSE(store_.Save());
    EXPECT_FALSE(store_.SaveAll(kFilterClassKeyPath, nullptr));
    EXPECT_FALSE(store_.Export(kFilterClassKeyPath, "", PresetSelection::All()));
    EXPECT_FALSE(store_.Import(""));
    EXPECT_EQ(0, store_.ReadPresets("", false));
    EXPECT_TRUE(messages_.Messages().empty());

    // A path too long for the store is no path at all.
    const std::string tooLong = folder_.PathOf(std::string(300, 'p') + ".ini");
    EXPECT_EQ(PresetLoadResult::kNoPath, store_.LoadFile(kFilterClassKeyPath, tooLong.c_str()));
    EXPECT_STREQ("", store_.FilePath());
}

TEST_F(PresetList, ASaveIntoAMissingFolderFailsAndWritesNothing) {
    const std::string path = folder_.PathOf("missing/qvDavezoDU.ini");
    store_.LoadFile(kFilterClassKeyPath, path.c_str());
    EXPECT_STREQ(path.c_str(), store_.FilePath());
    store_.AddPreset("New", "", kDefaultDataLine);
    EXPECT_FALSE(store_.Save());
    EXPECT_FALSE(FileExists(path));
}

TEST_F(PresetList, IdsFollowTheLargestInTheList) {
    store_.AddPreset("a", "", "1");
    store_.AddPreset("b", "", "2");
    const std::uint32_t c = store_.AddPreset("c", "", "3");
    EXPECT_EQ(3503u, c);
    EXPECT_EQ(3503, store_.GetCurrentId());
    EXPECT_TRUE(store_.Modified());
    ASSERT_TRUE(store_.RemovePreset(3502));
    EXPECT_FALSE(store_.RemovePreset(3502));
    EXPECT_EQ(3504u, store_.AddPreset("d", "", "4"));
    ASSERT_TRUE(store_.RemovePreset(3504));
    EXPECT_EQ(3504u, store_.AddPreset("e", "", "5"));  // the largest is reused
}

TEST_F(PresetList, SavedPresetsComeBackWithEveryField) {
    const std::string path = folder_.NewPath();
    store_.LoadFile(kFilterClassKeyPath, path.c_str());
    store_.AddPreset("Vocal Plate", "Plates", kDefaultDataLine);
    store_.AddPreset("Odd  name = \"x\"", "", "1,2");
    store_.AddPreset("Old", "Legacy", "0,75,40,0,50,100,10,500,15,40,0,-35,-120,2,0,0,0,0");
    store_.FindByName("Old", "Legacy")->version = 1;
    store_.SortPresets();
    ASSERT_TRUE(store_.Save());

    CPresetList reloaded(nullptr, nullptr, kPresetPluginName);
    reloaded.LoadFile(kFilterClassKeyPath, path.c_str());
    ASSERT_EQ(3, reloaded.Count());
    for (int i = 0; i < 3; ++i) {
        const PresetRecord* a = store_.At(i);
        const PresetRecord* b = reloaded.At(i);
        EXPECT_EQ(a->version, b->version) << i;
        EXPECT_STREQ(a->name, b->name) << i;
        EXPECT_STREQ(a->bank, b->bank) << i;
        EXPECT_STREQ(a->data, b->data) << i;
        EXPECT_EQ(kPresetIdBase + 1 + i, b->id) << i;  // ids are the new file order
    }
    EXPECT_EQ("Plates", Profile(path, "Preset2", "Bank"));
    EXPECT_EQ("", Profile(path, "Preset3", "Bank"));
}

TEST_F(PresetList, ExportWritesTheListABankOrAPreset) {
    store_.AddPreset("Hall A", "Halls", "1");
    store_.AddPreset("Room", "Rooms", "2");
    store_.AddPreset("Hall B", "halls", "3");
    store_.AddPreset("Loose", "", "4");

    const std::string all = folder_.NewPath();
    ASSERT_TRUE(store_.Export(kFilterClassKeyPath, all.c_str(), PresetSelection::All()));
    EXPECT_EQ("1", Profile(all, "Plug-in", "DefaultPreset"));
    EXPECT_EQ("Loose", Profile(all, "Preset4", "Name"));

    // A bank goes over whatever the file held, without removing anything first.
    const std::string bank = folder_.NewFile(PresetSection(1, "3", "Stale1", "", "x") +
                                             PresetSection(2, "3", "Stale2", "", "x") +
                                             PresetSection(3, "3", "Stale3", "", "x"));
    ASSERT_TRUE(store_.Export(kFilterClassKeyPath, bank.c_str(), PresetSelection::Bank("HALLS")));
    EXPECT_EQ("<absent>", Profile(bank, "Plug-in", "DefaultPreset"));
    EXPECT_EQ("qv:Reverb", Profile(bank, "Plug-in", "PluginName"));
    EXPECT_EQ(kFilterClassKeyPath, Profile(bank, "Plug-in", "CLSID"));
    EXPECT_EQ("Hall A", Profile(bank, "Preset1", "Name"));
    EXPECT_EQ("Halls", Profile(bank, "Preset1", "Bank"));
    EXPECT_EQ("Hall B", Profile(bank, "Preset2", "Name"));
    EXPECT_EQ("halls", Profile(bank, "Preset2", "Bank"));
    EXPECT_EQ("Stale3", Profile(bank, "Preset3", "Name"));

    const std::string one = folder_.NewPath();
    ASSERT_TRUE(store_.Export(kFilterClassKeyPath, one.c_str(), PresetSelection::Preset(3502)));
    EXPECT_EQ("Room", Profile(one, "Preset1", "Name"));
    EXPECT_EQ("2", Profile(one, "Preset1", "Data"));
    EXPECT_EQ("3", Profile(one, "Preset1", "Version"));
    EXPECT_EQ("<absent>", Profile(one, "Preset2", "Name"));

    const std::string none = folder_.NewPath();
    EXPECT_FALSE(store_.Export(kFilterClassKeyPath, none.c_str(), PresetSelection::Preset(3600)));
    EXPECT_FALSE(FileExists(none));
}

TEST_F(PresetList, ImportChecksTheIdentity) {
    store_.SetManagerWindow(kManager);
    store_.LoadFile(kFilterClassKeyPath, folder_.NewPath().c_str());
    struct Case {
        std::string bytes;
        const char* message;
    };
    const Case failing[] = {
        {PresetSection(1, "3", "One", "", "1"),
         "The file you selected does not contain Brasswing Halvern:qv plug-in preset data."},
        {"[Plug-in]\r\nCLSID=\r\n" + PresetSection(1, "3", "One", "", "1"),
         "The file you selected does not contain Brasswing Halvern:qv plug-in preset data."},
        {PluginSection(kForeignIdentity) + PresetSection(1, "3", "One", "", "1"),
         "The preset file you are trying to import does not contain data for this plug-in."},
    };
    for (const Case& c : failing) {
        EXPECT_FALSE(store_.Import(folder_.NewFile(c.bytes).c_str()));
        ASSERT_FALSE(messages_.Messages().empty());
        EXPECT_EQ(c.message, messages_.Messages().back().text);
        EXPECT_EQ(kManager, messages_.Messages().back().owner);
        EXPECT_EQ(static_cast<UINT>(MB_OK | MB_ICONERROR), messages_.Messages().back().type);
    }
    EXPECT_EQ(0, store_.Count());
    EXPECT_FALSE(store_.Import(folder_.PathOf("absent.ini").c_str()));

    // Ours and the alternative identity import, appending behind what is there (unsorted).
    EXPECT_TRUE(store_.Import(
        folder_
            .NewFile(PluginSection(kAlternativeClassKeyPath) + PresetSection(1, "2", "Z", "", "1"))
            .c_str()));
    EXPECT_TRUE(store_.Import(folder_
                                  .NewFile(PluginSection() + PresetSection(1, "3", "A", "", "2") +
                                           PresetSection(2, "3", "B", "", "3"))
                                  .c_str()));
    EXPECT_EQ((Names{"/Z", "/A", "/B"}), Order());
    EXPECT_EQ(3503, store_.IdAt(2));

    // Without a class key path nothing can be checked: no import, no message.
    CPresetList bare(nullptr, nullptr, kPresetPluginName);
    MessageRecorder bareMessages(bare);
    EXPECT_FALSE(bare.Import(folder_.NewFile(PluginSection()).c_str()));
    EXPECT_TRUE(bareMessages.Messages().empty());
}

TEST_F(PresetList, ImportAsksOncePerDuplicate) {
    store_.SetManagerWindow(kManager);
    store_.LoadFile(kFilterClassKeyPath, folder_.NewPath().c_str());
    store_.AddPreset("Room", "Small", "1,2,3");
    store_.AddPreset("Hall", "", "4,5,6");
    const std::string file = folder_.NewFile(
        PluginSection() + PresetSection(1, "3", "ROOM", "small", "1,2,3") +
        PresetSection(2, "3", "hall", "", "4,5,6") + PresetSection(3, "3", "Hall", "", "4,5,7") +
        PresetSection(4, "3", "Hall", "Other", "4,5,6"));
    messages_.Answer(IDYES);
    messages_.Answer(IDNO);
    EXPECT_TRUE(store_.Import(file.c_str()));
    ASSERT_EQ(2u, messages_.Messages().size());
    EXPECT_EQ(
        "The preset \"ROOM\" you are importing already exists in the qv:Reverb preset list.\n"
        "Do you want to add it anyway?",
        messages_.Messages()[0].text);
    EXPECT_EQ(
        "The preset \"hall\" you are importing already exists in the qv:Reverb preset list.\n"
        "Do you want to add it anyway?",
        messages_.Messages()[1].text);
    EXPECT_EQ(kManager, messages_.Messages()[0].owner);
    EXPECT_EQ(static_cast<UINT>(MB_YESNO | MB_ICONQUESTION), messages_.Messages()[0].type);
    EXPECT_EQ((Names{"Small/Room", "/Hall", "small/ROOM", "/Hall", "Other/Hall"}), Order());
}

TEST_F(PresetList, BackupRestoresTheListAsItWas) {
    store_.AddPreset("a", "x", "1");
    store_.AddPreset("b", "", "2");
    ASSERT_TRUE(store_.BackUp());
    EXPECT_EQ(2u, store_.BackupList().Count());
    EXPECT_NE(store_.At(0), store_.BackupList().GetAt(0));
    while (store_.Count() > 0) store_.RemovePreset(static_cast<std::uint32_t>(store_.IdAt(0)));
    store_.AddPreset("c", "", "3");
    store_.RestoreBackup();
    EXPECT_EQ((Names{"x/a", "/b"}), Order());
    EXPECT_STREQ("2", store_.At(1)->data);
    EXPECT_EQ(3502u, store_.At(1)->id);
}

TEST_F(PresetList, SelectingAPresetMakesItCurrent) {
    store_.AddPreset("a", "", "1,2");
    store_.AddPreset("b", "", "3,4");
    store_.FindById(3501)->version = 1;
    int version = 0;
    EXPECT_STREQ("1,2", store_.SelectPreset(3501, &version));
    EXPECT_EQ(1, version);
    EXPECT_EQ(3501, store_.GetCurrentId());
    version = 7;
    EXPECT_EQ(nullptr, store_.SelectPreset(1503, &version));
    EXPECT_EQ(nullptr, store_.SelectPreset(3600, &version));
    EXPECT_EQ(7, version);
    EXPECT_EQ(3501, store_.GetCurrentId());

    ASSERT_TRUE(store_.UpdatePreset(3501, "9,9"));
    EXPECT_EQ(3, store_.FindById(3501)->version);
    EXPECT_STREQ("9,9", store_.FindById(3501)->data);
    EXPECT_FALSE(store_.UpdatePreset(3600, "9"));
}

TEST_F(PresetList, FindsPresetsByNameInABankOrAnywhere) {
    store_.AddPreset("Plate", "Vocals", "1");
    store_.AddPreset("plate", "Drums", "2");
    EXPECT_STREQ("1", store_.FindByName("PLATE", nullptr)->data);
    EXPECT_STREQ("2", store_.FindByName("Plate", "drums")->data);
    EXPECT_EQ(nullptr, store_.FindByName("Plate", ""));
    EXPECT_EQ(nullptr, store_.FindByName("Hall", nullptr));
}

TEST(PresetFileName, CharactersAFileNameCannotHoldBecomeUnderscores) {
    char name[] = "a/b:c";
    CPresetList::CleanFileName(name);
    EXPECT_STREQ("a_b_c", name);
    char all[] = "x *?<>:\\\"/|\t\r\ny.ini";
    CPresetList::CleanFileName(all);
    EXPECT_STREQ("x_____________y.ini", all);
}

}  // namespace
