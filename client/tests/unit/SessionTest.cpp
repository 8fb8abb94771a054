// The session's state tables with recording doubles of the libraries, a real window (its
// timers and notices) and a real loopback peer playing the server.
#include <winsock2.h>

#include <string>

#include "app/Globals.h"
#include "app/Settings.h"
#include "bar/BarTimers.h"
#include "doubles/Recorder.h"
#include "menus/CommandIds.h"
#include "records/Bar.h"
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
int g_notices = 0; // BAR_STATUS_CHANGED notices

class SessionTest : public InScratchFolder {
protected:
    SessionTest()
    {
        WNDCLASSA wc = {};
        wc.lpfnWndProc = [](HWND window, UINT message, WPARAM wParam, LPARAM lParam) -> LRESULT {
            g_notices += message == BAR_STATUS_CHANGED;
            return DefWindowProcA(window, message, wParam, lParam);
        };
        wc.lpszClassName = "KVXSessionTest";
        RegisterClassA(&wc);
        g_hMainWnd = CreateWindowExA(0, wc.lpszClassName, "", WS_POPUP, 0, 0, 9, 9, nullptr, nullptr, nullptr, nullptr);
    }
    ~SessionTest() override
    {
        Drop();
        DestroyWindow(g_hMainWnd);
    }
    void Drop()
    {
        delete session;
        delete g_Settings;
        session = nullptr;
        g_Settings = nullptr;
    }
    // A session on this KVX.ini, the log emptied.
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
    // Connected over a loopback peer, the version sent, the log emptied.
    CSession& Connected(WirePeer& over, const char* ini = kAccount)
    {
        Make(ini).Connect();
        session->OnConnectResult(CONNECT_DONE, static_cast<LPARAM>(over.TakeOther()));
        Recorder::Get().Reset();
        return *session;
    }
    void Feed(WirePeer& over, const std::string& bytes)
    {
        ASSERT_TRUE(over.SendRaw(bytes));
        session->ReceivePackets();
    }
    // `text` with every '#' replaced by the session's socket handle.
    std::string WithSocket(std::string text) const
    {
        for (size_t at; (at = text.find('#')) != std::string::npos;)
            text.replace(at, 1, std::to_string(session->SocketHandle()));
        return text;
    }
    // Whether the 20 s reconnect is pending (the check takes it away).
    static bool RetryPending() { return KillTimer(g_hMainWnd, TIMER_RETRY) != FALSE; }

    CSession* session = nullptr;
};

TEST_F(SessionTest, StatusChangesFollowTheStateTable)
{
    EXPECT_EQ(-1, Make("").AccountNumber()) << "a first run has no account";
    EXPECT_TRUE(session->RetryArmed());
    EXPECT_NE(std::string::npos, folder.Read("KVX.ini").find("[Server]\r\n1=server.kvx.example")) << "stored";
    const char* const kConnect = "SK_Connect(1032, 1074, \"127.0.0.9\", 2600)";
    const char* const kOffline = "RL_StopPingThread(); SK_StopPingServer(); SK_StopEventServer(); RL_Offline()";
    const struct {
        WORD from;
        unsigned code;
        int editor; // what the away editor answers
        WORD to;
        std::string calls;
    } rows[] = {
        {200, 400, 10, 200, ""}, // Away and the games need a login, even while connecting
        {200, 300, 10, 300, "RL_StatusChange(10001, 1)"},
        {300, 300, 10, 300, ""}, // the same status changes nothing
        {300, 600, 10, 600, "RL_StatusChange(10001, 1)"},
        {100, 0x10000 + 300, 10, 300, "RL_StatusChange(10001, 1)"}, // only the low 16 bits count
        {610, CMD_NA, 10, 500, "RL_EditAway(500); RL_StatusChange(10001, 1)"},
        {500, CMD_AWAY, 3, 500, "RL_EditAway(400)"}, // the editor declined
        {300, CMD_OFFLINE, 10, 100, kOffline + std::string("; RL_StatusChange(10001, 0)")},
        {100, CMD_OFFLINE, 10, 100, kOffline}, // even while offline
        {100, CMD_AVAILABLE, 10, 200, kConnect},
        {200, CMD_AVAILABLE, 10, 300, "RL_StatusChange(10001, 1)"}, // no second connect
    };
    CSession& s = Make();
    for (const auto& row : rows) {
        s.SetStatus(100);
        if (row.from == 200) s.Connect();
        if (row.from >= 300) s.SetStatus(300);
        s.SetStatus(row.from);
        Recorder::Get().Reset();
        Recorder::Get().Script().editAwayResult = row.editor;
        g_notices = 0;
        s.SetStatus(row.code);
        EXPECT_EQ(row.to, s.Status()) << row.from << " then " << row.code;
        EXPECT_EQ(row.calls, Recorder::Get().Joined()) << row.from << " then " << row.code;
        EXPECT_EQ(row.to != row.from ? 1 : 0, g_notices) << "one notice for a change, none else";
    }
}

