// The session's state tables with recording doubles of the libraries, a real window (its
// timers and notices) and a real loopback peer playing the server.
#include <winsock2.h>

#include <algorithm>
#include <string>

#include "app/Globals.h"
#include "app/Settings.h"
#include "doubles/Recorder.h"
#include "menus/CommandIds.h"
#include "session/Session.h"
#include "sockio/sockio.h"
#include "support/InFolder.h"
#include "support/MessageBoxes.h"
#include "support/WireClient.h"
#include "wire/Contacts.h"
#include "wire/Frame.h"
#include "wire/Packets.h"

namespace {

const char kAccount[] = "[Server]\r\n1=127.0.0.9\r\n[User]\r\nID=10001\r\nPW=secret\r\n";
int g_notices = 0; // WM_USER+7, the status-change notice

LRESULT CALLBACK CountNotices(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_USER + 7) ++g_notices;
    return DefWindowProcA(window, message, wParam, lParam);
}

class SessionTest : public InScratchFolder {
protected:
    SessionTest()
    {
        WNDCLASSA wc = {};
        wc.lpfnWndProc = CountNotices;
        wc.lpszClassName = "KVXSessionTest";
        RegisterClassA(&wc);
        g_hMainWnd = CreateWindowExA(0, wc.lpszClassName, "", WS_POPUP, 0, 0, 9, 9, nullptr, nullptr, nullptr, nullptr);
    }
    ~SessionTest() override
    {
        Drop();
        DestroyWindow(g_hMainWnd);
        g_hMainWnd = nullptr;
    }
    CSession& Make(const char* ini = kAccount)
    {
        Drop();
        folder.Write("KVX.ini", ini);
        g_Settings = new CSettings("KVX");
        session = new CSession;
        Recorder::Get().Reset();
        g_notices = 0;
        return *session;
    }
    void Drop()
    {
        delete session;
        session = nullptr;
        delete g_Settings;
        g_Settings = nullptr;
    }
    // Connected over a loopback peer, the version sent, the log emptied.
    CSession& Connected(WirePeer& over, const char* ini = kAccount)
    {
        Make(ini).Connect();
        session->OnConnectResult(CONNECT_DONE, static_cast<LPARAM>(over.TakeOther()));
        Recorder::Get().Reset();
        return *session;
    }
    bool Feed(const std::string& bytes)
    {
        if (!peer.SendRaw(bytes)) return false;
        session->ReceivePackets();
        return true;
    }
    // `text` with every '#' replaced by the session's socket handle.
    std::string WithSocket(std::string text) const
    {
        for (size_t at; (at = text.find('#')) != std::string::npos;)
            text.replace(at, 1, std::to_string(session->SocketHandle()));
        return text;
    }
    static const std::vector<std::string>& Calls() { return Recorder::Get().Calls(); }
    static bool Called(const std::string& call) { return std::find(Calls().begin(), Calls().end(), call) != Calls().end(); }
    // Whether the 20 s reconnect is pending (the check takes it away).
    static bool RetryPending() { return KillTimer(g_hMainWnd, CSession::kRetryTimer) != FALSE; }

    WirePeer peer;
    CSession* session = nullptr;
};

