// The reporter's real message boxes, answered from another thread.
#include <gtest/gtest.h>

#include <string>

#include "app/Reporter.h"
#include "doubles/Recorder.h"
#include "support/MessageBoxes.h"

namespace {

class ReporterTest : public ::testing::Test {
protected:
    void SetUp() override { Recorder::Get().Reset(); }

    // The one box shown while `report` ran.
    template <typename Report>
    SeenBox OneBox(Report report)
    {
        BoxAnswerer answerer;
        report();
        const auto seen = answerer.Seen();
        EXPECT_EQ(1u, seen.size());
        return seen.empty() ? SeenBox() : seen[0];
    }

    static bool EndsWith(const std::string& s, const std::string& tail)
    {
        return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
    }
};

TEST_F(ReporterTest, ErrorShowsTheMessageThenTheLastSystemError)
{
    bool result = true;
    const SeenBox box = OneBox([&] {
        SetLastError(ERROR_FILE_NOT_FOUND);
        result = CReporter::Error("Cannot open %s (%d)", "web.pal", 3);
    });
    EXPECT_FALSE(result);
    EXPECT_EQ("KVX Error", box.caption);
    EXPECT_FALSE(box.hasIcon);
    EXPECT_EQ(std::vector<int>{IDOK}, box.buttons);
    ASSERT_EQ(0u, box.text.find("Cannot open web.pal (3)\n\n"));
    const std::string osText = box.text.substr(strlen("Cannot open web.pal (3)\n\n"));
    EXPECT_TRUE(EndsWith(osText, " (EC:2)")) << osText;
    EXPECT_GT(osText.size(), strlen(" (EC:2)")) << "the system's own text comes first";
    EXPECT_EQ(std::string::npos, osText.find_first_of("\r\n")) << "its line end is cut";
}

TEST_F(ReporterTest, ErrorWithNoPendingErrorStillShowsCodeZero)
{
    const SeenBox box = OneBox([] {
        SetLastError(0);
        CReporter::Error("Nothing failed");
    });
    EXPECT_TRUE(EndsWith(box.text, " (EC:0)")) << box.text;
}

TEST_F(ReporterTest, LongMessagesAreCutAndTheReasonStaysVisible)
{
    const std::string longText(1500, 'a');
    const SeenBox box = OneBox([&] {
        SetLastError(ERROR_ACCESS_DENIED);
        CReporter::Error("%s", longText.c_str());
    });
    EXPECT_LE(box.text.size(), 1023u);
    EXPECT_TRUE(EndsWith(box.text, " (EC:5)")) << "the OS text survives the cut";
    EXPECT_EQ(0u, box.text.find(std::string(900, 'a')));

    const SeenBox notice = OneBox([&] { CReporter::Notice("%s", longText.c_str()); });
    EXPECT_EQ(std::string(CReporter::kMessageLimit, 'a'), notice.text);
}

TEST_F(ReporterTest, SocketErrorShowsTheLibrarysTextForItsOwnLastError)
{
    Recorder::Get().Script().lastSocketError = 10060;
    Recorder::Get().Script().errorText = "Connection timed out.";
    bool result = true;
    const SeenBox box = OneBox([&] { result = CReporter::SocketError("Could not resolve DNS."); });
    EXPECT_FALSE(result);
    EXPECT_EQ("KVX Winsock Error", box.caption);
    EXPECT_EQ("Could not resolve DNS.\n\nConnection timed out. (EC: 10060)", box.text);
    EXPECT_EQ(std::vector<std::string>{"SK_Error(0)"}, Recorder::Get().Calls());
}

TEST_F(ReporterTest, SocketErrorCodeShowsTheGivenCodeWhateverTheLibrarySaysLast)
{
    Recorder::Get().Script().lastSocketError = 10060;
    const SeenBox box = OneBox([] {
        CReporter::SocketErrorCode(10061, "Could not connect to KVX Server. Try again later.");
    });
    EXPECT_EQ("Could not connect to KVX Server. Try again later.\n\nTest socket error text. (EC: 10061)", box.text);
    EXPECT_EQ(std::vector<std::string>{"SK_Error(10061)"}, Recorder::Get().Calls());
}

TEST_F(ReporterTest, NoticeShowsTheTextAloneAndGivesTrue)
{
    bool result = false;
    const SeenBox box = OneBox([&] {
        SetLastError(ERROR_FILE_NOT_FOUND);
        result = CReporter::Notice("Not yet implemented");
    });
    EXPECT_TRUE(result);
    EXPECT_EQ("KVX", box.caption);
    EXPECT_EQ("Not yet implemented", box.text);
}

TEST(LastErrorText, IsEmptyWhenTheBufferCannotHoldIt)
{
    char buffer[64];
    SetLastError(ERROR_FILE_NOT_FOUND);
    CReporter::LastErrorText(buffer, 8);
    EXPECT_STREQ("", buffer);
    CReporter::LastErrorText(buffer, sizeof buffer);
    EXPECT_NE(nullptr, strstr(buffer, " (EC:2)"));
    EXPECT_EQ(static_cast<DWORD>(ERROR_FILE_NOT_FOUND), GetLastError()) << "building the text keeps the error";
}

TEST(ReporterBeforeStartup, WorksWithoutAReporterObject)
{
    BoxAnswerer answerer;
    EXPECT_FALSE(CReporter::Error("Could not load RICHED32.DLL."));
    ASSERT_EQ(1u, answerer.Seen().size());
    EXPECT_EQ(0u, answerer.Seen()[0].text.find("Could not load RICHED32.DLL.\n\n"));
}

} // namespace
