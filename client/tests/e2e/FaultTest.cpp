// The real client through faults of the server and of the network: the server killed while
// the client logs in, signs up or takes a flood of messages, then started again; no server
// listening; a server name that does not resolve. Until the user picks Available or Offline
// a failed connect shows nothing and is retried every 20 s; after that choice a failure is
// reported and not retried, until a dropped connection arms the retry again. A message the
// server acknowledged to its sender reaches the client exactly once, whether it came before
// the kill, was in flight at it, or was stored while the client waited for its retry. Each
// test has a loopback address of its own.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <set>
#include <string>
#include <thread>

#include "menus/CommandIds.h"
#include "signon/SignupIds.h"
#include "support/BarQueries.h"
#include "support/ClientProcess.h"
#include "support/MessageBoxes.h"
#include "support/ScratchFolder.h"
#include "support/ServerProcess.h"
#include "support/Wait.h"
#include "support/WireClient.h"
#include "wire/Contacts.h"

namespace {

const char kWinsockError[] = "KVX Winsock Error";
const DWORD kRetryMs = 20000;

class FaultTest : public ::testing::Test {
protected:
    FaultTest()
        : folder(::testing::UnitTest::GetInstance()->current_test_info()->name()), server(folder.Path(), NextAddress())
    {
    }
    ~FaultTest() override { client.Kill(); }

    static std::string NextAddress()
    {
        static int next = 60;
        return "127.0.9." + std::to_string(next++);
    }
    long NewAccount(const char* nickname)
    {
        std::string error;
        const long account =
            SignUpOverWire(server.Address(), nickname, std::string(nickname) + "@kvx.example", "pass1", &error);
        EXPECT_GT(account, 0) << error;
        return account;
    }
    // A stored account against a real server that is stopped again: nobody listens.
    long AccountWithNoServer()
    {
        EXPECT_TRUE(server.Start()) << server.Log();
        const long account = NewAccount("tester");
        EXPECT_TRUE(server.Stop());
        return account;
    }
    // The bar of a client naming `host` as its server, signed in as `account` (none: 0).
    HWND StartClient(const std::string& host, long account)
    {
        std::string ini = "[Server]\r\n1=" + host + "\r\nFingerprint=" + KnownFingerprint(host) + "\r\n";
        if (account > 0) ini += "[User]\r\nID=" + std::to_string(account) + "\r\nPW=pass1\r\n";
        folder.Write("KVX.ini", ini);
        return client.Start(folder.Path()) ? client.WaitForBar() : nullptr;
    }
    // The user's pick from the status menu. Sent, not posted, so a status asked for next is
    // read after the command ran.
    static void Choose(HWND bar, WORD command)
    {
        DWORD_PTR ignored = 0;
        SendMessageTimeoutA(bar, WM_COMMAND, command, 0, SMTO_NORMAL, 5000, &ignored);
    }
    SeenBox Box(const char* caption, DWORD timeoutMs) { return FindMessageBox(client.Pid(), caption, timeoutMs); }
    bool NoBoxFor(DWORD ms) { return Box(nullptr, ms).window == nullptr; }
    // The box the user's connect raised, answered; its text.
    std::string AnswerWinsockError()
    {
        const SeenBox box = Box(kWinsockError, 20000);
        if (!box.window) return "no box";
        PressButton(box.window, IDOK);
        WaitFor([&] { return !IsWindow(box.window); }, 3000);
        return box.text;
    }
    void FillSignup(HWND wizard)
    {
        SetDlgItemTextA(wizard, IDC_SIGNUP_NICKNAME, "newcomer");
        SetDlgItemTextA(wizard, IDC_SIGNUP_EMAIL, "newcomer@kvx.example");
        SetDlgItemTextA(wizard, IDC_SIGNUP_PASSWORD, "secret1");
        SetDlgItemTextA(wizard, IDC_SIGNUP_CONFIRM, "secret1");
    }

