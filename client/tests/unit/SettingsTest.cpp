// The settings store against the real private-profile functions, in a scratch folder.
#include <climits>
#include <string>

#include "app/Settings.h"
#include "doubles/Recorder.h"
#include "support/InFolder.h"
#include "support/MessageBoxes.h"

namespace {

class SettingsTest : public InScratchFolder {
protected:
    CSettings settings{"KVX"};
    std::string Ini() const { return folder.Read("KVX.ini"); }
};

TEST_F(SettingsTest, PathIsTheStoreNameInTheCurrentFolder)
{
    EXPECT_TRUE(settings.IsUsable());
    EXPECT_EQ(folder.Path() + "\\KVX.ini", settings.Path());
}

TEST_F(SettingsTest, MissingFileSectionKeyAndNoneAllReadAsNoValue)
{
    char buffer[32];
    EXPECT_FALSE(settings.ReadString("Window", "x", buffer, sizeof buffer));
    EXPECT_EQ(-1, settings.ReadInt("Window", "x"));
    EXPECT_FALSE(folder.Exists("KVX.ini")) << "reading must not create the file";

    folder.Write("KVX.ini", "[Window]\r\na=none\r\nb=None\r\nc=NONE\r\nd=nonetheless\r\n");
    for (const char* key : {"a", "b", "c", "missing"}) {
        EXPECT_FALSE(settings.ReadString("Window", key, buffer, sizeof buffer)) << key;
        EXPECT_EQ(-1, settings.ReadInt("Window", key)) << key;
    }
    EXPECT_EQ(-1, settings.ReadInt("Other", "a"));
    ASSERT_TRUE(settings.ReadString("window", "D", buffer, sizeof buffer)) << "names match in any case";
    EXPECT_STREQ("nonetheless", buffer);

    ASSERT_TRUE(settings.WriteString("Window", "d", "NONE"));
    EXPECT_FALSE(settings.ReadString("Window", "d", buffer, sizeof buffer));
}

TEST_F(SettingsTest, IntegersAreWrittenInDecimalAndReadLikeAtol)
{
    ASSERT_TRUE(settings.WriteInt("Window", "min", LONG_MIN));
    ASSERT_TRUE(settings.WriteInt("Window", "minus", -1));
    ASSERT_TRUE(settings.WriteInt("Window", "max", LONG_MAX));
    EXPECT_NE(std::string::npos, Ini().find("min=-2147483648"));
    EXPECT_EQ(LONG_MIN, settings.ReadInt("Window", "min"));
    EXPECT_EQ(LONG_MAX, settings.ReadInt("Window", "max"));
    EXPECT_EQ(-1, settings.ReadInt("Window", "minus")) << "indistinguishable from missing, by design";

    folder.Write("KVX.ini", "[V]\r\nabc=abc\r\nmixed=12abc\r\nblank=  -7\r\nplus=+42\r\n");
    EXPECT_EQ(0, settings.ReadInt("V", "abc"));
    EXPECT_EQ(12, settings.ReadInt("V", "mixed"));
    EXPECT_EQ(-7, settings.ReadInt("V", "blank"));
    EXPECT_EQ(42, settings.ReadInt("V", "plus"));
}

TEST_F(SettingsTest, EmptyValueIsReportedOnEveryReadAndReadsAsMissing)
{
    folder.Write("KVX.ini", "[User]\r\nPW=\r\n");
    BoxAnswerer answerer;
    char buffer[16] = "unchanged";
    EXPECT_FALSE(settings.ReadString("User", "PW", buffer, sizeof buffer));
    EXPECT_EQ(-1, settings.ReadInt("User", "PW"));

    const auto seen = answerer.Seen();
    ASSERT_EQ(2u, seen.size());
    for (const SeenBox& box : seen) {
        EXPECT_EQ("KVX Error", box.caption);
        const std::string expected = "Cannot read setting from INI file. (" + folder.Path() + "\\KVX.ini)\n\n";
        EXPECT_EQ(expected, box.text.substr(0, expected.size()));
        EXPECT_EQ(std::vector<int>{IDOK}, box.buttons);
    }
}

TEST_F(SettingsTest, LongValuesAreCutToTheCallersBuffer)
{
    const std::string value(300, 'v');
    ASSERT_TRUE(settings.WriteString("Server", "1", value.c_str()));
    char small[10];
    ASSERT_TRUE(settings.ReadString("Server", "1", small, sizeof small));
    EXPECT_EQ(std::string(9, 'v'), small);

    folder.Write("KVX.ini", "[V]\r\nn=123456789012345678901234567890\r\n");
    EXPECT_EQ(LONG_MAX, settings.ReadInt("V", "n")) << "overlong numbers saturate";
}

TEST_F(SettingsTest, AFolderTooLongForThePathLimitIsRefused)
{
    // A current folder of 257 characters is legal, but "\KVX.ini" no longer fits the
    // 259-character path. The wide functions with the \\?\ prefix can make such folders.
    std::string deep = folder.Path();
    size_t remaining = 257 - deep.size();
    while (remaining > 0) {
        const size_t piece = remaining > 42 ? 40 : remaining - 1;
        deep += "\\" + std::string(piece, 'd');
        remaining -= piece + 1;
        const std::wstring wide = L"\\\\?\\" + std::wstring(deep.begin(), deep.end());
        ASSERT_TRUE(CreateDirectoryW(wide.c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS) << deep;
    }
    ASSERT_EQ(257u, deep.size());
    if (!SetCurrentDirectoryA(deep.c_str())) GTEST_SKIP() << "this system refuses such a current folder itself";
    CSettings tooLong("KVX");
    SetCurrentDirectoryA(folder.Path().c_str());
    EXPECT_FALSE(tooLong.IsUsable());
    EXPECT_STREQ("", tooLong.Path());
}

TEST_F(SettingsTest, TheRootOfADriveGetsNoDoubleBackslash)
{
    char before[MAX_PATH];
    GetCurrentDirectoryA(sizeof before, before);
    ASSERT_TRUE(SetCurrentDirectoryA("C:\\"));
    CSettings atRoot("KVX");
    SetCurrentDirectoryA(before);
    EXPECT_STREQ("C:\\KVX.ini", atRoot.Path());
}

} // namespace
