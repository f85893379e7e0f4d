// The INI profile functions as the preset store relies on them. The same cases run natively
// against our implementation and, cross-built, under Wine against the platform's own
// functions: they are the proof that both read and write preset files alike.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "tests/presets/PresetTestSupport.h"

namespace {

class IniProfile : public ::testing::Test {
protected:
    ScratchFolder folder_;
};

TEST_F(IniProfile, NamesAreTrimmedAndCaseInsensitive) {
    const std::string path = folder_.NewFile(
        "[Sec]\r\nKey=Value\r\n  spaced key  =   spaced value   \r\ntab=\tx\t\r\n"
        "  [ Spaced Sec ]  \r\nk=v\r\n");
    EXPECT_EQ("Value", Profile(path, "Sec", "Key"));
    EXPECT_EQ("Value", Profile(path, "sEC", "kEY"));
    EXPECT_EQ("Value", Profile(path, " Sec ", " Key "));
    EXPECT_EQ("spaced value", Profile(path, "Sec", "spaced key"));
    EXPECT_EQ("x", Profile(path, "sec", "TAB"));
    EXPECT_EQ("v", Profile(path, "spaced sec", "k"));
}

TEST_F(IniProfile, ValueIsTheRestOfTheLineWithoutOneOuterPairOfQuotes) {
    const std::string path = folder_.NewFile(
        "[S]\r\neq=a=b\r\nempty=\r\ndq=\"  in quotes  \"\r\nsq='single'\r\nhalf=\"abc\r\n"
        "one=\"\r\ntwo=\"\"\r\nmixed='x\"\r\ninner=\"a\"b\"\r\nafter=\"abc\"   \r\n");
    EXPECT_EQ("a=b", Profile(path, "S", "eq"));
    EXPECT_EQ("", Profile(path, "S", "empty"));  // present: not the default
    EXPECT_EQ("  in quotes  ", Profile(path, "S", "dq"));
    EXPECT_EQ("single", Profile(path, "S", "sq"));
    EXPECT_EQ("\"abc", Profile(path, "S", "half"));
    EXPECT_EQ("\"", Profile(path, "S", "one"));
    EXPECT_EQ("", Profile(path, "S", "two"));
    EXPECT_EQ("'x\"", Profile(path, "S", "mixed"));
    EXPECT_EQ("a\"b", Profile(path, "S", "inner"));
    EXPECT_EQ("abc", Profile(path, "S", "after"));
}

TEST_F(IniProfile, FirstSectionAndFirstKeyWin) {
    const std::string path = folder_.NewFile(
        "[S]\r\ndup=first\r\ndup=second\r\nbare\r\nbare=later\r\n"
        "[s]\r\ndup=third\r\nonlyHere=1\r\n");
    EXPECT_EQ("first", Profile(path, "S", "dup"));
    // A line without "=" is a key without a value: it hides a later value of that key.
    EXPECT_EQ("<absent>", Profile(path, "S", "bare"));
    // The second section of the same name is never looked at.
    EXPECT_EQ("<absent>", Profile(path, "S", "onlyHere"));
}

TEST_F(IniProfile, SectionHeaderRunsToTheLastBracket) {
    const std::string path =
        folder_.NewFile("top=before\r\n[Trail] junk\r\nt=1\r\n[U]x]\r\nu=2\r\n[NoClose\r\nn=3\r\n");
    EXPECT_EQ("before", Profile(path, "", "top"));
    EXPECT_EQ("1", Profile(path, "Trail", "t"));
    EXPECT_EQ("2", Profile(path, "U]x", "u"));
    EXPECT_EQ("<absent>", Profile(path, "U", "u"));
    // "[NoClose" opens no section: n still belongs to "U]x".
    EXPECT_EQ("3", Profile(path, "U]x", "n"));
    EXPECT_EQ("<absent>", Profile(path, "NoClose", "n"));
}

TEST_F(IniProfile, AnyLineEndAndAByteOrderMark) {
    EXPECT_EQ("lf", Profile(folder_.NewFile("[S]\nk=lf\n[T]\nm=2\n"), "S", "k"));
    EXPECT_EQ("2", Profile(folder_.NewFile("[S]\rk=cr\r[T]\rm=2\r"), "T", "m"));
    EXPECT_EQ("last", Profile(folder_.NewFile("[S]\r\nk=last"), "S", "k"));
    EXPECT_EQ("bom", Profile(folder_.NewFile("\xEF\xBB\xBF[S]\r\nk=bom\r\n"), "S", "k"));
}

TEST_F(IniProfile, ResultIsCutToTheBufferAndCountsCharacters) {
    const std::string path = folder_.NewFile("[S]\r\nKey=Value\r\n");
    struct Case {
        DWORD size;
        DWORD length;
        const char* text;
    };
    for (const Case& c : {Case{100, 5, "Value"}, Case{6, 5, "Value"}, Case{5, 4, "Valu"},
                          Case{3, 2, "Va"}, Case{1, 0, ""}}) {
        char buffer[16];
        std::memset(buffer, '#', sizeof buffer);
        EXPECT_EQ(c.length, GetPrivateProfileStringA("S", "Key", "d", buffer, c.size, path.c_str()))
            << c.size;
        EXPECT_STREQ(c.text, buffer) << c.size;
        EXPECT_EQ('#', buffer[c.length + 1]) << c.size;
    }
    char untouched[4] = {'#', '#', '#', '#'};
    EXPECT_EQ(0u, GetPrivateProfileStringA("S", "Key", "d", untouched, 0, path.c_str()));
    EXPECT_EQ('#', untouched[0]);

    // A data line longer than the store's 4096-byte buffer keeps its first 4095 characters.
    const std::string longValue(5000, '7');
    const std::string longPath = folder_.NewFile("[S]\r\nData=" + longValue + "\r\n");
    EXPECT_EQ(longValue.substr(0, 4095), Profile(longPath, "S", "Data", 4096));
}

TEST_F(IniProfile, AbsentValuesGiveTheDefaultWithoutTrailingSpaces) {
    const std::string path = folder_.NewFile("[S]\r\nKey=Value\r\n");
    EXPECT_EQ("KEY_NOT_FOUND", Profile(path, "S", "Other", 16, "KEY_NOT_FOUND"));
    EXPECT_EQ("KEY_NOT_FOUND", Profile(path, "T", "Key", 16, "KEY_NOT_FOUND"));
    EXPECT_EQ("KEY_NOT_FOUND",
              Profile(folder_.PathOf("none.ini"), "S", "Key", 16, "KEY_NOT_FOUND"));
    EXPECT_EQ("def", Profile(path, "S", "Other", 16, "def  "));
    EXPECT_EQ("  def", Profile(path, "S", "Other", 16, "  def"));
    EXPECT_EQ("d\t", Profile(path, "S", "Other", 16, "d\t"));
    EXPECT_EQ("q", Profile(path, "S", "Other", 16, "\"q\""));
    EXPECT_EQ("KEY", Profile(path, "S", "Other", 4, "KEY_NOT_FOUND"));
    EXPECT_EQ("", Profile(path, "S", "Other", 16, nullptr));
    EXPECT_FALSE(FileExists(folder_.PathOf("none.ini")));  // reading creates nothing
}

TEST_F(IniProfile, WritingCreatesTheFileAndUpdatesInPlace) {
    const std::string path = folder_.NewPath();
    ASSERT_TRUE(WritePrivateProfileStringA("Plug-in", "CLSID", "abc", path.c_str()));
    EXPECT_TRUE(FileExists(path));
    ASSERT_TRUE(WritePrivateProfileStringA("Plug-in", "Name", "  lead and trail  ", path.c_str()));
    ASSERT_TRUE(WritePrivateProfileStringA("Preset1", "Bank", "", path.c_str()));
    ASSERT_TRUE(WritePrivateProfileStringA("Preset1", "Data", "1,2,3", path.c_str()));
    ASSERT_TRUE(WritePrivateProfileStringA("plug-in", "clsid", "XYZ", path.c_str()));
    ASSERT_TRUE(WritePrivateProfileStringA("Preset1", "Name", "x=y", path.c_str()));

    EXPECT_EQ("XYZ", Profile(path, "Plug-in", "CLSID"));
    EXPECT_EQ("lead and trail", Profile(path, "Plug-in", "Name"));
    EXPECT_EQ("", Profile(path, "Preset1", "Bank"));  // written even when empty
    EXPECT_EQ("1,2,3", Profile(path, "Preset1", "Data"));
    EXPECT_EQ("x=y", Profile(path, "Preset1", "Name"));
    // One line per key: the update replaced the value instead of adding a key.
    const std::string bytes = ReadBytes(path);
    EXPECT_EQ(std::string::npos, bytes.find("abc"));
    EXPECT_NE(std::string::npos, bytes.find("XYZ"));
}

TEST_F(IniProfile, AKeyJoinsTheFirstSectionOfItsName) {
    const std::string path = folder_.NewFile("[S]\r\na=1\r\n\r\n[T]\r\nb=2\r\n[S]\r\nc=old\r\n");
    ASSERT_TRUE(WritePrivateProfileStringA("s", "c", "new", path.c_str()));
    EXPECT_EQ("new", Profile(path, "S", "c"));
    EXPECT_EQ("1", Profile(path, "S", "a"));
    EXPECT_EQ("2", Profile(path, "T", "b"));
}

TEST_F(IniProfile, NoKeyRemovesTheWholeSectionAndNoValueTheKey) {
    const std::string path = folder_.NewFile(
        "[Plug-in]\r\nCLSID=x\r\n[Preset1]\r\nVersion=3\r\nName=a\r\n[Preset2]\r\nVersion=3\r\n"
        "Name=b\r\n");
    ASSERT_TRUE(WritePrivateProfileStringA("preset1", nullptr, nullptr, path.c_str()));
    EXPECT_EQ("<absent>", Profile(path, "Preset1", "Version"));
    EXPECT_EQ("<absent>", Profile(path, "Preset1", "Name"));
    EXPECT_EQ("b", Profile(path, "Preset2", "Name"));
    EXPECT_EQ("x", Profile(path, "Plug-in", "CLSID"));

    ASSERT_TRUE(WritePrivateProfileStringA("Preset2", "Version", nullptr, path.c_str()));
    EXPECT_EQ("<absent>", Profile(path, "Preset2", "Version"));
    EXPECT_EQ("b", Profile(path, "Preset2", "Name"));

    // Removing what is not there succeeds. In a file that does not exist, Windows leaves an
    // empty file behind; Wine, a known deviation, writes none.
    EXPECT_TRUE(WritePrivateProfileStringA("Missing", nullptr, nullptr, path.c_str()));
    EXPECT_TRUE(WritePrivateProfileStringA("Preset2", "Missing", nullptr, path.c_str()));
    const std::string never = folder_.PathOf("never.ini");
    const std::string neither = folder_.PathOf("neither.ini");
    EXPECT_TRUE(WritePrivateProfileStringA("Any", nullptr, nullptr, never.c_str()));
    EXPECT_TRUE(WritePrivateProfileStringA("Any", "Key", nullptr, neither.c_str()));
    if (!RunningUnderWine()) {
        EXPECT_EQ("", ReadBytes(never));
        EXPECT_EQ("", ReadBytes(neither));
        EXPECT_TRUE(FileExists(never) && FileExists(neither));
    }
}

TEST_F(IniProfile, WritesThatCannotSucceedFail) {
    const std::string inMissingFolder = folder_.PathOf("missing/sub/x.ini");
    EXPECT_FALSE(WritePrivateProfileStringA("S", "k", "v", inMissingFolder.c_str()));
    EXPECT_FALSE(FileExists(inMissingFolder));
    const std::string path = folder_.NewPath();
    EXPECT_FALSE(WritePrivateProfileStringA(nullptr, "k", "v", path.c_str()));
    EXPECT_FALSE(FileExists(path));
}

}  // namespace