    ScratchFolder folder;
    ServerProcess server;
    ClientProcess client;
};

TEST_F(FaultTest, NoServerThenOneKilledMidLoginTheRetryFindsTheServerSilently)
{
    const long account = AccountWithNoServer();
    HWND bar = StartClient(server.Address(), account);
    ASSERT_NE(nullptr, bar);
    EXPECT_TRUE(StatusBecomes(bar, 100, 5000)) << "a refused first connect leaves it offline";
    EXPECT_TRUE(NoBoxFor(1000)) << "and shows nothing";

    // The retry meets a server that takes the login and never answers it; it dies there.
    ASSERT_TRUE(server.StartHostile({"stall-login"})) << server.Log();
    const DWORD listening = GetTickCount();
    ASSERT_TRUE(StatusBecomes(bar, 200, kRetryMs + 5000)) << "retried within one period";
    RecordProperty("FirstRetryMs", static_cast<int>(GetTickCount() - listening));
    Sleep(500);
    EXPECT_EQ(200, Ask(bar, kQueryStatus)) << "held mid-login";
    ASSERT_TRUE(server.Kill());
    EXPECT_TRUE(StatusBecomes(bar, 100, 5000));

    ASSERT_TRUE(server.Start()) << server.Log();
    EXPECT_TRUE(StatusBecomes(bar, 300, kRetryMs + 10000)) << server.Log();
    EXPECT_EQ(account, Ask(bar, kQueryAccount));
    const SeenBox box = Box(nullptr, 300);
    EXPECT_EQ(nullptr, box.window) << box.caption << ": " << box.text;
}

TEST_F(FaultTest, KilledWithASignupInFlightTheWizardStaysUsableAndTheUserSignsUpLater)
{
    ASSERT_TRUE(server.StartHostile({"stall-signup"})) << server.Log();
    HWND bar = StartClient(server.Address(), 0);
    ASSERT_NE(nullptr, bar);
    HWND wizard = Box(SIGNUP_CAPTION, 15000).window;
    ASSERT_NE(nullptr, wizard) << "no account: the wizard opens once connected";
    FillSignup(wizard);
    PressButton(wizard, IDOK);
    ASSERT_TRUE(WaitFor([&] { return DialogItemText(wizard, IDC_SIGNUP_STATUS) == "Creating your account..."; }, 5000))
        << DialogItemText(wizard, IDC_SIGNUP_STATUS);

    ASSERT_TRUE(server.Kill());
    EXPECT_TRUE(StatusBecomes(bar, 100, 5000)) << "the drop is noticed under the open wizard";
    EXPECT_TRUE(IsWindow(wizard));
    EXPECT_EQ(nullptr, Box(kWinsockError, 500).window);
    PressButton(wizard, IDCANCEL);
    EXPECT_TRUE(WaitFor([&] { return !IsWindow(wizard); }, 3000)) << "Cancel works while the answer is awaited";
    EXPECT_EQ(100, Ask(bar, kQueryStatus));

    ASSERT_TRUE(server.Start()) << server.Log();
    Choose(bar, CMD_AVAILABLE);
    wizard = Box(SIGNUP_CAPTION, 15000).window;
    ASSERT_NE(nullptr, wizard) << "the user's connect asks again";
    FillSignup(wizard);
    PressButton(wizard, IDOK);
    ASSERT_TRUE(StatusBecomes(bar, 300, 15000)) << DialogItemText(wizard, IDC_SIGNUP_STATUS) << "\n" << server.Log();
    const LRESULT account = Ask(bar, kQueryAccount);
    EXPECT_GT(account, 0);
    EXPECT_NE(std::string::npos, folder.Read("KVX.ini").find("ID=" + std::to_string(account)));
}

// Messages of the flood in the client's own log (Logs\<KVX#>.txt): how often each number.
std::map<int, int> FloodInLog(const ScratchFolder& folder, long account)
{
    const std::string log = folder.Read("Logs\\" + std::to_string(account) + ".txt");
    const std::string mark = "\r\n  flood ";
    std::map<int, int> seen;
    for (size_t at = log.find(mark); at != std::string::npos; at = log.find(mark, at + 1))
        ++seen[std::atoi(log.c_str() + at + mark.size())];
    return seen;
}

TEST_F(FaultTest, KilledMidFloodEveryAcknowledgedMessageArrivesExactlyOnce)
{
    const int kFlood = 300;
    const size_t kKillAfter = 20;
    const int kWhileAway = 100;
    ASSERT_TRUE(server.Start()) << server.Log();
    const long alpha = NewAccount("alpha");
    const long bravo = NewAccount("bravo");
    HWND bar = StartClient(server.Address(), alpha);
    ASSERT_NE(nullptr, bar);
    ASSERT_TRUE(StatusBecomes(bar, 300, 15000)) << server.Log();

    std::set<int> acknowledged;
    int shownBeforeKill = 0;
    {
        WireHand sender(server.Address(), bravo, "pass1");
        ASSERT_TRUE(sender.LoggedIn());
        // Sent on a thread of their own while this one reads the server's acknowledgements:
        // the kill lands right after one, with later messages still being stored and
        // delivered, and the client's own acknowledgements still on their way.
        std::thread flood([&] {
            for (int i = 0; i < kFlood; ++i) {
                MessageSendRecord message = {};
                message.to = static_cast<int32_t>(alpha);
                message.clientTag = static_cast<uint32_t>(i);
                std::snprintf(message.text, sizeof message.text, "flood %03d", i);
                if (!sender.Send(PKT_MESSAGE_SEND, &message, sizeof message)) break;
            }
        });
        std::string data;
        bool killed = false;
        while (sender.WaitForEvent(EVENT_MESSAGE_SENT, &data)) {
            MessageSentRecord sent = {};
            std::memcpy(&sent, data.data(), std::min(data.size(), sizeof sent));
            acknowledged.insert(static_cast<int>(sent.clientTag));
            if (!killed && acknowledged.size() == kKillAfter) {
                killed = server.Kill();
                shownBeforeKill = static_cast<int>(FloodInLog(folder, alpha).size());
            }
        }
        flood.join();
        ASSERT_TRUE(killed) << acknowledged.size() << " acknowledged";
    }
    EXPECT_TRUE(StatusBecomes(bar, 100, 5000));
    ASSERT_FALSE(acknowledged.empty());
    RecordProperty("ShownBeforeKill", shownBeforeKill);

    // The flood goes on while the client waits for its retry: more is stored for it than one
    // answer of the usual size holds.
    ASSERT_TRUE(server.Start()) << server.Log();
    {
        WireHand sender(server.Address(), bravo, "pass1");
        ASSERT_TRUE(sender.LoggedIn());
        for (int i = kFlood; i < kFlood + kWhileAway; ++i) {
            MessageSendRecord message = {};
            message.to = static_cast<int32_t>(alpha);
            message.clientTag = static_cast<uint32_t>(i);
            std::snprintf(message.text, sizeof message.text, "flood %03d", i);
            ASSERT_TRUE(sender.Send(PKT_MESSAGE_SEND, &message, sizeof message));
        }
        std::string data;
        for (int i = 0; i < kWhileAway && sender.WaitForEvent(EVENT_MESSAGE_SENT, &data); ++i) {
            MessageSentRecord sent = {};
            std::memcpy(&sent, data.data(), std::min(data.size(), sizeof sent));
            acknowledged.insert(static_cast<int>(sent.clientTag));
        }
    }
    EXPECT_TRUE(StatusBecomes(bar, 300, kRetryMs + 10000)) << server.Log();
    auto allArrived = [&] {
        const std::map<int, int> seen = FloodInLog(folder, alpha);
        for (int tag : acknowledged)
            if (!seen.count(tag)) return false;
        return true;
    };
    EXPECT_TRUE(WaitFor(allArrived, 15000)) << "what was stored comes with the login";
    Sleep(1000); // a message sent again would come in the same burst
    const std::map<int, int> seen = FloodInLog(folder, alpha);
    for (int tag : acknowledged) EXPECT_EQ(1, seen.count(tag) ? seen.at(tag) : 0) << "message " << tag;
    for (const auto& shown : seen) EXPECT_EQ(1, shown.second) << "message " << shown.first << " logged more than once";
    RecordProperty("Acknowledged", static_cast<int>(acknowledged.size()));
    RecordProperty("ShownInAll", static_cast<int>(seen.size()));
    EXPECT_TRUE(NoBoxFor(0));
}

TEST_F(FaultTest, AfterTheUsersChoiceFailuresAreReportedAndNotRetriedUntilADrop)
{
    const long account = AccountWithNoServer();
    HWND bar = StartClient(server.Address(), account);
    ASSERT_NE(nullptr, bar);
    EXPECT_TRUE(StatusBecomes(bar, 100, 5000));
    EXPECT_TRUE(NoBoxFor(1000));

    Choose(bar, CMD_AVAILABLE);
    EXPECT_EQ(0u, AnswerWinsockError().find("Could not connect to KVX Server. Try again later."));
    EXPECT_EQ(100, Ask(bar, kQueryStatus));
    // The server appears; no retry looks for it.
    ASSERT_TRUE(server.Start()) << server.Log();
    Sleep(kRetryMs + 2000);
    EXPECT_EQ(100, Ask(bar, kQueryStatus)) << "the user's connect disarmed the retry";
    EXPECT_TRUE(NoBoxFor(0));

    // The user connects; a drop then arms the retry again, which rejoins silently.
    Choose(bar, CMD_AVAILABLE);
    ASSERT_TRUE(StatusBecomes(bar, 300, 15000)) << server.Log();
    ASSERT_TRUE(server.Kill());
    EXPECT_TRUE(StatusBecomes(bar, 100, 5000));
    ASSERT_TRUE(server.Start()) << server.Log();
    EXPECT_TRUE(StatusBecomes(bar, 300, kRetryMs + 10000));
    EXPECT_TRUE(NoBoxFor(300));
}

TEST_F(FaultTest, AServerNameThatDoesNotResolveIsSilentAtStartAndReportedOnTheUsersConnect)
{
    HWND bar = StartClient("nosuchhost.invalid", 10000);
    ASSERT_NE(nullptr, bar);
    EXPECT_TRUE(StatusBecomes(bar, 100, 10000));
    EXPECT_TRUE(NoBoxFor(1000));
    Choose(bar, CMD_AVAILABLE);
    EXPECT_EQ(0u, AnswerWinsockError().find("Could not resolve DNS."));
    EXPECT_EQ(100, Ask(bar, kQueryStatus));
    Choose(bar, CMD_AVAILABLE);
    EXPECT_EQ(0u, AnswerWinsockError().find("Could not resolve DNS.")) << "reported every time the user asks";
}

} // namespace