TEST_F(SessionTest, StatusChangesFollowTheStateTable)
{
    const struct {
        WORD from;
        unsigned code;
        int editor; // what the away editor answers
        WORD to;
        const char* call; // the one status-change call expected, or none
        bool connects;
    } rows[] = {
        {100, 600, 10, 100, nullptr, false},  // a game needs a login
        {200, 400, 10, 200, nullptr, false},  // so does Away, even while connecting
        {200, 300, 10, 300, "RL_StatusChange(10001, 1)", false},
        {300, 300, 10, 300, nullptr, false},  // the same status changes nothing
        {300, 600, 10, 600, "RL_StatusChange(10001, 1)", false},
        {100, 0x10000 + 300, 10, 300, "RL_StatusChange(10001, 1)", false}, // only the low 16 bits
        {100, CMD_AWAY, 10, 100, nullptr, false},
        {610, CMD_NA, 10, 500, "RL_StatusChange(10001, 1)", false},
        {500, CMD_AWAY, 3, 500, nullptr, false}, // the editor declined
        {300, CMD_OFFLINE, 10, 100, "RL_StatusChange(10001, 0)", false},
        {100, CMD_OFFLINE, 10, 100, nullptr, false},
        {100, CMD_AVAILABLE, 10, 200, nullptr, true},
        {200, CMD_AVAILABLE, 10, 300, "RL_StatusChange(10001, 1)", false}, // no second connect
    };
    CSession& s = Make();
    for (const auto& row : rows) {
        SCOPED_TRACE(std::to_string(row.from) + " then " + std::to_string(row.code));
        s.SetStatus(100);
        if (row.from == 200) s.Connect();
        if (row.from >= 300) s.SetStatus(300);
        s.SetStatus(row.from);
        ASSERT_EQ(row.from, s.Status());
        Recorder::Get().Reset();
        Recorder::Get().Script().editAwayResult = row.editor;
        g_notices = 0;
        s.SetStatus(row.code);
        EXPECT_EQ(row.to, s.Status());
        EXPECT_EQ(row.to != row.from ? 1 : 0, g_notices) << "one notice for a change, none else";
        EXPECT_EQ(row.call ? 1 : 0, Recorder::Get().Count("RL_StatusChange"));
        if (row.call) {
            EXPECT_TRUE(Called(row.call));
        }
        EXPECT_EQ(row.connects ? 1 : 0, Recorder::Get().Count("SK_Connect"));
        if (row.connects) {
            EXPECT_TRUE(Called("SK_Connect(1032, 1074, \"127.0.0.9\", 2600)"));
        }
        if (row.code == CMD_AWAY || row.code == CMD_NA) {
            EXPECT_EQ(1, Recorder::Get().Count("RL_EditAway"));
        }
        if (row.code == CMD_OFFLINE) {
            const std::vector<std::string> stops = {"RL_StopPingThread()", "SK_StopPingServer()", "SK_StopEventServer()",
                                                    "RL_Offline()"};
            ASSERT_GE(Calls().size(), 4u);
            EXPECT_EQ(stops, std::vector<std::string>(Calls().begin(), Calls().begin() + 4)) << "even while offline";
        }
    }
}

TEST_F(SessionTest, AFirstRunReadsNoAccountAndStoresTheDefaultServer)
{
    CSession& s = Make("");
    EXPECT_EQ(-1, s.AccountNumber());
    EXPECT_TRUE(s.RetryArmed());
    char host[100];
    ASSERT_TRUE(g_Settings->ReadString("Server", "1", host, sizeof host));
    EXPECT_STREQ("server.kvx.example", host);
}

TEST_F(SessionTest, FailuresAreSilentAndRetriedUntilTheUserChoseAndADropAlwaysRetries)
{
    const struct {
        bool userChose;
        WPARAM code;
        const char* report; // the start of the box's text, or no box
        bool retried;
    } rows[] = {
        {false, CONNECT_FAILED, nullptr, true},
        {false, CONNECT_DNS_FAILED, nullptr, true},
        {false, CONNECT_SOCKET_FAILED, "Could not create a new socket.", true},
        {false, CONNECT_ASYNC_FAILED, "Could not start asynchronous socket.", true},
        {true, CONNECT_FAILED, "Could not connect to KVX Server. Try again later.", false},
        {true, CONNECT_DNS_FAILED, "Could not resolve DNS.", false},
        {true, CONNECT_SOCKET_FAILED, "Could not create a new socket.", false},
    };
    // One session: armed at start, disarmed by the user's choice, armed again by a drop.
    CSession& s = Make();
    for (const auto& row : rows) {
        SCOPED_TRACE(std::to_string(row.code) + (row.userChose ? " after the user's choice" : " at start"));
        if (row.userChose) s.SetStatus(CMD_AVAILABLE);
        else s.Connect();
        BoxAnswerer answerer;
        s.OnConnectResult(row.code, 10061);
        EXPECT_EQ(100, s.Status());
        EXPECT_EQ(row.retried, RetryPending());
        const std::vector<SeenBox> seen = answerer.Seen();
        ASSERT_EQ(row.report ? 1u : 0u, seen.size());
        if (!row.report) continue;
        EXPECT_EQ("KVX Winsock Error", seen[0].caption);
        EXPECT_EQ(std::string(row.report) + "\n\nTest socket error text. (EC: 10061)", seen[0].text);
    }
    // A connection that drops or fails, however the user chose, goes offline and retries.
    for (const LPARAM event : {WSAMAKESELECTREPLY(FD_CLOSE, 0), WSAMAKESELECTREPLY(FD_READ, WSAECONNRESET)}) {
        WirePeer other;
        s.SetStatus(CMD_AVAILABLE);
        s.OnConnectResult(CONNECT_DONE, static_cast<LPARAM>(other.TakeOther()));
        s.SetStatus(CMD_AVAILABLE);
        ASSERT_EQ(300, s.Status());
        s.OnSocketEvent(HIWORD(event), event, 0);
        EXPECT_EQ(100, s.Status());
        EXPECT_TRUE(RetryPending());
        EXPECT_EQ(0u, s.SocketHandle()) << "the connection is closed";
    }
    s.OnConnectResult(CONNECT_FAILED, 10061);
    s.Connect();
    EXPECT_FALSE(RetryPending()) << "a connect takes the pending retry away";
}

