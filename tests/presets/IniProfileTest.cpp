// The INI profile functions as the preset store relies on them: the same cases run natively
// against ours and under Wine against the platform's, the proof that both treat files alike.
#include <gtest/gtest.h>

#include <string>
#include <tuple>

#include "tests/presets/PresetTestSupport.h"

namespace {

TEST(IniProfile, ReadsTheFirstKeyOfTheFirstSectionOfThatName) {
    const std::string path = ScratchFile(
        "top=before\r\n[Sec]\r\nKey=Value\r\n  spaced key  =   spaced value   \r\ntab=\tx\t\r\n"
        "eq=a=b\r\nempty=\r\ndq=\"  in quotes  \"\r\nsq='single'\r\nhalf=\"abc\r\none=\"\r\n"
        "two=\"\"\r\nmixed='x\"\r\ninner=\"a\"b\"\r\nafter=\"abc\"   \r\ndup=first\r\n"
        "dup=second\r\nbare\r\nbare=later\r\n  [ Spaced Sec ]  \r\nk=v\r\n[sec]\r\nonlyHere=1\r\n"
        "[Trail] junk\r\nt=1\r\n[U]x]\r\nu=2\r\n[NoClose\r\nn=3\r\n");
    // A line without "=" is a key without a value, and "[NoClose" opens no section.
    // clang-format off
    const char* const cases[][3] = {
        {"Sec", "Key", "Value"}, {"sEC", "kEY", "Value"}, {" Sec ", " Key ", "Value"},
        {"Sec", "spaced key", "spaced value"}, {"sec", "TAB", "x"}, {"spaced sec", "k", "v"},
        {"Sec", "eq", "a=b"}, {"Sec", "empty", ""}, {"Sec", "dq", "  in quotes  "},
        {"Sec", "sq", "single"}, {"Sec", "half", "\"abc"}, {"Sec", "one", "\""},
        {"Sec", "two", ""}, {"Sec", "mixed", "'x\""}, {"Sec", "inner", "a\"b"},
        {"Sec", "after", "abc"}, {"Sec", "dup", "first"}, {"Sec", "bare", "<absent>"},
        {"Sec", "onlyHere", "<absent>"}, {"", "top", "before"}, {"Trail", "t", "1"},
        {"U]x", "u", "2"}, {"U", "u", "<absent>"}, {"U]x", "n", "3"}, {"NoClose", "n", "<absent>"}};
    // clang-format on
    for (const auto& c : cases) EXPECT_EQ(c[2], Profile(path, c[0], c[1])) << c[0] << "/" << c[1];

    EXPECT_EQ("lf", Profile(ScratchFile("[S]\nk=lf\n[T]\nm=2\n"), "S", "k"));
    EXPECT_EQ("2", Profile(ScratchFile("[S]\rk=cr\r[T]\rm=2\r"), "T", "m"));
    EXPECT_EQ("last", Profile(ScratchFile("[S]\r\nk=last"), "S", "k"));
    EXPECT_EQ("bom", Profile(ScratchFile("\xEF\xBB\xBF[S]\r\nk=bom\r\n"), "S", "k"));
}

TEST(IniProfile, ValueOrDefaultIsCutToTheBuffer) {
    const std::string path = ScratchFile("[S]\r\nKey=Value\r\nData=" + std::string(5000, '7'));
    // The key, the buffer's size, the default, and what is read.
    // clang-format off
    const std::tuple<const char*, DWORD, const char*, std::string> cases[] = {
        {"Key", 100, "d", "Value"}, {"Key", 6, "d", "Value"}, {"Key", 5, "d", "Valu"},
        {"Key", 1, "d", ""}, {"Data", 4096, "d", std::string(4095, '7')},
        {"Other", 16, "KEY_NOT_FOUND", "KEY_NOT_FOUND"}, {"Other", 4, "KEY_NOT_FOUND", "KEY"},
        {"Other", 16, "def  ", "def"}, {"Other", 16, "  def", "  def"},
        {"Other", 16, "d\t", "d\t"}, {"Other", 16, "\"q\"", "q"}, {"Other", 16, nullptr, ""}};
    // clang-format on
    for (const auto& [key, size, defaultValue, value] : cases) {
        std::string buffer(size + 8, '#');
        const DWORD length =
            GetPrivateProfileStringA("S", key, defaultValue, buffer.data(), size, path.c_str());
        EXPECT_EQ(value, buffer.c_str()) << key << " " << size;
        EXPECT_EQ(value.size(), length) << key << " " << size;
        EXPECT_EQ('#', buffer[length + 1]) << key << " " << size;
    }
    char untouched[2] = {'#', '#'};
    EXPECT_EQ(0u, GetPrivateProfileStringA("S", "Key", "d", untouched, 0, path.c_str()));
    EXPECT_EQ('#', untouched[0]);
    EXPECT_EQ("KEY_NOT_FOUND", Profile(path, "T", "Key", 16, "KEY_NOT_FOUND"));
}

TEST(IniProfile, WritingCreatesTheFileAndUpdatesKeysInPlace) {
    const std::string path = ScratchPath();
    const char* const writes[][3] = {{"Plug-in", "CLSID", "abc"}, {"Plug-in", "Name", "  lead"},
                                     {"Preset1", "Bank", ""},     {"Preset1", "Data", "1,2,3"},
                                     {"plug-in", "clsid", "XYZ"}, {"Preset1", "Name", "x=y"}};
    for (const auto& w : writes)
        EXPECT_TRUE(WritePrivateProfileStringA(w[0], w[1], w[2], path.c_str()));
    EXPECT_EQ(
        "[Plug-in]\r\nCLSID=XYZ\r\nName=lead\r\n[Preset1]\r\nBank=\r\nData=1,2,3\r\n"
        "Name=x=y\r\n",
        ReadBytes(path));
}

TEST(IniProfile, NoKeyRemovesTheWholeSectionAndNoValueTheKey) {
    const std::string removing = ScratchFile(
        "[Plug-in]\r\nCLSID=x\r\n[Preset1]\r\nVersion=3\r\nName=a\r\n[Preset2]\r\nVersion=3\r\n"
        "Name=b\r\n");
    EXPECT_TRUE(WritePrivateProfileStringA("preset1", nullptr, nullptr, removing.c_str()));
    EXPECT_TRUE(WritePrivateProfileStringA("Preset2", "Version", nullptr, removing.c_str()));
    EXPECT_TRUE(WritePrivateProfileStringA("Missing", nullptr, nullptr, removing.c_str()));
    EXPECT_TRUE(WritePrivateProfileStringA("Preset2", "Missing", nullptr, removing.c_str()));
    EXPECT_EQ("[Plug-in]\r\nCLSID=x\r\n[Preset2]\r\nName=b\r\n", ReadBytes(removing));

    // In a file that does not exist, Windows leaves an empty file behind; Wine, a known
    // deviation, writes none.
    const std::string never = ScratchPath(), neither = ScratchPath();
    EXPECT_TRUE(WritePrivateProfileStringA("Any", nullptr, nullptr, never.c_str()));
    EXPECT_TRUE(WritePrivateProfileStringA("Any", "Key", nullptr, neither.c_str()));
    if (!RunningUnderWine()) {
        EXPECT_TRUE(FileExists(never) && FileExists(neither));
        EXPECT_EQ("", ReadBytes(never) + ReadBytes(neither));
    }
}

}  // namespace
