// Two users of the real server: alpha is the real client under test; bravo is a second real
// client in a Wine prefix of its own (the single-instance rule holds per wineserver), with a
// wire connection on bravo's account standing in for what bravo's hands would do there.
// They add each other, alpha sees bravo's presence in the list's balloon and messages go
// both ways. Then Ping and File between the two: a ping shows a time; a 10 MB file crosses
// while bravo's client is killed and started again mid-way and arrives whole (the peerhand
// tool plays bravo's hands on the offer); a declined file leaves nothing on either side.
// Last, the two on two nodes of a cluster: alpha sees bravo come and go. (Messages stored
// through a server kill: FaultTest; what the server keeps of a declined file: the server's
// tests.)
#include <cstdlib>
#include <cstring>
#include <random>

#include "support/Input.h"
#include "support/MenuProbe.h"
#include "support/RealClient.h"
#include "support/TrayTip.h"
#include "support/Wait.h"
#include "support/WireClient.h"
#include "wire/Contacts.h"

namespace {

const POINT kFirstRow = {60, 124 + 8};
const char kPlace[] = "[Window]\r\nx=300\r\ny=100\r\nh=420\r\n";

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

class DuoTest : public RealClientTest {
protected:
    DuoTest() : bravoFolder("DuoBravo")
    {
        const char* peer = std::getenv("KVX_PEER_PREFIX");
        peerPrefix = peer ? peer : "";
        LeftUp();
        RightUp();
    }
    ~DuoTest() override
    {
        StopBravo();
        if (!clusterFolder.empty()) Cluster("stop; rm -rf '" + clusterFolder + "'");
    }