TEST_F(SessionTest, AConnectionSendsTheBuildAndHandsOutItsSocketOnlyOnceLoggedIn)
{
    CSession& s = Make();
    s.Connect();
    s.OnConnectResult(CONNECT_DONE, 1234);
    EXPECT_FALSE(RetryPending());
    ASSERT_EQ(1u, Recorder::Get().SentPackets().size());
    EXPECT_EQ(1234u, Recorder::Get().SentPackets()[0].socket);
    EXPECT_EQ(PKT_VERSION, Recorder::Get().SentPackets()[0].type);
    EXPECT_EQ(std::string("\x92\0\0\0", 4), Recorder::Get().SentPackets()[0].payload);
    EXPECT_EQ(200, s.Status());
    EXPECT_EQ(0u, s.LoggedInSocket()) << "not while connecting";
    s.SetStatus(300);
    EXPECT_EQ(1234u, s.LoggedInSocket());
}

TEST_F(SessionTest, EachPacketIsActedOnOnlyWhenItsTypeIsKnownAndItsPayloadHoldsItsRecord)
{
    ASSERT_TRUE(peer.Connected());
    Connected(peer);
    // An event head whose length field says `data`, followed by `present` data bytes.
    const auto event = [](size_t data, size_t present) {
        std::string head(kEventDataOffset, '\0');
        head[2] = static_cast<char>(data & 0xFF);
        head[3] = static_cast<char>(data >> 8);
        return head + std::string(present, 'x');
    };
    const struct {
        WORD type;
        std::string payload;
        std::vector<std::string> calls; // '#' is the socket
    } rows[] = {
        {1199, "", {}},
        {1200, "", {"SO_Message(1200, #)"}},
        {1300, "", {"SO_Message(1300, #)"}},
        {1301, "", {}},
        {PKT_KEEP_ALIVE, "", {}},
        {PKT_IP_INFO, std::string(sizeof(IpInfoRecord), 'i'), {"RL_IPInfo()"}},
        {PKT_IP_INFO, std::string(sizeof(IpInfoRecord) - 1, 'i'), {}},
        {PKT_IP_INFO, std::string(sizeof(IpInfoRecord) + 9, 'i'), {"RL_IPInfo()"}},
        {PKT_INFO_RESULT, std::string(sizeof(ProfileList), 'p'), {"RL_GotInfoRes()"}},
        {PKT_INFO_RESULT, std::string(sizeof(ProfileList) - 1, 'p'), {}},
        {PKT_GAME_SERVERS, std::string(sizeof(GameServersHead), 'g'), {"PR_ServerList(4)"}},
        {PKT_GAME_SERVERS, std::string(sizeof(GameServersHead) - 1, 'g'), {}},
        {PKT_NEW_EVENT, event(0, 0), {"RL_NewEvent(16, 0, 0, 1)"}},
        {PKT_NEW_EVENT, event(5, 5), {"RL_NewEvent(21, 0, 0, 1)"}},
        {PKT_NEW_EVENT, event(0, 0).substr(1), {}},
        {PKT_NEW_EVENT, event(5, 4), {}},
        {PKT_NEW_EVENT, event(kMaxEventData, kMaxEventData), {"RL_NewEvent(1024, 0, 0, 1)"}},
        {PKT_NEW_EVENT, event(kMaxEventData + 1, kMaxEventData + 1), {}},
        {PKT_SERVER_MESSAGE, std::string("Hello\0ignored", 13),
         {"AR_Icon(\"On\")", "WK_Info(\"Message from KVX Server\", \"Hello\")"}},
        {PKT_SERVER_MESSAGE, std::string(kvxwire::kMaxPayload, 'z'),
         {"AR_Icon(\"On\")", "WK_Info(\"Message from KVX Server\", \"" + std::string(kvxwire::kMaxPayload, 'z') + "\")"}},
        {PKT_VERSION_OK, "", {"SK_WPacket(#, 1010, 16)"}},
        {PKT_LOGIN_OK, "", {"SK_StartPingServer()", "SK_StartEventServer()", "RL_StartPingThread()", "RL_RefreshIP(#)",
                            "RL_StatusChange(10001, 1)"}},
    };
    for (const auto& row : rows) {
        Recorder::Get().Reset();
        ASSERT_TRUE(Feed(Frame(row.type, row.payload)));
        std::vector<std::string> expected;
        for (const std::string& call : row.calls) expected.push_back(WithSocket(call));
        EXPECT_EQ(expected, Calls()) << "type " << row.type << ", " << row.payload.size() << " bytes";
    }
    EXPECT_EQ(300, session->Status());

    // Which answer a version check gets depends on the stored account alone.
    for (const auto& account : {std::make_pair("", "SO_Signup(#)"), std::make_pair("[User]\r\nID=0\r\n", "SO_Signup(#)"),
                                std::make_pair("[User]\r\nID=1\r\n", "SK_WPacket(#, 1010, 16)")}) {
        WirePeer other;
        Connected(other, account.first);
        const std::string expected = WithSocket(account.second);
        ASSERT_TRUE(other.SendRaw(Frame(PKT_VERSION_OK)));
        session->ReceivePackets();
        EXPECT_TRUE(Called(expected)) << account.first;
    }
}

