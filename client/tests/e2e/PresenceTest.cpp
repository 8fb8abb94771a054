// The real client Online on the real server: what the bar answers another process (the
// libraries' queries and game reports over WM_COPYDATA), the tray's tooltip and the
// server's message of the day.
#include <cstring>

#include "records/Bar.h"
#include "records/GameRecord.h"
#include "support/RealClient.h"
#include "support/TrayTip.h"
#include "support/Wait.h"

namespace {

using PresenceTest = RealClientTest;

// What the bar answered a game report, or -1 when it did not answer.
LRESULT Report(HWND bar, ULONG_PTR tag, const void* data, DWORD size)
{
    COPYDATASTRUCT copy = {tag, size, const_cast<void*>(data)};
    DWORD_PTR answer = 0;
    if (!SendMessageTimeoutA(bar, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&copy), SMTO_ABORTIFHUNG, 3000, &answer))
        return -1;
    return static_cast<LRESULT>(answer);
}

TEST_F(PresenceTest, OnlineTheBarAnswersQueriesTakesAWholeGameReportAndShowsTheMessageOfTheDay)
{
    ASSERT_NE(nullptr, StartOnline("--motd 'Welcome to the test server.'")) << server.Log();
    EXPECT_EQ(account, Ask(bar, BAR_QUERY_ACCOUNT));
    EXPECT_NE(0, Ask(bar, BAR_QUERY_SOCKET)) << "the socket is handed out once logged in";
    EXPECT_EQ(0, Ask(bar, BAR_QUERY_GAME_RECORD)) << "no game record on a fresh start";
    EXPECT_TRUE(TrayTipShows("KVX (Online) [" + std::to_string(account) + "]", 3000));
    HWND motd = nullptr;
    EXPECT_TRUE(WaitFor([&] { return (motd = FindWindowA("KVXInfo", "Message from KVX Server")) != nullptr; }, 5000));
    if (motd) PostMessageA(motd, WM_CLOSE, 0, 0);

    // Every size up to a whole record, with and without data, under the bar's tag and others:
    // only a record's worth or more under the tag is taken, and only its first record.
    unsigned char bytes[sizeof(GAME_RECORD) + 1] = {};
    GAME_RECORD record = {};
    record.addr = 0x0100000A;
    record.port = 27910;
    lstrcpyA(record.info, "Test server");
    memcpy(bytes, &record, sizeof record);
    for (ULONG_PTR tag : {ULONG_PTR{1000}, ULONG_PTR{999}, ULONG_PTR{0}})
        for (DWORD size = 0; size <= sizeof(GAME_RECORD); ++size)
            for (const void* data : {static_cast<const void*>(bytes), static_cast<const void*>(nullptr)}) {
                if (tag == 1000 && size == sizeof(GAME_RECORD) && data) continue; // the one taken, last
                ASSERT_EQ(0, Report(bar, tag, data, size)) << "tag " << tag << ", " << size << " bytes, data " << data;
            }
    EXPECT_EQ(300, Ask(bar, BAR_QUERY_STATUS));
    EXPECT_EQ(0, Ask(bar, BAR_QUERY_GAME_RECORD));
    for (DWORD size : {DWORD{sizeof bytes}, DWORD{sizeof record}})
        EXPECT_EQ(1, Report(bar, 1000, bytes, size)) << size << " bytes";
    EXPECT_EQ(600, Ask(bar, BAR_QUERY_STATUS)) << "the reporter is playing Quake II";
    EXPECT_NE(0, Ask(bar, BAR_QUERY_GAME_RECORD));
}

} // namespace