TEST_F(SessionTest, FailuresAreSilentAndRetriedUntilTheUserChoseAndADropAlwaysRetries)
{
    const struct {
        bool userChose;
        WPARAM code;
        const char* report; // the start of the box's text, or no box
    } rows[] = {
        {false, CONNECT_FAILED, nullptr},
        {false, CONNECT_DNS_FAILED, nullptr},
        {false, CONNECT_SOCKET_FAILED, "Could not create a new socket."},
        {true, CONNECT_FAILED, "Could not connect to KVX Server. Try again later."},
        {true, CONNECT_DNS_FAILED, "Could not resolve DNS."},
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
        EXPECT_EQ(!row.userChose, RetryPending());
        const std::vector<SeenBox> seen = answerer.Seen();
        ASSERT_EQ(row.report ? 1u : 0u, seen.size());
        if (!row.report) continue;
        EXPECT_EQ(std::string(row.report) + "\n\nTest socket error text. (EC: 10061)", seen[0].text);
    }
    // A drop while logging in, then one while Online.
    for (const LPARAM event : {WSAMAKESELECTREPLY(FD_CLOSE, 0), WSAMAKESELECTREPLY(FD_READ, WSAECONNRESET)}) {
        WirePeer other;
        s.SetStatus(CMD_AVAILABLE);
        s.OnConnectResult(CONNECT_DONE, static_cast<LPARAM>(other.TakeOther()));
        EXPECT_EQ(0u, s.LoggedInSocket()) << "no socket for the libraries before the login";
        if (HIWORD(event)) s.SetStatus(CMD_AVAILABLE);
        EXPECT_EQ(HIWORD(event) != 0, s.LoggedInSocket() != 0);
        s.OnSocketEvent(HIWORD(event), event, 0);
        EXPECT_EQ(100, s.Status());
        EXPECT_TRUE(RetryPending());
        EXPECT_EQ(0u, s.SocketHandle()) << "the connection is closed";
    }
    s.OnConnectResult(CONNECT_FAILED, 10061);
    s.Connect();
    EXPECT_FALSE(RetryPending()) << "a connect takes the pending retry away";
    EXPECT_EQ(PKT_VERSION, Recorder::Get().Sent()[0].type) << "the first thing sent on a connection";
    EXPECT_EQ(std::string("\x92\0\0\0", 4), Recorder::Get().Sent()[0].payload);
}

