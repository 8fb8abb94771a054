// The real client through faults of the server and the network: no server, a name that
// does not resolve, the server killed while the client logs in, signs up or takes a flood
// of messages. Until the user picks Available or Offline a failed connect shows nothing and
// is retried; after that choice a failure is reported. A message the server acknowledged
// to its sender reaches the client exactly once, whether it came before the kill, was in
// flight at it, or was stored while the client was away.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <map>
#include <set>
#include <thread>

#include "menus/CommandIds.h"
#include "records/Bar.h"
#include "signon/SignupIds.h"
#include "support/RealClient.h"
#include "support/TrayTip.h"
#include "support/Wait.h"
#include "support/WireClient.h"
#include "wire/Contacts.h"
#include "wire/Frame.h"

namespace {

class FaultTest : public RealClientTest {
protected:
    // An account on a server that is stopped again: nobody listens.
    long AccountWithNoServer()
    {
        EXPECT_TRUE(server.Start()) << server.Log();
        const long made = SignUp();
        EXPECT_TRUE(server.Stop());
        return made;
    }
    static void FillSignup(HWND wizard)
    {
        SetDlgItemTextA(wizard, IDC_SIGNUP_NICKNAME, "newcomer");
        SetDlgItemTextA(wizard, IDC_SIGNUP_EMAIL, "newcomer@kvx.example");
        SetDlgItemTextA(wizard, IDC_SIGNUP_PASSWORD, "secret1");
        SetDlgItemTextA(wizard, IDC_SIGNUP_CONFIRM, "secret1");
        PressButton(wizard, IDOK);
    }
};

TEST_F(FaultTest, FailedConnectsAreSilentAtStartAndReportedOnTheUsersConnect)
{
    WriteIni(10000, "", "nosuchhost.invalid");
    ASSERT_NE(nullptr, Start());
    EXPECT_TRUE(TrayTipShows("KVX (Offline)", 10000)) << "the first connect has failed";
    EXPECT_TRUE(NoBoxFor(1000));
    for (int ask = 0; ask < 2; ++ask) {
        Choose(CMD_AVAILABLE);
        EXPECT_EQ(0u, Answer("KVX Winsock Error", IDOK).text.find("Could not resolve DNS.")) << "each time asked";
        EXPECT_EQ(100, Ask(bar, BAR_QUERY_STATUS));
    }
    ASSERT_TRUE(Close());

    WriteIni(AccountWithNoServer());
    ASSERT_NE(nullptr, Start());
    EXPECT_TRUE(TrayTipShows("KVX (Offline)", 5000)) << "a refused first connect leaves it offline";
    EXPECT_TRUE(NoBoxFor(1000)) << "and shows nothing";
    Choose(CMD_AVAILABLE);
    EXPECT_EQ(0u, Answer("KVX Winsock Error", IDOK).text.find("Could not connect to KVX Server. Try again later."));
    ASSERT_TRUE(server.Start()) << server.Log();
    Choose(CMD_AVAILABLE);
    EXPECT_TRUE(Becomes(300, 15000)) << server.Log();
}

TEST_F(FaultTest, KilledMidLoginTheClientGoesOfflineSilentlyAndTheNextConnectLogsIn)
{
    const long stored = AccountWithNoServer();
    ASSERT_TRUE(server.StartHostile({"stall-login"})) << server.Log();
    WriteIni(stored);
    ASSERT_NE(nullptr, Start());
    ASSERT_TRUE(Becomes(200, 10000));
    Sleep(500);
    EXPECT_EQ(200, Ask(bar, BAR_QUERY_STATUS)) << "held mid-login";
    EXPECT_EQ(0, Ask(bar, BAR_QUERY_SOCKET)) << "no socket for the libraries before the login";
    ASSERT_TRUE(server.Kill());
    EXPECT_TRUE(Becomes(100, 5000));
    EXPECT_TRUE(NoBoxFor(1000)) << "a drop shows nothing";
    ASSERT_TRUE(server.Start()) << server.Log();
    Choose(CMD_AVAILABLE); // (the silent retry after a drop: HostileServerTest)
    EXPECT_TRUE(Becomes(300, 15000)) << server.Log();
    EXPECT_EQ(stored, Ask(bar, BAR_QUERY_ACCOUNT));
}

TEST_F(FaultTest, KilledMidSignupTheWizardStaysUsableThenSignsUpAndStoresTheAccount)
{
    ASSERT_TRUE(server.StartHostile({"stall-signup"})) << server.Log();
    WriteIni(0);
    ASSERT_NE(nullptr, Start());
    HWND wizard = Box(SIGNUP_CAPTION, 15000).window;
    ASSERT_NE(nullptr, wizard) << "no account: the wizard opens once connected";
    FillSignup(wizard);
    ASSERT_TRUE(WaitFor([&] { return DialogItemText(wizard, IDC_SIGNUP_STATUS) == "Creating your account..."; }, 5000));
    ASSERT_TRUE(server.Kill());
    EXPECT_TRUE(Becomes(100, 5000)) << "the drop is noticed under the open wizard";
    EXPECT_TRUE(IsWindow(wizard));
    EXPECT_EQ(nullptr, Box("KVX Winsock Error", 500).window);
    PressButton(wizard, IDCANCEL);
    EXPECT_TRUE(WaitFor([&] { return !IsWindow(wizard); }, 3000)) << "Cancel works while the answer is awaited";

    ASSERT_TRUE(server.Start()) << server.Log();
    Choose(CMD_AVAILABLE);
    wizard = Box(SIGNUP_CAPTION, 15000).window;
    ASSERT_NE(nullptr, wizard) << "the user's connect asks again";
    FillSignup(wizard);
    ASSERT_TRUE(Becomes(300, 15000)) << DialogItemText(wizard, IDC_SIGNUP_STATUS) << server.Log();
    const LRESULT made = Ask(bar, BAR_QUERY_ACCOUNT);
    const std::string ini = folder.Read("KVX.ini");
    EXPECT_NE(std::string::npos, ini.find("ID=" + std::to_string(made) + "\r\nPW=secret1\r\n")) << ini;
}

// How often each message of the flood is in the client's own log (Logs\<KVX#>.txt).
std::map<int, int> FloodInLog(const ScratchFolder& folder, long account)
{
    const std::string log = folder.Read("Logs\\" + std::to_string(account) + ".txt");
    const std::string mark = "\r\n  flood ";
    std::map<int, int> seen;
    for (size_t at = log.find(mark); at != std::string::npos; at = log.find(mark, at + 1))
        ++seen[std::atoi(log.c_str() + at + mark.size())];
    return seen;
}

bool SendFlood(WireHand& sender, long to, int from, int count)
{
    for (int i = from; i < from + count; ++i) {
        MessageSendRecord message = {};
        message.to = static_cast<int32_t>(to);
        message.clientTag = static_cast<uint32_t>(i);
        std::snprintf(message.text, sizeof message.text, "flood %03d", i);
        if (!sender.Send(PKT_MESSAGE_SEND, &message, sizeof message)) return false;
    }
    return true;
}

// Adds the tag of each acknowledgement the sender reads, up to `limit`; after `killAfter` calls `kill`.
void ReadAcknowledgements(WireHand& sender, std::set<int>& acknowledged, size_t limit, size_t killAfter = 0,
                          const std::function<void()>& kill = nullptr)
{
    std::string data;
    for (size_t n = 0; n < limit && sender.WaitForEvent(EVENT_MESSAGE_SENT, &data); ++n) {
        acknowledged.insert(static_cast<int>(
            kvxwire::ReadU32(reinterpret_cast<const uint8_t*>(data.data()) + offsetof(MessageSentRecord, clientTag))));
        if (acknowledged.size() == killAfter) kill();
    }
}

TEST_F(FaultTest, KilledMidFloodEveryAcknowledgedMessageArrivesExactlyOnce)
{
    ASSERT_NE(nullptr, StartOnline()) << server.Log();
    const long bravo = SignUp("bravo");
    std::set<int> acknowledged;
    bool killed = false;
    // Sent on a thread of their own while this one reads the acknowledgements: the kill
    // lands right after one, with later messages still being stored and delivered.
    WireHand flooded(server.Address(), bravo, "pass1");
    ASSERT_TRUE(flooded.LoggedIn());
    std::thread flood([&] { SendFlood(flooded, account, 0, 300); });
    ReadAcknowledgements(flooded, acknowledged, 300, 20, [&] { killed = server.Kill(); });
    flood.join();
    ASSERT_TRUE(killed) << acknowledged.size() << " acknowledged";
    EXPECT_TRUE(Becomes(100, 5000));

    // More is stored while the client is away than one answer of the usual size holds.
    ASSERT_TRUE(server.Start()) << server.Log();
    {
        WireHand sender(server.Address(), bravo, "pass1");
        ASSERT_TRUE(sender.LoggedIn() && SendFlood(sender, account, 300, 100)) << server.Log();
        ReadAcknowledgements(sender, acknowledged, 100);
    }
    Choose(CMD_AVAILABLE);
    EXPECT_TRUE(Becomes(300, 15000)) << server.Log();
    EXPECT_TRUE(WaitFor(
        [&] {
            const std::map<int, int> seen = FloodInLog(folder, account);
            return std::all_of(acknowledged.begin(), acknowledged.end(), [&](int tag) { return seen.count(tag) > 0; });
        },
        15000))
        << "what was stored comes with the login";
    Sleep(1000); // a message sent again would come in the same burst
    for (const auto& shown : FloodInLog(folder, account)) EXPECT_EQ(1, shown.second) << "message " << shown.first;
    RecordProperty("Acknowledged", static_cast<int>(acknowledged.size()));
    EXPECT_TRUE(NoBoxFor(0));
}

} // namespace