TEST_F(SessionTest, OneReadDispatchesEveryWholePacketInOrderAndKeepsAPartOfOne)
{
    ASSERT_TRUE(peer.Connected());
    Connected(peer);
    const std::string ok = Frame(PKT_LOGIN_OK);
    ASSERT_TRUE(Feed(Frame(PKT_IP_INFO, std::string(sizeof(IpInfoRecord), 'a')) +
                     Frame(PKT_INFO_RESULT, std::string(sizeof(ProfileList), 'b')) + ok.substr(0, 2)));
    EXPECT_EQ((std::vector<std::string>{"RL_IPInfo()", "RL_GotInfoRes()"}), Calls());
    ASSERT_TRUE(Feed(ok.substr(2)));
    EXPECT_EQ(300, session->Status());
}

TEST_F(SessionTest, ABrokenStreamIsDroppedAsIfTheServerHadClosedIt)
{
    ASSERT_TRUE(peer.Connected());
    Connected(peer);
    ASSERT_TRUE(Feed(std::string("\x10\x04\xff\xff", 4)));
    EXPECT_TRUE(Calls().empty());
    MSG posted;
    ASSERT_TRUE(PeekMessageA(&posted, g_hMainWnd, WM_USER + 50, WM_USER + 50, PM_REMOVE));
    session->OnSocketEvent(WSAGETSELECTERROR(posted.lParam), posted.lParam, posted.wParam);
    EXPECT_EQ(100, session->Status());
    EXPECT_TRUE(RetryPending());
}