    // A command line run in bravo's folder and Wine prefix.
    bool InBravo(const std::string& command, unsigned timeoutMs = 15000)
    {
        return RunShell("cd '" + UnixPath(bravoFolder.Path()) + "' && WINEPREFIX='" + peerPrefix + "' WINEDEBUG=-all " +
                            command,
                        timeoutMs);
    }
    bool StartBravo() { return InBravo("nohup wine '" + UnixPath(DistFolder()) + "/KVX.exe' >/dev/null 2>&1 &"); }
    // Bravo double-clicks its tray icon and answers the file offer's box.
    bool BravoAnswers(const char* answer) { return InBravo("wine '" KVX_PEERHAND "' " + std::string(answer), 20000); }
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
    // scripts/cluster.sh, in a folder of its own that the database's user may enter, on
    // addresses of this test's own: `command` and then whatever follows it.
    bool Cluster(const std::string& command)
    {
        if (clusterFolder.empty()) clusterFolder = "/tmp/kvx-e2e-cluster-" + std::to_string(GetCurrentProcessId());
        return RunShell("mkdir -p -m 755 '" + clusterFolder + "' && KVX_CLUSTER_DIR='" + clusterFolder +
                            "' KVX_CLUSTER_NET=127.0.31 KVX_CLUSTER_DB_PORT=26531 KVX_SERVER='" KVX_SERVER_PATH
                            "' '" KVX_CLUSTER_SCRIPT "' " +
                            command + " >>'" + clusterFolder + "/script.txt' 2>&1",
                        60000);
    }
    // Bravo's entry as alpha's list shows it when the pointer rests on it holds the line
    // `line` within `timeoutMs` (a click below the entries first gives the bar the focus).
    bool AlphaSeesBravo(const std::string& line, DWORD timeoutMs)
    {
        return WaitFor(
            [&] {
                Click(false, kFirstRow.x, kFirstRow.y + 150);
                Sleep(300);
                MoveTo(bar, kFirstRow.x + 20, kFirstRow.y);
                const std::string shown = BalloonText();
                return shown.find("bravo") != std::string::npos && shown.find("\n" + line) != std::string::npos;
            },
            timeoutMs);
    }
    // F5 on alpha's bar: a message window to a typed KVX#, sent; it closes once sent.
    bool AlphaSends(long to, const std::string& text)
    {
        PostMessageA(bar, WM_KEYDOWN, VK_F5, 0);
        HWND note = nullptr;
        if (!WaitFor([&] { return (note = FindWindowA("KVXNote", nullptr)) != nullptr; }, 5000)) return false;
        SetDlgItemTextA(note, 100, std::to_string(to).c_str());
        SetDlgItemTextA(note, 101, text.c_str());
        PostMessageA(note, WM_COMMAND, IDOK, 0);
        return WaitFor([&] { return !IsWindow(note); }, 5000);
    }
    void Click(bool right, LONG x, LONG y)
    {
        MoveTo(bar, x, y);
        Sleep(200);
        right ? RightDown() : LeftDown();
        Sleep(100);
        right ? RightUp() : LeftUp();
    }
    // The contact menu of the list's first entry, its item `downs` down picked (a click below
    // the entries first gives the bar the focus, without which nothing is hovered).
    void ContactCommand(int downs)
    {
        Click(false, kFirstRow.x, kFirstRow.y + 150);
        Sleep(200);
        MoveTo(bar, kFirstRow.x, kFirstRow.y);
        Sleep(300);
        Click(true, kFirstRow.x, kFirstRow.y);
        const std::vector<HWND> menus = WaitForMenus(client.Pid(), 1);
        ASSERT_EQ(1u, menus.size());
        for (int i = 0; i < downs; ++i) PressKeys(menus[0], {VK_DOWN});
        PressKeys(menus[0], {VK_RETURN});
    }
    // File on the contact menu, the open-file dialog given `path`, and the info window that
    // says it was sent closed again.
    bool AlphaSendsFile(const std::string& path)
    {
        ContactCommand(2);
        HWND dialog = nullptr;
        if (!WaitFor([&] { return (dialog = FindWindowA("#32770", "Send a File to bravo")) != nullptr; }, 5000))
            return false;
        for (int id : {1148, 1152}) SetDlgItemTextA(dialog, id, path.c_str()); // the name box, as combo or edit
        PostMessageA(dialog, WM_COMMAND, IDOK, 0);
        HWND told = nullptr;
        const bool sent = WaitFor([&] { return (told = FindWindowA("KVXInfo", "Send File")) != nullptr; }, 60000);
        if (told) PostMessageA(told, WM_CLOSE, 0, 0);
        return sent;
    }
    // The name of bravo's part file once it holds more than `bytes`, or empty.
    std::string BravoPartPast(DWORD bytes)
    {
        std::string found;
        WaitFor(
            [&] {
                WIN32_FIND_DATAA data;
                HANDLE search = FindFirstFileA(bravoFolder.File("Downloads\\*.kvxpart").c_str(), &data);
                if (search == INVALID_HANDLE_VALUE) return false;
                FindClose(search);
                found = std::string("Downloads\\") + data.cFileName;
                return data.nFileSizeLow > bytes;
            },
            60000);
        return found;
    }
    // Both users signed up on the servers given (the test's own, started here, when none is),
    // listing each other when `befriend`; bravo's client logged in and alpha's Online.
    void StartBoth(long* alpha, long* bravo, bool befriend, std::string alphaServer = "", std::string bravoServer = "")
    {
        if (alphaServer.empty()) {
            ASSERT_TRUE(server.Start()) << server.Log();
            alphaServer = bravoServer = server.Address();
        }
        ASSERT_TRUE(CopyArt(folder.Path()) && CopyArt(bravoFolder.Path()));
        std::string error;
        *alpha = SignUpOverWire(alphaServer, "alpha", "alpha@kvx.example", "pass1", &error);
        *bravo = SignUpOverWire(bravoServer, "bravo", "bravo@kvx.example", "pass1", &error);
        ASSERT_TRUE(*alpha > 0 && *bravo > 0) << error;
        for (const long who : {*alpha, *bravo}) {
            if (!befriend) continue;
            WireHand hand(who == *alpha ? alphaServer : bravoServer, who, "pass1");
            const AccountRecord add = {static_cast<int32_t>(who == *alpha ? *bravo : *alpha)};
            ASSERT_TRUE(hand.Send(PKT_CONTACT_ADD, &add, sizeof add));
            ASSERT_TRUE(hand.WaitForEvent(EVENT_CONTACT, nullptr));
        }
        WriteIni(*bravo, kPlace, bravoServer);
        bravoFolder.Write("KVX.ini", folder.Read("KVX.ini"));
        ASSERT_TRUE(StartBravo());
        WriteIni(*alpha, kPlace, alphaServer);
        ASSERT_NE(nullptr, Start());
        ASSERT_TRUE(Becomes(300, 15000)) << server.Log();
        if (befriend) {
            ASSERT_TRUE(AlphaSeesBravo("Online", 20000)) << "bravo's presence reaches alpha's list";
            return;
        }
        ASSERT_TRUE(WaitFor(
            [&] { return server.Log().find("login " + std::to_string(*bravo) + " accepted") != std::string::npos; },
            20000));
    }

