// Two users of the real server: alpha is the real client under test; bravo is a second real
// client in a Wine prefix of its own (the single-instance rule holds per wineserver), with a
// wire connection on bravo's account standing in for what bravo's hands would do there.
// They add each other, alpha sees bravo's presence in the list's balloon, messages go both
// ways, and one sent while bravo is away arrives at bravo's next login after the server was
// killed and restarted in between.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "support/BarQueries.h"
#include "support/ClientProcess.h"
#include "support/Input.h"
#include "support/MenuProbe.h"
#include "support/ScratchFolder.h"
#include "support/ServerProcess.h"
#include "support/TrayTip.h"
#include "support/Wait.h"
#include "support/WireClient.h"
#include "wire/Contacts.h"

namespace {

const POINT kFirstRow = {60, 124 + 8};
const int kNoteTo = 100, kNoteText = 101; // the message window's fields

bool TipShows(const std::string& tip)
{
    return WaitFor(
        [&] {
            for (const std::string& shown : TrayTips())
                if (shown == tip) return true;
            return false;
        },
        10000);
}

std::string BalloonText()
{
    char text[600] = "";
    WaitFor(
        [&] {
            HWND balloon = FindWindowA("KVXBalloon", nullptr);
            return balloon && GetWindowTextA(balloon, text, sizeof text) > 0;
        },
        3000);
    return text;
}

class DuoTest : public ::testing::Test {
protected:
    DuoTest() : alphaFolder("DuoAlpha"), bravoFolder("DuoBravo"), server(alphaFolder.Path(), "127.0.0.45")
    {
        const char* peer = std::getenv("KVX_PEER_PREFIX");
        peerPrefix = peer ? peer : "";
        LeftUp();
        RightUp();
    }
    ~DuoTest() override { StopBravo(); }

    long Account(const char* nickname)
    {
        std::string error;
        const long account =
            SignUpOverWire(server.Address(), nickname, std::string(nickname) + "@kvx.example", "pass1", &error);
        EXPECT_GT(account, 0) << error;
        return account;
    }
    void Prepare(ScratchFolder& folder, long account)
    {
        EXPECT_TRUE(CopyArt(folder.Path()));
        folder.Write("KVX.ini", server.Ini() + "[User]\r\nID=" + std::to_string(account) +
                                    "\r\nPW=pass1\r\n[Window]\r\nx=300\r\ny=100\r\nh=420\r\n");
    }
    bool StartBravo()
    {
        return RunShell("cd '" + UnixPath(bravoFolder.Path()) + "' && WINEPREFIX='" + peerPrefix +
                        "' WINEDEBUG=-all nohup wine '" + UnixPath(DistFolder()) + "/KVX.exe' >/dev/null 2>&1 &");
    }
    void StopBravo()
    {
        if (!peerPrefix.empty()) RunShell("WINEPREFIX='" + peerPrefix + "' wineserver -k");
    }
    // Bravo's own log of every message sent or received (Logs\\<own KVX#>.txt).
    bool BravoLogHolds(long bravo, const std::string& text)
    {
        return WaitFor(
            [&] { return bravoFolder.Read("Logs\\" + std::to_string(bravo) + ".txt").find(text) != std::string::npos; },
            15000);
    }
    // F5 on alpha's bar: a message window to a typed KVX#.
    bool AlphaSends(HWND bar, long to, const std::string& text)
    {
        PostMessageA(bar, WM_KEYDOWN, VK_F5, 0);
        HWND note = nullptr;
        if (!WaitFor([&] { return (note = FindWindowA("KVXNote", nullptr)) != nullptr; }, 5000)) return false;
        SetDlgItemTextA(note, kNoteTo, std::to_string(to).c_str());
        SetDlgItemTextA(note, kNoteText, text.c_str());
        PostMessageA(note, WM_COMMAND, IDOK, 0);
        return WaitFor([&] { return !IsWindow(note); }, 5000); // it closes once sent
    }

