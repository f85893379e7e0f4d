// The native stand-ins beyond what the INI equivalence cases cover: the preset library beside
// the running program, message boxes without a user, and how a profile write replaces a file.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include "platform/PresetLocation.h"
#include "tests/presets/PresetTestSupport.h"

std::string BesideTestProgram(const char* name) {
    return (std::filesystem::canonical("/proc/self/exe").parent_path() / name).string();
}

bool RunningUnderWine() {
    return false;
}

namespace {

TEST(PresetLocation, IsTheFolderOfTheRunningProgram) {
    const std::string expected = BesideTestProgram(kPresetFileName);
    std::string path(expected.size() + 1, '#');
    ASSERT_TRUE(ResolvePresetFilePath(nullptr, kPresetFileName, path.data(), path.size()));
    EXPECT_EQ(expected, path.c_str());
    EXPECT_FALSE(ResolvePresetFilePath(nullptr, kPresetFileName, path.data(), path.size() - 1));
    EXPECT_EQ('\0', path[0]);

    CPresetList store(nullptr, nullptr, kPresetPluginName);
    EXPECT_EQ(PresetLoadResult::kLoaded, store.Load(kFilterClassKeyPath, kPresetFileName));
    EXPECT_EQ(expected, store.FilePath());
    EXPECT_EQ(PresetLoadResult::kNoIdentity, store.Load(kFilterClassKeyPath, "no-such.ini"));
    EXPECT_EQ(0, store.Count());
}

TEST(NativeMessageBox, AnswersWhatChangesNothing) {
    testing::internal::CaptureStderr();
    EXPECT_EQ(IDOK, MessageBoxA(nullptr, "Text", "Caption", MB_OK | MB_ICONERROR));
    EXPECT_EQ(IDNO, MessageBoxA(nullptr, "Sure?", "Caption", MB_YESNO | MB_ICONQUESTION));
    EXPECT_EQ(IDCANCEL, MessageBoxA(nullptr, "Save?", "Caption", MB_YESNOCANCEL));
    EXPECT_EQ(IDCANCEL, MessageBoxA(nullptr, "Go?", "Caption", MB_OKCANCEL));
    EXPECT_EQ("Caption: Text\nCaption: Sure?\nCaption: Save?\nCaption: Go?\n",
              testing::internal::GetCapturedStderr());
}

TEST(NativeProfile, AWriteReplacesTheFileWholeKeepingItsModeAndUntouchedLines) {
    const std::string folder = ScratchPath("folder");
    const std::string path = folder + "/presets.ini";
    std::filesystem::create_directory(folder);
    std::ofstream(path) << "\xEF\xBB\xBF; comment\n[S]\na = 1\n\n[T]\nb=2\n";
    ASSERT_EQ(0, ::chmod(path.c_str(), 0640));
    for (const char* value : {"1", "2", "  3  "}) {
        EXPECT_TRUE(WritePrivateProfileStringA("S", "c", value, path.c_str()));
    }
    EXPECT_EQ("\xEF\xBB\xBF; comment\r\n[S]\r\na = 1\r\nc=3\r\n\r\n[T]\r\nb=2\r\n",
              ReadBytes(path));
    struct stat status {};
    ASSERT_EQ(0, ::stat(path.c_str(), &status));
    EXPECT_EQ(0640u, status.st_mode & 07777u);
    auto files = std::filesystem::directory_iterator(folder);
    EXPECT_EQ(1, std::distance(begin(files), end(files)));  // no temporary file left

    // A folder where a file should be is neither read nor replaced.
    EXPECT_FALSE(WritePrivateProfileStringA("S", "k", "v", folder.c_str()));
    EXPECT_EQ("d", Profile(folder, "S", "k", 16, "d"));
    EXPECT_TRUE(std::filesystem::is_directory(folder));
}

}  // namespace