TEST_F(SessionTest, EachPacketIsActedOnOnlyWhenItsTypeIsKnownAndItsPayloadHoldsItsRecord)
{
    WirePeer peer;
    Connected(peer);
    // One read dispatches every whole packet in order and keeps a part of one.
    const std::string ok = Frame(PKT_LOGIN_OK);
    Feed(peer, Frame(PKT_IP_INFO, std::string(sizeof(IpInfoRecord), 'a')) +
                   Frame(PKT_INFO_RESULT, std::string(sizeof(ProfileList), 'b')) + ok.substr(0, 2));
    EXPECT_EQ("RL_IPInfo(); RL_GotInfoRes()", Recorder::Get().Joined());
    // An event head whose length field says `data`, followed by `present` data bytes.
    const auto event = [](size_t data, size_t present) {
        std::string head(kEventDataOffset, '\0');
        head[2] = static_cast<char>(data & 0xFF);
        head[3] = static_cast<char>(data >> 8);
        return head + std::string(present, 'x');
    };
    const std::string z(kvxwire::kMaxPayload, 'z');
    const struct {
        WORD type;
        std::string payload;
        std::string calls; // '#' is the socket
    } rows[] = {
        {0, ok.substr(2),
         "SK_StartPingServer(); SK_StartEventServer(); RL_StartPingThread(); RL_RefreshIP(#); "
         "RL_StatusChange(10001, 1)"},
        {1199, "", ""},
        {1200, "", "SO_Message(1200, #)"},
        {1300, "", "SO_Message(1300, #)"},
        {1301, "", ""},
        {PKT_IP_INFO, std::string(sizeof(IpInfoRecord) - 1, 'i'), "RL_IPInfo()"},
        {PKT_INFO_RESULT, std::string(sizeof(ProfileList) - 1, 'p'), "RL_GotInfoRes()"},
        {PKT_GAME_SERVERS, std::string(sizeof(GameServersHead), 'g'), "PR_ServerList(4)"},
        {PKT_GAME_SERVERS, std::string(sizeof(GameServersHead) - 1, 'g'), ""},
        {PKT_NEW_EVENT, event(5, 5), "RL_NewEvent(21, 0, 0, 1)"},
        {PKT_NEW_EVENT, event(5, 0).substr(0, 3), "RL_NewEvent(21, 0, 0, 1)"},
        {PKT_NEW_EVENT, event(kMaxEventData, kMaxEventData), "RL_NewEvent(1024, 0, 0, 1)"},
        {PKT_NEW_EVENT, event(kMaxEventData + 1, kMaxEventData + 1), ""},
        {PKT_SERVER_MESSAGE, std::string("Hi\0ignored", 10),
         "AR_Icon(\"On\"); WK_Info(\"Message from KVX Server\", \"Hi\")"},
        {PKT_SERVER_MESSAGE, z, "AR_Icon(\"On\"); WK_Info(\"Message from KVX Server\", \"" + z + "\")"},
    };
    for (const auto& row : rows) {
        Recorder::Get().Reset();
        Feed(peer, row.type ? Frame(row.type, row.payload) : row.payload);
        EXPECT_EQ(WithSocket(row.calls), Recorder::Get().Joined()) << "type " << row.type << ", " << row.payload.size();
    }
    // What a short record lacks reaches the library as zeros, not as the last packet's bytes.
    Feed(peer, Frame(PKT_NEW_EVENT, event(5, 0) + "abcde") + Frame(PKT_NEW_EVENT, event(5, 0) + "abcd"));
    EXPECT_EQ(event(5, 0).substr(0, sizeof(EventHead)) + std::string("abcd\0", 5), Recorder::Get().HandedRecord());
    // A stream that is no frame at all is dropped as if the server had closed it.
    Feed(peer, std::string("\x10\x04\xff\xff", 4));
    MSG posted;
    ASSERT_TRUE(PeekMessageA(&posted, g_hMainWnd, BAR_SOCKET_EVENT, BAR_SOCKET_EVENT, PM_REMOVE));
    session->OnSocketEvent(WSAGETSELECTERROR(posted.lParam), posted.lParam, posted.wParam);
    EXPECT_EQ(100, session->Status());
    EXPECT_TRUE(RetryPending());

    // Which answer a version check gets depends on the stored account alone.
    for (const auto& account : {std::make_pair("[User]\r\nID=0\r\n", "SO_Signup(#)"),
                                std::make_pair("[User]\r\nID=1\r\n", "SK_WPacket(#, 1010, 16)")}) {
        WirePeer other;
        Connected(other, account.first);
        const std::string expected = WithSocket(account.second); // before a refused sign-up closes it
        Feed(other, Frame(PKT_VERSION_OK));
        EXPECT_TRUE(Recorder::Get().Has(expected)) << account.first;
    }
}

