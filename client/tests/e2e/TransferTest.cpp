// Ping and File between two real clients through the real server: alpha is the client under
// test; bravo runs in a Wine prefix of its own, where the peerhand tool plays bravo's hands
// with an offered file. A ping shows a time; a 10 MB file crosses while bravo's client is
// killed and started again mid-way, and arrives whole; a declined file leaves nothing on
// either side or on the server.
#include <gtest/gtest.h>

#include <cstdlib>
#include <random>
#include <string>

#include "support/BarQueries.h"
#include "support/ClientProcess.h"
#include "support/Input.h"
#include "support/MenuProbe.h"
#include "support/ScratchFolder.h"
#include "support/ServerProcess.h"
#include "support/Wait.h"
#include "support/WireClient.h"
#include "wire/Contacts.h"

namespace {

const POINT kFirstRow = {60, 124 + 8};
const int kFileNameIds[] = {1148, 1152}; // the open-file dialog's name box, as combo or edit

class TransferTest : public ::testing::Test {
protected:
    TransferTest() : alphaFolder("XferAlpha"), bravoFolder("XferBravo"), server(alphaFolder.Path(), "127.0.0.46")
    {
        const char* peer = std::getenv("KVX_PEER_PREFIX");
        peerPrefix = peer ? peer : "";
        LeftUp();
        RightUp();
    }
    ~TransferTest() override { StopBravo(); }

    long Account(const char* nickname)
    {
        const long account =
            SignUpOverWire(server.Address(), nickname, std::string(nickname) + "@kvx.example", "pass1");
        EXPECT_GT(account, 0);
        return account;
    }
    // Each lists the other (bravo's hand opens the "added you" notice before the offer).
    void Befriend(long one, long other)
    {
        for (const long who : {one, other}) {
            WireHand hand(server.Address(), who, "pass1");
            const AccountRecord add = {static_cast<int32_t>(who == one ? other : one)};
            ASSERT_TRUE(hand.Send(PKT_CONTACT_ADD, &add, sizeof add));
            ASSERT_TRUE(hand.WaitForEvent(EVENT_CONTACT, nullptr));
        }
    }
    void Prepare(ScratchFolder& folder, long account)
    {
        EXPECT_TRUE(CopyArt(folder.Path()));
        folder.Write("KVX.ini", "[Server]\r\n1=" + server.Address() + "\r\n[User]\r\nID=" + std::to_string(account) +
                                    "\r\nPW=pass1\r\n[Window]\r\nx=300\r\ny=100\r\nh=420\r\n");
    }
    bool InPeer(const std::string& command, unsigned timeoutMs = 15000)
    {
        return RunShell("cd '" + UnixPath(bravoFolder.Path()) + "' && WINEPREFIX='" + peerPrefix + "' WINEDEBUG=-all " +
                            command,
                        timeoutMs);
    }
    bool StartBravo() { return InPeer("nohup wine '" + UnixPath(DistFolder()) + "/KVX.exe' >/dev/null 2>&1 &"); }
    void StopBravo()
    {
        if (!peerPrefix.empty()) RunShell("WINEPREFIX='" + peerPrefix + "' wineserver -k");
    }
    // Bravo double-clicks its tray icon and answers the offer's box.
    bool BravoAnswers(const char* answer) { return InPeer("wine '" KVX_PEERHAND "' " + std::string(answer), 20000); }

    // Opens alpha's contact menu on the first entry and picks the item `downs` down.
    void ContactCommand(HWND bar, int downs)
    {
        // A click below the entries gives the bar the focus, without which nothing is hovered.
        MoveTo(bar, kFirstRow.x, kFirstRow.y + 150);
        Sleep(200);
        LeftDown();
        Sleep(100);
        LeftUp();
        Sleep(200);
        MoveTo(bar, kFirstRow.x, kFirstRow.y);
        Sleep(300);
        RightDown();
        Sleep(100);
        RightUp();
        const std::vector<HWND> menus = WaitForMenus(alpha.Pid(), 1);
        ASSERT_EQ(1u, menus.size());
        std::vector<WORD> keys(static_cast<size_t>(downs), VK_DOWN);
        for (WORD key : keys) PressKeys(menus[0], {key});
        PressKeys(menus[0], {VK_RETURN});
    }
    // The contact menu's File, then the open-file dialog with `path`.
    bool AlphaSends(HWND bar, const std::string& path)
    {
        ContactCommand(bar, 2);
        HWND dialog = nullptr;
        if (!WaitFor([&] { return (dialog = FindWindowA("#32770", "Send a File to bravo")) != nullptr; }, 5000))
            return false;
        for (int id : kFileNameIds) SetDlgItemTextA(dialog, id, path.c_str());
        PostMessageA(dialog, WM_COMMAND, IDOK, 0);
        return WaitFor([&] { return !IsWindow(dialog); }, 5000);
    }
    // Alpha's info window about the sent file, closed again.
    bool AlphaToldSent()
    {
        HWND told = nullptr;
        const bool shown = WaitFor([&] { return (told = FindWindowA("KVXInfo", "Send File")) != nullptr; }, 60000);
        if (told) PostMessageA(told, WM_CLOSE, 0, 0);
        return shown;
    }