TEST_F(SessionTest, TheServersQuestionsGoOfflineAndOnlyTheUsersYesGoesOn)
{
    ASSERT_TRUE(peer.Connected());
    Connected(peer);
    {
        BoxAnswerer no(IDNO);
        ASSERT_TRUE(Feed(Frame(PKT_VERSION_OLD) + Frame(PKT_IP_INFO, std::string(sizeof(IpInfoRecord), 'i'))));
        ASSERT_EQ(1u, no.Seen().size());
        EXPECT_EQ("Out-dated version.", no.Seen()[0].caption);
        EXPECT_EQ(0u, no.Seen()[0].text.find("You need a new version of 'KVX'."));
    }
    EXPECT_EQ(0, Recorder::Get().Count("RL_IPInfo")) << "the loop stops at the notice";
    EXPECT_EQ(100, session->Status());
    EXPECT_FALSE(RetryPending());
    EXPECT_FALSE(session->RetryArmed());

    for (const int answer : {IDNO, IDYES}) {
        WirePeer other;
        Connected(other);
        BoxAnswerer answerer(answer);
        ASSERT_TRUE(other.SendRaw(Frame(PKT_LOGIN_FAILED)));
        session->ReceivePackets();
        ASSERT_EQ(1u, answerer.Seen().size());
        EXPECT_EQ("Login Error", answerer.Seen()[0].caption);
        EXPECT_EQ(answer == IDYES ? 200 : 100, session->Status());
        EXPECT_EQ(answer == IDYES ? 0 : 10001, session->AccountNumber()) << "forgotten in memory only";
        EXPECT_EQ(10001, g_Settings->ReadInt("User", "ID"));
        EXPECT_EQ(answer == IDYES ? 1 : 0, Recorder::Get().Count("SK_Connect"));
        EXPECT_FALSE(RetryPending());
    }
}

TEST_F(SessionTest, TheLoginCarriesTheStoredPasswordCutToNineOrTheMissingValue)
{
    for (const auto& row : {std::make_pair("[User]\r\nID=10001\r\n", std::string("NONE")),
                            std::make_pair("[User]\r\nID=10001\r\nPW=0123456789ab\r\n", std::string("012345678"))}) {
        Make(row.first).SendLogin();
        ASSERT_EQ(1u, Recorder::Get().SentPackets().size());
        std::string record = std::string("\x11\x27\0\0", 4) + row.second;
        record.resize(16);
        EXPECT_EQ(record, Recorder::Get().SentPackets()[0].payload);
    }
}

TEST_F(SessionTest, ASignupIsStoredAndLoggedInEvenWhenKvxIniCannotBeWrittenAndACancelGoesOffline)
{
    for (const bool locked : {false, true}) {
        Make("");
        Recorder::Get().Script().signupResult = TRUE;
        Recorder::Get().Script().signupAccount = 10042;
        Recorder::Get().Script().signupPassword = "hunter2";
        // KVX.ini held by another process that lets nobody write it.
        HANDLE lock = locked ? CreateFileA("KVX.ini", GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr)
                             : INVALID_HANDLE_VALUE;
        BoxAnswerer answerer;
        session->RunSignup();
        if (lock != INVALID_HANDLE_VALUE) CloseHandle(lock);
        const std::vector<SeenBox> seen = answerer.Seen();
        ASSERT_EQ(locked ? 2u : 0u, seen.size()) << "the failed write, then the account to note down";
        if (locked) {
            EXPECT_EQ(0u, seen[1].text.find("Your new KVX# is 10042 and your password is hunter2."));
        }
        EXPECT_EQ(locked ? -1 : 10042, g_Settings->ReadInt("User", "ID"));
        EXPECT_EQ(10042, session->AccountNumber());
        ASSERT_EQ(1u, Recorder::Get().SentPackets().size());
        EXPECT_EQ(0u, Recorder::Get().SentPackets()[0].payload.find(std::string("\x3a\x27\0\0hunter2\0", 12)));
    }
    Recorder::Get().Script().signupAccount = 0;
    session->Connect();
    session->RunSignup();
    EXPECT_EQ(200, session->Status()) << "a wizard that made no account leaves the connection waiting";
    Recorder::Get().Script().signupResult = FALSE;
    session->RunSignup();
    EXPECT_EQ(100, session->Status()) << "a cancelled wizard goes offline";
    EXPECT_FALSE(session->RetryArmed());
}

} // namespace
