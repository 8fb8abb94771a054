// Game reports sent to the real bar from this (another) process over WM_COPYDATA, of every
// size up to one record, with and without data and under the bar's tag and others: the bar
// keeps answering its status query and takes a record's worth or more under its own tag.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "games/GameRecord.h"
#include "support/BarQueries.h"
#include "support/ClientProcess.h"
#include "support/ScratchFolder.h"
#include "support/ServerProcess.h"
#include "support/WireClient.h"

namespace {

const ULONG_PTR kGameReport = 1000;

// What the bar answered, or -1 when it did not answer within the time.
long long Report(HWND bar, ULONG_PTR tag, const void* data, DWORD size)
{
    COPYDATASTRUCT copy = {tag, size, const_cast<void*>(data)};
    DWORD_PTR answer = 0;
    if (!SendMessageTimeoutA(bar, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&copy), SMTO_ABORTIFHUNG, 3000, &answer))
        return -1;
    return static_cast<long long>(answer);
}

TEST(CopyDataTest, ARecordsWorthOrMoreUnderTheBarsTagIsTakenAndTheBarKeepsAnswering)
{
    ScratchFolder folder("CopyDataTest");
    ServerProcess server(folder.Path(), "127.0.8.1");
    ASSERT_TRUE(server.Start()) << server.Log();
    std::string error;
    const long account = SignUpOverWire(server.Address(), "tester", "tester@kvx.example", "pass1", &error);
    ASSERT_GT(account, 0) << error;
    folder.Write("KVX.ini", server.Ini() + "[User]\r\nID=" + std::to_string(account) +
                                "\r\nPW=pass1\r\n");
    ClientProcess client;
    ASSERT_TRUE(client.Start(folder.Path()));
    HWND bar = client.WaitForBar();
    ASSERT_NE(nullptr, bar);
    ASSERT_TRUE(StatusBecomes(bar, 300, 15000)) << server.Log();
    EXPECT_EQ(0, Ask(bar, kQueryGameRecord)) << "no game record on a fresh start";

    // One record's worth and a byte more, so the sizes up to a whole record are all inside it.
    unsigned char bytes[sizeof(GAME_RECORD) + 1] = {};
    GAME_RECORD record = {};
    record.addr = 0x0100000A;
    record.port = 27910;
    lstrcpyA(record.info, "Test server");
    memcpy(bytes, &record, sizeof record);
    for (ULONG_PTR tag : {kGameReport, ULONG_PTR{999}, ULONG_PTR{0}}) {
        for (DWORD size = 0; size <= sizeof(GAME_RECORD); ++size) {
            for (const void* data : {static_cast<const void*>(bytes), static_cast<const void*>(nullptr)}) {
                if (tag == kGameReport && size == sizeof(GAME_RECORD) && data) continue; // the one taken, last
                ASSERT_EQ(0, Report(bar, tag, data, size)) << "tag " << tag << ", " << size << " bytes, data " << data;
                ASSERT_EQ(300, Ask(bar, kQueryStatus)) << "tag " << tag << ", " << size << " bytes";
            }
        }
    }
    EXPECT_EQ(0, Ask(bar, kQueryGameRecord));

    for (DWORD size : {DWORD{sizeof bytes}, DWORD{sizeof record}})
        EXPECT_EQ(1, Report(bar, kGameReport, bytes, size)) << size << " bytes: the first record is taken";
    EXPECT_EQ(600, Ask(bar, kQueryStatus)) << "the reporter is playing Quake II";
    EXPECT_NE(0, Ask(bar, kQueryGameRecord));
}

} // namespace
