// The real client against a server that misbehaves on purpose (tools/hostile): whatever
// arrives, the bar keeps answering its status query, ends in a state it may be in, and
// comes back Online by itself once a sane server returns.
#include <gtest/gtest.h>

#include <string>

#include "menus/CommandIds.h"
#include "support/BarQueries.h"
#include "support/ClientProcess.h"
#include "support/MessageBoxes.h"
#include "support/ScratchFolder.h"
#include "support/ServerProcess.h"
#include "support/Wait.h"
#include "support/WireClient.h"

namespace {

const char kServerMessage[] = "Message from KVX Server";

struct Scenario {
    const char* script;
    LRESULT endStatus;   // where the client must end up
    int serverMessages;  // server message windows the script must open
};

class HostileServerTest : public ::testing::Test {
protected:
    HostileServerTest()
        : folder(::testing::UnitTest::GetInstance()->current_test_info()->name()), server(folder.Path(), NextAddress())
    {
    }
    ~HostileServerTest() override
    {
        client.Kill();
        CloseMessages();
    }

    static std::string NextAddress()
    {
        static int next = 80;
        return "127.0.0." + std::to_string(next++);
    }

    // The bar signed in as `account` (hostile scripts take any), started against `script`.
    HWND StartClient(const char* script, long account = 1000, const std::string& password = "pass1")
    {
        if (!server.StartHostile({script})) return nullptr;
        folder.Write("KVX.ini", server.Ini() + "[User]\r\nID=" + std::to_string(account) +
                                    "\r\nPW=" + password + "\r\n");
        return client.Start(folder.Path()) ? client.WaitForBar() : nullptr;
    }

    // Ends the connection of the last script, puts `script` up and connects as the user would.
    void Play(HWND bar, const char* script)
    {
        server.Stop();
        EXPECT_TRUE(StatusBecomes(bar, 100, 5000)) << "a server that went away leaves the client offline";
        ASSERT_TRUE(server.StartHostile({script})) << server.Log();
        // Offline first stops a reconnect the last drop armed, so only the user's connect runs.
        // Sent, not posted: a status asked for next must not be answered before the connect
        // has begun, or an Offline left from the last script would pass for this one's end.
        DWORD_PTR ignored = 0;
        SendMessageTimeoutA(bar, WM_COMMAND, CMD_OFFLINE, 0, SMTO_NORMAL, 5000, &ignored);
        SendMessageTimeoutA(bar, WM_COMMAND, CMD_AVAILABLE, 0, SMTO_NORMAL, 5000, &ignored);
    }

    bool Responsive(HWND bar) { return client.IsRunning() && Ask(bar, kQueryStatus) != -1; }

    static int OpenMessages()
    {
        int count = 0;
        for (HWND w = FindWindowExA(nullptr, nullptr, "KVXInfo", kServerMessage); w;
             w = FindWindowExA(nullptr, w, "KVXInfo", kServerMessage))
            ++count;
        return count;
    }
    static void CloseMessages()
    {
        while (HWND w = FindWindowA("KVXInfo", kServerMessage)) {
            SendMessageTimeoutA(w, WM_CLOSE, 0, 0, SMTO_ABORTIFHUNG, 2000, nullptr);
            if (IsWindow(w)) break;
        }
    }

    // Plays each scenario on one client and checks where it ends.
    void Run(HWND bar, const Scenario* scenarios, size_t count)
    {
        for (size_t i = 0; i < count; ++i) {
            const Scenario& scenario = scenarios[i];
            SCOPED_TRACE(scenario.script);
            if (i > 0) Play(bar, scenario.script);
            if (scenario.serverMessages > 0) {
                EXPECT_TRUE(WaitFor([&] { return OpenMessages() == scenario.serverMessages; }, 60000))
                    << OpenMessages() << " server messages open";
            }
            EXPECT_TRUE(StatusBecomes(bar, scenario.endStatus, 15000)) << "status " << Ask(bar, kQueryStatus);
            EXPECT_TRUE(Responsive(bar));
            EXPECT_EQ(scenario.serverMessages, OpenMessages());
            CloseMessages();
        }
    }

