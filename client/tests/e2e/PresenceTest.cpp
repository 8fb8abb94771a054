// From start to Online against the real server on loopback: login, the libraries' status
// queries from another process (game reports: CopyDataTest), reconnecting after the server restarts, a refused login,
// an out-dated build. Each test has a loopback address of its own.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "support/BarQueries.h"
#include "support/ClientProcess.h"
#include "support/MessageBoxes.h"
#include "support/ScratchFolder.h"
#include "support/ServerProcess.h"
#include "support/TrayTip.h"
#include "support/Wait.h"
#include "support/WireClient.h"

namespace {

class PresenceTest : public ::testing::Test {
protected:
    explicit PresenceTest(const char* address = nullptr)
        : folder(::testing::UnitTest::GetInstance()->current_test_info()->name()),
          server(folder.Path(), address ? address : NextAddress())
    {
    }

    static std::string NextAddress()
    {
        static int next = 20;
        return "127.0.0." + std::to_string(next++);
    }
    std::string Ini(long account, const std::string& password) const
    {
        std::string ini = server.Ini();
        if (account > 0) ini += "[User]\r\nID=" + std::to_string(account) + "\r\nPW=" + password + "\r\n";
        return ini;
    }
    long NewAccount(const std::string& password = "pass1")
    {
        std::string error;
        const long account = SignUpOverWire(server.Address(), "tester", "tester@kvx.example", password, &error);
        EXPECT_GT(account, 0) << error;
        return account;
    }
    HWND StartClient(const std::string& ini)
    {
        folder.Write("KVX.ini", ini);
        if (!client.Start(folder.Path())) return nullptr;
        return client.WaitForBar();
    }
    bool NoMessageBoxFor(DWORD ms) { return FindMessageBox(client.Pid(), nullptr, ms).window == nullptr; }

    ScratchFolder folder;
    ServerProcess server;
    ClientProcess client;
};

TEST_F(PresenceTest, AStoredAccountLogsInAndTheQueriesAnswerAnotherProcess)
{
    ASSERT_TRUE(server.Start("--motd 'Welcome to the test server.'")) << server.Log();
    const long account = NewAccount();
    HWND bar = StartClient(Ini(account, "pass1"));
    ASSERT_NE(nullptr, bar);
    ASSERT_TRUE(StatusBecomes(bar, 300, 15000)) << server.Log();
    EXPECT_EQ(account, Ask(bar, kQueryAccount));
    const std::string online = "KVX (Online) [" + std::to_string(account) + "]";
    EXPECT_TRUE(WaitFor([&] {
        const auto tips = TrayTips();
        return std::find(tips.begin(), tips.end(), online) != tips.end();
    }, 3000)) << "the tray shows " << online;
    EXPECT_NE(0, Ask(bar, kQuerySocket)) << "the socket is handed out once logged in";

    HWND info = nullptr;
    EXPECT_TRUE(WaitFor([&] { return (info = FindWindowA("KVXInfo", "Message from KVX Server")) != nullptr; }, 5000))
        << "the message of the day is shown";
    if (info) PostMessageA(info, WM_CLOSE, 0, 0);
}

TEST_F(PresenceTest, ADroppedServerSendsTheClientOfflineAndItComesBackSilently)
{
    ASSERT_TRUE(server.Start()) << server.Log();
    const long account = NewAccount();
    HWND bar = StartClient(Ini(account, "pass1"));
    ASSERT_NE(nullptr, bar);
    ASSERT_TRUE(StatusBecomes(bar, 300, 15000));

    ASSERT_TRUE(server.Kill());
    EXPECT_TRUE(StatusBecomes(bar, 100, 5000));
    ASSERT_TRUE(server.Start()) << server.Log();
    const DWORD restarted = GetTickCount();
    EXPECT_TRUE(StatusBecomes(bar, 300, 25000)) << "back within one retry period";
    EXPECT_TRUE(NoMessageBoxFor(300)) << "a drop and a reconnect show nothing";
    RecordProperty("ReconnectMs", static_cast<int>(GetTickCount() - restarted));
}

TEST_F(PresenceTest, AWrongPasswordShowsTheLoginErrorAndNoStaysOffline)
{
    ASSERT_TRUE(server.Start()) << server.Log();
    const long account = NewAccount();
    HWND bar = StartClient(Ini(account, "wrong"));
    ASSERT_NE(nullptr, bar);
    const SeenBox box = FindMessageBox(client.Pid(), "Login Error", 15000);
    ASSERT_NE(nullptr, box.window);
    EXPECT_EQ(0u, box.text.find("Your login information could not be verified on the server.")) << box.text;
    EXPECT_EQ((std::vector<int>{IDYES, IDNO}), box.buttons);
    PressButton(box.window, IDNO);
    ASSERT_TRUE(WaitFor([&] { return !IsWindow(box.window); }, 3000));
    EXPECT_TRUE(StatusBecomes(bar, 100, 3000));
    EXPECT_TRUE(NoMessageBoxFor(1000)) << "no retry without the user's yes";
    EXPECT_EQ(account, Ask(bar, kQueryAccount));
}

TEST_F(PresenceTest, AnOldBuildIsOfferedTheUpdaterAndYesHandsOverAndQuits)
{
    ASSERT_TRUE(server.Start("--min-build 147")) << server.Log();
    ASSERT_TRUE(CopyFileA((DistFolder() + "\\KVXPatch.exe").c_str(), folder.File("KVXPatch.exe").c_str(), FALSE));
    HWND bar = StartClient(Ini(10000, "pass1"));
    ASSERT_NE(nullptr, bar);
    const SeenBox box = FindMessageBox(client.Pid(), "Out-dated version.", 15000);
    ASSERT_NE(nullptr, box.window);
    EXPECT_EQ(0u, box.text.find("You need a new version of 'KVX'.")) << box.text;
    EXPECT_EQ(100, Ask(bar, kQueryStatus));
    PressButton(box.window, IDYES);
    DWORD code = 1;
    EXPECT_TRUE(client.WaitForExit(10000, &code));
    EXPECT_EQ(0u, code);
    EXPECT_TRUE(WaitFor([&] { return folder.Read("KVXPatch.log").find("KVXPatch: would download") != std::string::npos; }, 5000))
        << "the updater ran in the client's folder";
}

} // namespace
