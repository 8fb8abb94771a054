// The reporter's real message boxes, answered from another thread: each kind's caption,
// text and result, and long messages cut with the reason kept.
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "app/Reporter.h"
#include "doubles/Recorder.h"
#include "support/MessageBoxes.h"

namespace {

bool EndsWith(const std::string& s, const std::string& tail)
{
    return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
}

TEST(ReporterTest, EachKindShowsItsCaptionTextAndButtonAndGivesItsResult)
{
    const std::string longText(1500, 'a');
    const struct {
        const char* name;
        std::function<bool()> report;
        bool result;
        const char* caption;
        std::string head; // the text starts so
        std::string tail; // and ends so
    } rows[] = {
        {"error", [] { SetLastError(ERROR_FILE_NOT_FOUND); return CReporter::Error("Cannot open %s (%d)", "web.pal", 3); },
         false, "KVX Error", "Cannot open web.pal (3)\n\n", " (EC:2)"},
        {"error with no error pending", [] { SetLastError(0); return CReporter::Error("Nothing failed"); }, false,
         "KVX Error", "Nothing failed\n\n", " (EC:0)"},
        {"long error", [&] { SetLastError(ERROR_ACCESS_DENIED); return CReporter::Error("%s", longText.c_str()); },
         false, "KVX Error", std::string(900, 'a'), " (EC:5)"},
        {"socket error", [] { return CReporter::SocketError("Could not resolve DNS."); }, false, "KVX Winsock Error",
         "Could not resolve DNS.\n\nConnection timed out. (EC: 10060)", ""},
        {"socket error for a code", [] { return CReporter::SocketErrorCode(10061, "Try %s.", "later"); }, false,
         "KVX Winsock Error", "Try later.\n\nConnection timed out. (EC: 10061)", ""},
        {"notice", [] { SetLastError(ERROR_FILE_NOT_FOUND); return CReporter::Notice("Not yet implemented"); }, true,
         "KVX", "Not yet implemented", ""},
        {"long notice", [&] { return CReporter::Notice("%s", longText.c_str()); }, true, "KVX",
         std::string(CReporter::kMessageLimit, 'a'), ""},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        Recorder::Get().Reset();
        Recorder::Get().Script().lastSocketError = 10060;
        Recorder::Get().Script().errorText = "Connection timed out.";
        BoxAnswerer answerer;
        EXPECT_EQ(row.result, row.report());
        const std::vector<SeenBox> seen = answerer.Seen();
        ASSERT_EQ(1u, seen.size());
        EXPECT_EQ(row.caption, seen[0].caption);
        EXPECT_EQ(std::vector<int>{IDOK}, seen[0].buttons);
        EXPECT_FALSE(seen[0].hasIcon);
        EXPECT_EQ(0u, seen[0].text.find(row.head)) << seen[0].text;
        EXPECT_TRUE(EndsWith(seen[0].text, row.tail)) << seen[0].text;
        EXPECT_LE(seen[0].text.size(), 1023u);
        if (row.tail.empty()) {
            EXPECT_EQ(row.head, seen[0].text.substr(0, row.head.size() + 1));
        }
        else EXPECT_GT(seen[0].text.size(), row.head.size() + row.tail.size()) << "the system's own text between";
    }
}

TEST(ReporterTest, TheLastErrorTextIsEmptyWhenItDoesNotFitAndKeepsTheError)
{
    char buffer[64];
    SetLastError(ERROR_FILE_NOT_FOUND);
    EXPECT_STREQ("", CReporter::LastErrorText(buffer, 8));
    EXPECT_TRUE(EndsWith(CReporter::LastErrorText(buffer, sizeof buffer), " (EC:2)"));
    EXPECT_EQ(static_cast<DWORD>(ERROR_FILE_NOT_FOUND), GetLastError());
}

} // namespace