    ScratchFolder bravoFolder;
    std::string peerPrefix;
    std::string clusterFolder; // Unix form; empty until a cluster is started
};

TEST_F(DuoTest, TwoUsersAddEachOtherSeePresenceAndMessagesGoBothWays)
{
    if (peerPrefix.empty()) GTEST_SKIP() << "no second Wine prefix (scripts/test.sh makes one)";
    long alpha = 0, bravo = 0;
    ASSERT_NO_FATAL_FAILURE(StartBoth(&alpha, &bravo, false));
    WireHand hands(server.Address(), bravo, "pass1");
    ASSERT_TRUE(hands.LoggedIn());
    const AccountRecord addAlpha = {static_cast<int32_t>(alpha)};
    ASSERT_TRUE(hands.Send(PKT_CONTACT_ADD, &addAlpha, sizeof addAlpha));
    EXPECT_TRUE(TrayTipShows("KVX bravo added you", 10000)) << "alpha's tray tells";
    // A double click on the tray opens the notice; closing it leaves the tray quiet again.
    PostMessageA(FirstTrayIcon(), WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(8, 8));
    HWND notice = nullptr;
    EXPECT_TRUE(WaitFor([&] { return (notice = FindWindowA("KVXInfo", nullptr)) != nullptr; }, 5000));
    if (notice) PostMessageA(notice, WM_COMMAND, IDOK, 0);

    // Alpha takes the offer from the contact menu of the list's first entry.
    ASSERT_NO_FATAL_FAILURE(ContactCommand(1)); // Add To List
    EXPECT_TRUE(hands.WaitForEvent(EVENT_ADDED_YOU, nullptr)) << "bravo is told";

    // Presence, and then bravo's away text, as alpha's list shows them.
    EXPECT_TRUE(AlphaSeesBravo("Online", 10000));
    StatusRecord away = {};
    away.status = 400;
    strcpy(away.away, "brb pizza");
    ASSERT_TRUE(hands.Send(PKT_STATUS, &away, sizeof away));
    EXPECT_TRUE(AlphaSeesBravo("\"brb pizza\"", 10000));

    // Messages both ways: bravo's arrives at alpha's tray, alpha's in bravo's own client.
    MessageSendRecord hello = {};
    hello.to = static_cast<int32_t>(alpha);
    strcpy(hello.text, "hello from bravo");
    ASSERT_TRUE(hands.Send(PKT_MESSAGE_SEND, &hello, sizeof hello));
    EXPECT_TRUE(TrayTipShows("KVX Message from bravo", 10000));
    ASSERT_TRUE(AlphaSends(bravo, "hi bravo"));
    EXPECT_TRUE(BravoLogHolds(bravo, "hi bravo")) << "bravo's client logs what it received";
}

TEST_F(DuoTest, APingShowsATimeAFileSurvivesTheReceiversRestartAndADeclineLeavesNothing)
{
    if (peerPrefix.empty()) GTEST_SKIP() << "no second Wine prefix (scripts/test.sh makes one)";
    long alpha = 0, bravo = 0;
    ASSERT_NO_FATAL_FAILURE(StartBoth(&alpha, &bravo, true));

    ContactCommand(7); // Ping
    HWND pinged = nullptr;
    char title[100] = "";
    ASSERT_TRUE(WaitFor([&] { return (pinged = FindWindowA("KVXInfo", nullptr)) != nullptr; }, 7000));
    GetWindowTextA(pinged, title, sizeof title);
    EXPECT_EQ(0, strncmp(title, "bravo: ", 7)) << title;
    EXPECT_NE(nullptr, strstr(title, " ms")) << title;
    PostMessageA(pinged, WM_CLOSE, 0, 0);

    std::string bytes(10 * 1024 * 1024, '\0');
    std::mt19937 random(7);
    for (char& c : bytes) c = static_cast<char>(random());
    folder.Write("big.pak", bytes);
    ASSERT_TRUE(AlphaSendsFile(folder.File("big.pak"))) << server.Log();
    ASSERT_TRUE(BravoAnswers("yes"));
    const std::string part = BravoPartPast(2 * 1024 * 1024);
    ASSERT_FALSE(part.empty()) << "bravo's download is under way";
    StopBravo();
    EXPECT_LT(bravoFolder.Read(part).size(), bytes.size()) << "killed mid-way";
    ASSERT_TRUE(StartBravo());
    EXPECT_TRUE(WaitFor([&] { return bravoFolder.Exists("Downloads\\big.pak"); }, 90000)) << server.Log();
    EXPECT_TRUE(bravoFolder.Read("Downloads\\big.pak") == bytes) << "whole, and equal to what was sent";
    EXPECT_FALSE(bravoFolder.Exists(part));

    folder.Write("small.pak", std::string(5000, 's'));
    ASSERT_TRUE(AlphaSendsFile(folder.File("small.pak")));
    ASSERT_TRUE(BravoAnswers("no"));
    EXPECT_TRUE(
        WaitFor([&] { return server.Log().find("dropped by " + std::to_string(bravo)) != std::string::npos; }, 10000));
    EXPECT_FALSE(bravoFolder.Exists("Downloads\\small.pak"));
    EXPECT_EQ(12u, folder.Read("Data\\transfers.dat").size()) << "alpha keeps no transfer";
}

TEST_F(DuoTest, OnTwoNodesOfAClusterAlphaSeesBravoComeAndGo)
{
    if (peerPrefix.empty()) GTEST_SKIP() << "no second Wine prefix (scripts/test.sh makes one)";
    const std::string nodes[] = {"127.0.31.11", "127.0.31.12"};
    ASSERT_TRUE(Cluster("start 2 --fast-hash"));
    const std::string started = ReadWhole("Z:" + clusterFolder + "/script.txt");
    ASSERT_NE(std::string::npos, started.find("front 127.0.31.1:2600")) << started;
    // One certificate for every node (its fingerprint as the first node printed it).
    const std::string printed = ReadWhole("Z:" + clusterFolder + "/node1.out");
    ASSERT_NE("", FingerprintIn(printed)) << printed;
    for (const std::string& node : nodes) RememberFingerprint(node, FingerprintIn(printed));

    long alpha = 0, bravo = 0;
    ASSERT_NO_FATAL_FAILURE(StartBoth(&alpha, &bravo, true, nodes[0], nodes[1]));
    StopBravo();
    EXPECT_TRUE(AlphaSeesBravo("Offline", 20000)) << "bravo's going reaches the other node";
    ASSERT_TRUE(StartBravo());
    EXPECT_TRUE(AlphaSeesBravo("Online", 20000)) << "and bravo's coming back";
}

} // namespace