    ScratchFolder folder;
    ServerProcess server;
    ClientProcess client;
};

TEST_F(HostileServerTest, BrokenStreamsAreDroppedAndASaneServerIsRejoinedSilently)
{
    ASSERT_TRUE(server.Start()) << server.Log();
    std::string error;
    const long account = SignUpOverWire(server.Address(), "tester", "tester@kvx.example", "pass1", &error);
    ASSERT_GT(account, 0) << error;
    ASSERT_TRUE(server.Stop());

    HWND bar = StartClient("garbage", account);
    ASSERT_NE(nullptr, bar);
    const Scenario scenarios[] = {{"garbage", 100, 0},          {"huge-length", 100, 0},     {"reset", 100, 0},
                                  {"truncated-record", 100, 0}, {"overlong-record", 100, 0}};
    Run(bar, scenarios, sizeof scenarios / sizeof *scenarios);

    server.Stop();
    ASSERT_TRUE(server.Start()) << server.Log();
    EXPECT_TRUE(StatusBecomes(bar, 300, 30000)) << "the retry finds the real server again";
    const SeenBox box = FindMessageBox(client.Pid(), nullptr, 0);
    EXPECT_EQ(nullptr, box.window) << "without asking: " << box.caption << ": " << box.text;
}

// A handshake that fails or stalls is a failed connect: silent and retried at start, named in
// the socket error box once the user asked to connect.
TEST_F(HostileServerTest, AFailedOrStalledHandshakeIsAConnectFailure)
{
    for (const char* script : {"garbage-handshake", "stall-handshake"}) {
        SCOPED_TRACE(script);
        const bool stalls = script == std::string("stall-handshake");
        HWND bar = StartClient(script);
        ASSERT_NE(nullptr, bar) << server.Log();
        if (stalls) {
            EXPECT_TRUE(StatusBecomes(bar, 200, 5000)) << "connecting while the handshake stalls";
        }
        EXPECT_TRUE(StatusBecomes(bar, 100, 20000)) << "status " << Ask(bar, kQueryStatus);
        EXPECT_EQ(nullptr, FindMessageBox(client.Pid(), nullptr, 0).window) << "silent at start";
        if (!stalls) {
            DWORD_PTR ignored = 0; // Offline first disarms the retry, as in Play
            SendMessageTimeoutA(bar, WM_COMMAND, CMD_OFFLINE, 0, SMTO_NORMAL, 5000, &ignored);
            PostMessageA(bar, WM_COMMAND, CMD_AVAILABLE, 0);
            const SeenBox box = FindMessageBox(client.Pid(), "KVX Winsock Error", 15000);
            EXPECT_NE(std::string::npos, box.text.find("TLS")) << box.text;
            if (box.window) PressButton(box.window, IDOK);
        }
        EXPECT_TRUE(Responsive(bar));
        client.Kill();
        server.Stop();
    }
}

TEST_F(HostileServerTest, SplitsFloodsOddLengthsAndEveryTypeLeaveItOnline)
{
    HWND bar = StartClient("split");
    ASSERT_NE(nullptr, bar);
    const Scenario scenarios[] = {
        {"split", 300, 1}, {"flood", 300, 1}, {"event-lengths", 300, 1}, {"unterminated", 300, 1}, {"every-type", 300, 1},
    };
    Run(bar, scenarios, sizeof scenarios / sizeof *scenarios);
}

TEST_F(HostileServerTest, QuestionsWhileOnlineAndASilentPeer)
{
    HWND bar = StartClient("refused-online");
    ASSERT_NE(nullptr, bar) << server.Log();
    SeenBox box = FindMessageBox(client.Pid(), "Login Error", 15000);
    ASSERT_NE(nullptr, box.window) << "a refused login while Online still asks";
    PressButton(box.window, IDNO);
    EXPECT_TRUE(StatusBecomes(bar, 100, 5000));

    Play(bar, "outdated-online");
    box = FindMessageBox(client.Pid(), "Out-dated version.", 15000);
    ASSERT_NE(nullptr, box.window);
    PressButton(box.window, IDNO);
    EXPECT_TRUE(StatusBecomes(bar, 100, 5000));
    EXPECT_FALSE(WaitFor([] { return OpenMessages() > 0; }, 1000)) << "nothing behind the out-dated notice is read";

    Play(bar, "silent");
    Sleep(3000);
    EXPECT_EQ(200, Ask(bar, kQueryStatus)) << "a silent peer keeps it connecting";
    EXPECT_TRUE(Responsive(bar));
    PostMessageA(bar, WM_COMMAND, CMD_OFFLINE, 0);
    EXPECT_TRUE(StatusBecomes(bar, 100, 5000)) << "the user can always go offline";
}

} // namespace
