// The settings store and the data-file wrapper against the real private-profile and file
// functions, in a scratch folder.
#include <climits>
#include <string>

#include "app/File.h"
#include "app/Settings.h"
#include "support/InFolder.h"
#include "support/MessageBoxes.h"

namespace {

class SettingsTest : public InScratchFolder {
protected:
    CSettings settings{"KVX"};
};

TEST_F(SettingsTest, ValuesReadAsTheTableSays)
{
    char buffer[10];
    EXPECT_EQ(-1, settings.ReadInt("Window", "x")) << "no file";
    EXPECT_FALSE(folder.Exists("KVX.ini")) << "reading makes no file";
    folder.Write("KVX.ini", "[V]\r\na=none\r\nb=None\r\nc=NONE\r\nd=nonex\r\ne=xNONE\r\nf=abc\r\ng=12abc\r\n"
                            "h=  -7\r\ni=+42\r\nj=-1\r\nk=123456789012345678901234567890\r\nl=0123456789\r\nm=\r\n");
    const struct {
        const char* key;
        bool read;
        LONG number;
    } rows[] = {
        {"a", false, -1}, {"b", false, -1}, {"c", false, -1}, {"d", true, 0}, {"e", true, 0},
        {"f", true, 0},   {"g", true, 12},  {"h", true, -7},  {"i", true, 42}, {"j", true, -1},
        {"k", true, LONG_MAX}, {"missing", false, -1},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(row.read, settings.ReadString("v", row.key, buffer, sizeof buffer)) << row.key << ": names in any case";
        EXPECT_EQ(row.number, settings.ReadInt("V", row.key)) << row.key;
    }
    EXPECT_EQ(-1, settings.ReadInt("W", "a")) << "another section";
    ASSERT_TRUE(settings.ReadString("V", "L", buffer, sizeof buffer));
    EXPECT_STREQ("012345678", buffer) << "cut to the buffer";

    // An empty value is reported at every read, and reads as missing.
    BoxAnswerer answerer;
    EXPECT_FALSE(settings.ReadString("V", "m", buffer, sizeof buffer));
    EXPECT_EQ(-1, settings.ReadInt("V", "m"));
    const std::vector<SeenBox> seen = answerer.Seen();
    ASSERT_EQ(2u, seen.size());
    for (const SeenBox& box : seen) {
        EXPECT_EQ("KVX Error", box.caption);
        EXPECT_EQ(0u, box.text.find("Cannot read setting from INI file. (" + folder.Path() + "\\KVX.ini)\n\n"));
    }
}

TEST_F(SettingsTest, WrittenValuesReadBack)
{
    ASSERT_TRUE(settings.WriteInt("W", "min", LONG_MIN));
    EXPECT_NE(std::string::npos, folder.Read("KVX.ini").find("min=-2147483648\r\n"));
    EXPECT_EQ(LONG_MIN, settings.ReadInt("W", "min"));
    ASSERT_TRUE(settings.WriteString("W", "d", "value"));
    ASSERT_TRUE(settings.WriteString("W", "d", "NoNe"));
    char buffer[8];
    EXPECT_FALSE(settings.ReadString("W", "d", buffer, sizeof buffer)) << "writing NONE makes a key read as missing";
}

TEST_F(SettingsTest, ThePathIsTheCurrentFolderAndOneTooLongForThePathLimitIsRefused)
{
    EXPECT_EQ(folder.Path() + "\\KVX.ini", settings.Path());
    char before[MAX_PATH];
    GetCurrentDirectoryA(sizeof before, before);
    ASSERT_TRUE(SetCurrentDirectoryA("C:\\"));
    EXPECT_STREQ("C:\\KVX.ini", CSettings("KVX").Path()) << "a drive's root has its backslash already";

    // 257 characters are a legal folder (made through the \\?\ prefix), but "\KVX.ini" no
    // longer fits the 259-character path.
    std::string deep = folder.Path();
    while (deep.size() < 257) {
        const size_t rest = 257 - deep.size();
        deep += "\\" + std::string(rest > 42 ? 40 : rest - 1, 'd');
        const std::wstring wide = L"\\\\?\\" + std::wstring(deep.begin(), deep.end());
        CreateDirectoryW(wide.c_str(), nullptr);
    }
    ASSERT_EQ(257u, deep.size());
    const bool entered = SetCurrentDirectoryA(deep.c_str()) != FALSE;
    CSettings tooLong("KVX");
    SetCurrentDirectoryA(before);
    if (!entered) GTEST_SKIP() << "this system refuses such a current folder itself";
    EXPECT_FALSE(tooLong.IsUsable());
}

TEST_F(SettingsTest, AFileOpensOnlyWhenItExistsIsEmptiedByCreateAndReadsToItsEnd)
{
    CFile file;
    EXPECT_FALSE(file.Open("missing.adi"));
    char bytes[8] = {};
    EXPECT_EQ(0u, file.Read(bytes, 1)) << "no file open";
    folder.Write("ad001.adi", std::string(5000, 'x'));
    ASSERT_TRUE(file.Create("ad001.adi"));
    EXPECT_EQ(4u, file.Write("abcd", 4));
    CFile reader;
    ASSERT_TRUE(reader.Open("ad001.adi")) << "shared with other readers and writers";
    EXPECT_EQ(4u, reader.Read(bytes, sizeof bytes)) << "emptied, then four bytes";
    EXPECT_STREQ("abcd", bytes);
    EXPECT_EQ(0u, reader.Read(bytes, sizeof bytes)) << "the end";
}

} // namespace