    ScratchFolder alphaFolder;
    ScratchFolder bravoFolder;
    ServerProcess server;
    ClientProcess alpha;
    std::string peerPrefix;
};

TEST_F(DuoTest, TwoUsersAddEachOtherSeePresenceAndMessagesArriveEvenAfterAServerKill)
{
    if (peerPrefix.empty()) GTEST_SKIP() << "no second Wine prefix (scripts/test.sh makes one)";
    ASSERT_TRUE(server.Start()) << server.Log();
    const long alphaAccount = Account("alpha");
    const long bravoAccount = Account("bravo");
    Prepare(alphaFolder, alphaAccount);
    Prepare(bravoFolder, bravoAccount);
    ASSERT_TRUE(StartBravo());
    ASSERT_TRUE(WaitFor([&] { return bravoFolder.IsFolder("Logs"); }, 15000)) << "bravo's client started";
    ASSERT_TRUE(alpha.Start(alphaFolder.Path()));
    HWND bar = alpha.WaitForBar();
    ASSERT_NE(nullptr, bar);
    ASSERT_TRUE(StatusBecomes(bar, 300, 15000)) << server.Log();

    WireHand bravo(server.Address(), bravoAccount, "pass1");
    ASSERT_TRUE(bravo.LoggedIn());
    const AccountRecord addAlpha = {static_cast<int32_t>(alphaAccount)};
    ASSERT_TRUE(bravo.Send(PKT_CONTACT_ADD, &addAlpha, sizeof addAlpha));
    EXPECT_TRUE(TipShows("KVX bravo added you")) << "alpha's tray tells";
    // A double click on the tray opens the notice; closing it leaves the tray quiet again.
    PostMessageA(FirstTrayIcon(), WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(8, 8));
    HWND notice = nullptr;
    EXPECT_TRUE(WaitFor([&] { return (notice = FindWindowA("KVXInfo", nullptr)) != nullptr; }, 5000));
    if (notice) PostMessageA(notice, WM_COMMAND, IDOK, 0);

    // Alpha takes the offer from the contact menu of the list's first entry.
    MoveTo(bar, kFirstRow.x, kFirstRow.y);
    Sleep(300);
    RightDown();
    Sleep(100);
    RightUp();
    const std::vector<HWND> menus = WaitForMenus(alpha.Pid(), 1);
    ASSERT_EQ(1u, menus.size()) << "the contact menu of the offered entry";
    PressKeys(menus[0], {VK_DOWN, VK_RETURN}); // Add To List
    EXPECT_TRUE(bravo.WaitForEvent(EVENT_ADDED_YOU, nullptr)) << "bravo is told";

    // Presence, as alpha's list shows it when the pointer rests on bravo (a click below the
    // entries first gives the bar the focus, which balloons need).
    MoveTo(bar, kFirstRow.x, kFirstRow.y + 150);
    Sleep(200);
    LeftDown();
    Sleep(100);
    LeftUp();
    Sleep(200);
    MoveTo(bar, kFirstRow.x + 20, kFirstRow.y);
    std::string shown = BalloonText();
    HWND first = FindWindowA("KVXBalloon", nullptr);
    EXPECT_NE(std::string::npos, shown.find("bravo")) << shown;
    EXPECT_NE(std::string::npos, shown.find("Online")) << shown;
    StatusRecord away = {};
    away.status = 400;
    strcpy(away.away, "brb pizza");
    ASSERT_TRUE(bravo.Send(PKT_STATUS, &away, sizeof away));
    Sleep(1000);
    MoveTo(bar, kFirstRow.x + 21, kFirstRow.y);
    WaitFor([&] { return !IsWindow(first); }, 3000); // the move took the old one away
    shown = BalloonText();
    EXPECT_NE(std::string::npos, shown.find("brb pizza")) << shown;

    // Messages both ways: bravo's arrives at alpha's tray, alpha's in bravo's own client.
    MessageSendRecord hello = {};
    hello.to = static_cast<int32_t>(alphaAccount);
    strcpy(hello.text, "hello from bravo");
    ASSERT_TRUE(bravo.Send(PKT_MESSAGE_SEND, &hello, sizeof hello));
    EXPECT_TRUE(TipShows("KVX Message from bravo"));
    ASSERT_TRUE(AlphaSends(bar, bravoAccount, "hi bravo"));
    EXPECT_TRUE(BravoLogHolds(bravoAccount, "hi bravo")) << "bravo's client logs what it received";

    // Bravo away; a message waits on the server through a kill -9 and a restart.
    StopBravo();
    ASSERT_TRUE(AlphaSends(bar, bravoAccount, "while you were out"));
    Sleep(500); // the server's acknowledgement is not shown to the user; give it its moment
    ASSERT_TRUE(server.Kill());
    ASSERT_TRUE(server.Start()) << server.Log();
    ASSERT_TRUE(StartBravo());
    EXPECT_TRUE(BravoLogHolds(bravoAccount, "while you were out")) << server.Log();
}

} // namespace
