// Native only: the preset library beside the running program, and how a profile write replaces
// a file.
#include <gtest/gtest.h>

#include "platform/PresetLocation.h"
#include "tests/presets/PresetTestSupport.h"

bool RunningUnderWine() {
    return false;
}

namespace {

TEST(PresetLocation, IsTheFolderOfTheRunningProgram) {
    const std::string expected =
        (std::filesystem::canonical("/proc/self/exe").parent_path() / kPresetFileName).string();
    std::string path(expected.size() + 1, '#');
    ASSERT_TRUE(ResolvePresetFilePath(nullptr, kPresetFileName, path.data(), path.size()));
    EXPECT_EQ(expected, path.c_str());
    EXPECT_FALSE(ResolvePresetFilePath(nullptr, kPresetFileName, path.data(), path.size() - 1));
    EXPECT_EQ('\0', path[0]);
}

TEST(NativeProfile, AWriteReplacesTheFileWholeKeepingItsModeAndUntouchedLines) {
    const std::string folder = ScratchPath("folder");
    const std::string path = folder + "/presets.ini";
    std::filesystem::create_directory(folder);
    std::ofstream(path) << "\xEF\xBB\xBF; comment\n[S]\na = 1\n\n[T]\nb=2\n";
    std::filesystem::permissions(path, std::filesystem::perms(0640));
    for (const char* value : {"1", "2", "  3  "}) {
        EXPECT_TRUE(WritePrivateProfileStringA("S", "c", value, path.c_str()));
    }
    EXPECT_EQ("\xEF\xBB\xBF; comment\r\n[S]\r\na = 1\r\nc=3\r\n\r\n[T]\r\nb=2\r\n",
              ReadBytes(path));
    EXPECT_EQ(std::filesystem::perms(0640), std::filesystem::status(path).permissions());
    EXPECT_EQ(1, std::distance(std::filesystem::directory_iterator(folder), {}));  // no temporary
}

}  // namespace
