// The application shell's services on the real system: the settings store on real files in
// a scratch folder, and the reporter's real message boxes.
#include <climits>
#include <functional>
#include <string>

#include "app/Reporter.h"
#include "app/Settings.h"
#include "doubles/Recorder.h"
#include "support/InFolder.h"
#include "support/MessageBoxes.h"

namespace {

using ShellTest = InScratchFolder;

TEST_F(ShellTest, SettingsReadAsTheTableSaysAndAnEmptyValueIsReportedAtEveryRead)
{
    CSettings settings("KVX");
    char buffer[10];
    EXPECT_EQ(-1, settings.ReadInt("Window", "x")) << "no file";
    folder.Write("KVX.ini",
                 "[V]\r\na=none\r\nc=NONE\r\nd=nonex\r\ne=xNONE\r\ng=12abc\r\nj=-1\r\nl=0123456789\r\nm=\r\n");
    const struct {
        const char* key;
        bool read;
        LONG number;
    } rows[] = {{"a", false, -1}, {"c", false, -1}, {"d", true, 0},        {"e", true, 0},
                {"g", true, 12},  {"j", true, -1},  {"missing", false, -1}};
    for (const auto& row : rows) {
        EXPECT_EQ(row.read, settings.ReadString("v", row.key, buffer, sizeof buffer)) << row.key << ", in any case";
        EXPECT_EQ(row.number, settings.ReadInt("V", row.key)) << row.key;
    }
    ASSERT_TRUE(settings.ReadString("V", "L", buffer, sizeof buffer));
    EXPECT_STREQ("012345678", buffer) << "cut to the buffer";
    BoxAnswerer answerer;
    EXPECT_FALSE(settings.ReadString("V", "m", buffer, sizeof buffer));
    EXPECT_EQ(-1, settings.ReadInt("V", "m"));
    ASSERT_EQ(2u, answerer.Seen().size());
    for (const SeenBox& box : answerer.Seen())
        EXPECT_EQ(0u, box.text.find("Cannot read setting from INI file. (" + folder.Path() + "\\KVX.ini)\n\n"));
}

TEST_F(ShellTest, WrittenSettingsReadBackAndTheStoreRefusesAFolderTooLongForThePathLimit)
{
    CSettings settings("KVX");
    ASSERT_TRUE(settings.WriteInt("W", "min", LONG_MIN));
    EXPECT_EQ(LONG_MIN, settings.ReadInt("W", "min"));

    EXPECT_EQ(folder.Path() + "\\KVX.ini", settings.Path());
    ASSERT_TRUE(SetCurrentDirectoryA("C:\\"));
    EXPECT_STREQ("C:\\KVX.ini", CSettings("KVX").Path()) << "a drive's root has its backslash already";
    // 257 characters are a legal folder (made through \\?\), but "\KVX.ini" no longer fits.
    std::string deep = folder.Path();
    while (deep.size() < 257) {
        deep += "\\" + std::string(257 - deep.size() > 42 ? 40 : 256 - deep.size(), 'd');
        CreateDirectoryW((L"\\\\?\\" + std::wstring(deep.begin(), deep.end())).c_str(), nullptr);
    }
    if (!SetCurrentDirectoryA(deep.c_str())) GTEST_SKIP() << "this system refuses such a current folder itself";
    EXPECT_FALSE(CSettings("KVX").IsUsable());
}

TEST_F(ShellTest, EachKindOfReportShowsItsCaptionAndTextAndGivesItsResult)
{
    const std::string longText(1500, 'a');
    const struct {
        DWORD lastError; // the OS error when the report is made
        std::function<bool()> report;
        bool result;
        const char* caption;
        std::string head, tail; // the text starts and ends so; no tail: it is the head
    } rows[] = {
        {2, [] { return CReporter::Error("Cannot open %s (%d)", "web.pal", 3); }, false, "KVX Error",
         "Cannot open web.pal (3)\n\n", " (EC:2)"},
        {5, [&] { return CReporter::Error("%s", longText.c_str()); }, false, "KVX Error", std::string(900, 'a'),
         " (EC:5)"},
        {0, [] { return CReporter::SocketError("Could not resolve DNS."); }, false, "KVX Winsock Error",
         "Could not resolve DNS.\n\nConnection timed out. (EC: 10060)", ""},
        {2, [&] { return CReporter::Notice("%s", longText.c_str()); }, true, "KVX", std::string(1000, 'a'), ""},
    };
    Recorder::Get().Script().lastSocketError = 10060; // what the socket library reports
    Recorder::Get().Script().errorText = "Connection timed out.";
    for (const auto& row : rows) {
        BoxAnswerer answerer;
        SetLastError(row.lastError);
        EXPECT_EQ(row.result, row.report());
        ASSERT_EQ(1u, answerer.Seen().size()) << row.head;
        const SeenBox box = answerer.Seen()[0];
        EXPECT_EQ(row.caption, box.caption);
        EXPECT_EQ(std::vector<int>{IDOK}, box.buttons);
        EXPECT_FALSE(box.hasIcon);
        EXPECT_EQ(0u, box.text.find(row.head)) << box.text;
        const size_t end = box.text.size() - row.tail.size();
        EXPECT_TRUE(row.tail.empty() ? box.text == row.head
                                     : box.text.compare(end, row.tail.size(), row.tail) == 0 && end > row.head.size() &&
                                           box.text.size() <= 1023)
            << box.text; // the system's own text stands between, and the reason survives a cut
    }
    char buffer[64];
    SetLastError(2);
    EXPECT_STREQ("", CReporter::LastErrorText(buffer, 8)) << "too small for the text";
    EXPECT_EQ(2u, GetLastError()) << "building the text keeps the error";
}

} // namespace
