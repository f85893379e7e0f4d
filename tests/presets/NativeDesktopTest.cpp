// The native stand-ins beyond what the INI equivalence cases cover: the preset library beside
// the running program, message boxes without a user, and how a profile write replaces a file.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <string>

#include "platform/PresetLocation.h"
#include "presets/PresetList.h"
#include "tests/presets/PresetTestSupport.h"

namespace {

TEST(PresetLocation, IsTheFolderOfTheRunningProgram) {
    char path[kPresetPathSize];
    ASSERT_TRUE(ResolvePresetFilePath(kFilterClassKeyPath, kPresetFileName, path, sizeof path));
    const std::filesystem::path program = std::filesystem::canonical("/proc/self/exe");
    EXPECT_EQ((program.parent_path() / kPresetFileName).string(), path);

    char small[4] = {'#', '#', '#', '#'};
    EXPECT_FALSE(ResolvePresetFilePath(kFilterClassKeyPath, kPresetFileName, small, sizeof small));
    EXPECT_EQ('\0', small[0]);
    EXPECT_FALSE(ResolvePresetFilePath(kFilterClassKeyPath, nullptr, path, sizeof path));
}

TEST(PresetLocation, LoadFindsTheFactoryBankBesideTheProgram) {
    CPresetList store(nullptr, nullptr, kPresetPluginName);
    EXPECT_EQ(PresetLoadResult::kLoaded, store.Load(kFilterClassKeyPath, kPresetFileName));
    EXPECT_GE(store.Count(), 24);
    EXPECT_STREQ(kFilterClassKeyPath, store.ClassKeyPath());

    CPresetList missing(nullptr, nullptr, kPresetPluginName);
    EXPECT_EQ(PresetLoadResult::kNoIdentity,
              missing.Load(kFilterClassKeyPath, "no-such-presets.ini"));
    EXPECT_EQ(0, missing.Count());
}

TEST(NativeMessageBox, AnswersWhatChangesNothing) {
    testing::internal::CaptureStderr();
    EXPECT_EQ(IDOK, MessageBoxA(nullptr, "Text", "Caption", MB_OK | MB_ICONERROR));
    EXPECT_EQ(IDNO, MessageBoxA(nullptr, "Sure?", "Caption", MB_YESNO | MB_ICONQUESTION));
    EXPECT_EQ(IDCANCEL, MessageBoxA(nullptr, "Save?", "Caption", MB_YESNOCANCEL));
    EXPECT_EQ(IDCANCEL, MessageBoxA(nullptr, "Go?", "Caption", MB_OKCANCEL));
    EXPECT_EQ("Caption: Text\nCaption: Sure?\nCaption: Save?\nCaption: Go?\n",
              testing::internal::GetCapturedStderr());

    // Without a handler of its own the store asks the platform: a duplicate is not added.
    ScratchFolder folder;
    CPresetList store(nullptr, nullptr, kPresetPluginName);
    store.LoadFile(kFilterClassKeyPath, folder.NewPath().c_str());
    store.AddPreset("Room", "", "1");
    testing::internal::CaptureStderr();
    EXPECT_TRUE(store.Import(
        folder.NewFile(PluginSection() + PresetSection(1, "3", "Room", "", "1")).c_str()));
    EXPECT_NE(std::string::npos,
              testing::internal::GetCapturedStderr().find("qv:Reverb Preset Manager: The preset"));
    EXPECT_EQ(1, store.Count());
}

TEST(NativeProfile, AWriteReplacesTheFileWholeAndKeepsItsMode) {
    ScratchFolder folder;
    const std::string path = folder.NewFile("[S]\nold=1\n");
    ASSERT_EQ(0, ::chmod(path.c_str(), 0640));
    for (int i = 0; i < 5; ++i) {
        ASSERT_TRUE(WritePrivateProfileStringA("S", "k", std::to_string(i).c_str(), path.c_str()));
    }
    EXPECT_EQ("[S]\r\nold=1\r\nk=4\r\n", ReadBytes(path));
    struct stat status {};
    ASSERT_EQ(0, ::stat(path.c_str(), &status));
    EXPECT_EQ(0640u, status.st_mode & 07777u);
    // No temporary file is left behind.
    int files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(folder.Folder())) {
        (void)entry;
        ++files;
    }
    EXPECT_EQ(1, files);

    // A folder where a file should be is neither read nor replaced.
    const std::string directory = folder.PathOf("sub.ini");
    std::filesystem::create_directory(directory);
    EXPECT_FALSE(WritePrivateProfileStringA("S", "k", "v", directory.c_str()));
    EXPECT_EQ("d", Profile(directory, "S", "k", 16, "d"));
    EXPECT_TRUE(std::filesystem::is_directory(directory));
}

TEST(NativeProfile, KeepsTheByteOrderMarkAndTheLinesItDoesNotChange) {
    ScratchFolder folder;
    const std::string path = folder.NewFile("\xEF\xBB\xBF; comment\n[S]\na = 1\n\n[T]\nb=2\n");
    ASSERT_TRUE(WritePrivateProfileStringA("S", "c", "3", path.c_str()));
    EXPECT_EQ("\xEF\xBB\xBF; comment\r\n[S]\r\na = 1\r\nc=3\r\n\r\n[T]\r\nb=2\r\n",
              ReadBytes(path));
}

}  // namespace