    ScratchFolder alphaFolder;
    ScratchFolder bravoFolder;
    ServerProcess server;
    ClientProcess alpha;
    std::string peerPrefix;
};

TEST_F(TransferTest, APingShowsATimeAFileSurvivesTheReceiversRestartAndADeclineLeavesNothing)
{
    if (peerPrefix.empty()) GTEST_SKIP() << "no second Wine prefix (scripts/test.sh makes one)";
    ASSERT_TRUE(server.Start()) << server.Log();
    const long alphaAccount = Account("alpha");
    const long bravoAccount = Account("bravo");
    Befriend(alphaAccount, bravoAccount);
    Prepare(alphaFolder, alphaAccount);
    Prepare(bravoFolder, bravoAccount);
    ASSERT_TRUE(StartBravo());
    ASSERT_TRUE(alpha.Start(alphaFolder.Path()));
    HWND bar = alpha.WaitForBar();
    ASSERT_NE(nullptr, bar);
    ASSERT_TRUE(StatusBecomes(bar, 300, 15000)) << server.Log();
    ASSERT_TRUE(WaitFor(
        [&] { return server.Log().find("login " + std::to_string(bravoAccount) + " accepted") != std::string::npos; },
        20000));
    Sleep(1000); // bravo's presence reaches alpha's list

    ContactCommand(bar, 7); // Ping
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
    alphaFolder.Write("big.pak", bytes);
    ASSERT_TRUE(AlphaSends(bar, alphaFolder.File("big.pak")));
    ASSERT_TRUE(AlphaToldSent()) << server.Log();
    ASSERT_TRUE(BravoAnswers("yes"));
    const std::string part = [&] {
        std::string found;
        WaitFor(
            [&] {
                WIN32_FIND_DATAA data;
                HANDLE search = FindFirstFileA(bravoFolder.File("Downloads\\*.kvxpart").c_str(), &data);
                if (search == INVALID_HANDLE_VALUE) return false;
                FindClose(search);
                found = std::string("Downloads\\") + data.cFileName;
                return data.nFileSizeLow > 2 * 1024 * 1024;
            },
            60000);
        return found;
    }();
    ASSERT_FALSE(part.empty()) << "bravo's download is under way";
    StopBravo();
    const size_t kept = bravoFolder.Read(part).size();
    EXPECT_LT(kept, bytes.size()) << "killed mid-way";
    ASSERT_TRUE(StartBravo());
    EXPECT_TRUE(WaitFor([&] { return bravoFolder.Exists("Downloads\\big.pak"); }, 90000)) << server.Log();
    EXPECT_TRUE(bravoFolder.Read("Downloads\\big.pak") == bytes) << "whole, and equal to what was sent";
    EXPECT_FALSE(bravoFolder.Exists(part));

    // A declined offer: gone from the server's folder, nothing in bravo's, nothing kept by alpha.
    alphaFolder.Write("small.pak", std::string(5000, 's'));
    ASSERT_TRUE(AlphaSends(bar, alphaFolder.File("small.pak")));
    ASSERT_TRUE(AlphaToldSent());
    ASSERT_TRUE(BravoAnswers("no"));
    EXPECT_TRUE(WaitFor(
        [&] { return server.Log().find("dropped by " + std::to_string(bravoAccount)) != std::string::npos; }, 10000));
    WIN32_FIND_DATAA data;
    HANDLE left = FindFirstFileA(alphaFolder.File("kvx-server.db-files\\*").c_str(), &data);
    int files = 0;
    for (BOOL more = left != INVALID_HANDLE_VALUE; more; more = FindNextFileA(left, &data))
        files += data.cFileName[0] != '.';
    if (left != INVALID_HANDLE_VALUE) FindClose(left);
    EXPECT_EQ(0, files) << "nothing on the server";
    EXPECT_FALSE(bravoFolder.Exists("Downloads\\small.pak"));
    EXPECT_EQ(12u, alphaFolder.Read("Data\\transfers.dat").size()) << "alpha keeps no transfer";
}

} // namespace