TEST_F(SessionTest, TheServersQuestionsGoOfflineAndOnlyTheUsersYesGoesOn)
{
    for (const int answer : {IDNO, IDYES, 0}) { // 0: an out-dated client, answered No
        WirePeer peer;
        Connected(peer);
        BoxAnswerer answerer(answer ? answer : IDNO);
        Feed(peer, Frame(answer ? PKT_LOGIN_FAILED : PKT_VERSION_OLD) +
                       Frame(PKT_IP_INFO, std::string(sizeof(IpInfoRecord), 'i')));
        ASSERT_EQ(1u, answerer.Seen().size());
        EXPECT_EQ(answer ? "Login Error" : "Out-dated version.", answerer.Seen()[0].caption);
        EXPECT_EQ(answer == IDYES ? 200 : 100, session->Status());
        EXPECT_EQ(answer == IDYES ? 0 : 10001, session->AccountNumber()) << "forgotten in memory only";
        EXPECT_EQ(10001, g_Settings->ReadInt("User", "ID"));
        EXPECT_EQ(answer == IDYES, Recorder::Get().Has("SK_Connect(1032, 1074, \"127.0.0.9\", 2600)"));
        EXPECT_EQ(answer != 0, Recorder::Get().Has("RL_IPInfo()")) << "the loop stops only at the out-dated notice";
        EXPECT_FALSE(session->RetryArmed());
    }
}

TEST_F(SessionTest, TheLoginCarriesTheStoredOrNewAccountEvenWhenKvxIniCannotStoreIt)
{
    for (const auto& row : {std::make_pair("[User]\r\nID=10001\r\n", std::string("NONE")),
                            std::make_pair("[User]\r\nID=10001\r\nPW=0123456789ab\r\n", std::string("012345678"))}) {
        Make(row.first).SendLogin();
        std::string record = std::string("\x11\x27\0\0", 4) + row.second;
        record.resize(16);
        EXPECT_EQ(record, Recorder::Get().Sent().at(0).payload) << "the password cut to nine, or the missing value";
    }
    for (const bool locked : {false, true}) {
        Make("").Connect();
        Recorder::Get().Script().signupResult = TRUE;
        Recorder::Get().Script().signupAccount = 10042;
        Recorder::Get().Script().signupPassword = "hunter2";
        // KVX.ini held by another process that lets nobody write it.
        HANDLE lock = locked ? CreateFileA("KVX.ini", GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr)
                             : INVALID_HANDLE_VALUE;
        BoxAnswerer answerer;
        session->RunSignup();
        if (locked) session->OnCommand(CMD_ONTOP);
        CloseHandle(lock);
        const std::vector<SeenBox> seen = answerer.Seen();
        ASSERT_EQ(locked ? 3u : 0u, seen.size()) << "the failed write, the account to note down, the failed write";
        EXPECT_TRUE(!locked ||
                    seen[0].text.find("Cannot save setting to INI file. (" + folder.Path() + "\\KVX.ini)\n\n") == 0);
        EXPECT_TRUE(!locked || seen[1].text.find("Your new KVX# is 10042 and your password is hunter2.") == 0);
        EXPECT_EQ(locked ? -1 : 10042, g_Settings->ReadInt("User", "ID"));
        EXPECT_EQ(locked, (GetWindowLongA(g_hMainWnd, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0)
            << "applied though not stored";
        EXPECT_EQ(0u, Recorder::Get().Sent().at(0).payload.find(std::string("\x3a\x27\0\0hunter2\0", 12)));
    }
    Recorder::Get().Script().signupAccount = 0;
    session->RunSignup();
    EXPECT_EQ(200, session->Status()) << "a wizard that made no account leaves the connection waiting";
    Recorder::Get().Script().signupResult = FALSE;
    session->RunSignup();
    EXPECT_EQ(100, session->Status()) << "a cancelled wizard goes offline";
    EXPECT_FALSE(session->RetryArmed());
}

} // namespace
