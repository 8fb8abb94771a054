// The session's status rules, reconnect policy, receive loop and packet dispatch, with
// recording doubles of the libraries, a real window and real loopback sockets.
#include <string>

#include "app/Globals.h"
#include "app/Settings.h"
#include "doubles/Recorder.h"
#include "menus/CommandIds.h"
#include "session/Session.h"
#include "sockio/sockio.h"
#include "support/InFolder.h"
#include "support/MessageBoxes.h"
#include "support/SocketPair.h"
#include "wire/Contacts.h"
#include "wire/Frame.h"
#include "wire/Packets.h"

namespace {

int g_statusNotices = 0;

LRESULT CALLBACK TestBarProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_USER + 7) ++g_statusNotices;
    return DefWindowProcA(window, message, wParam, lParam);
}

class SessionTest : public InScratchFolder {
protected:
    SessionTest()
    {
        WNDCLASSA wc = {};
        wc.lpfnWndProc = TestBarProc;
        wc.lpszClassName = "KVXSessionTestBar";
        RegisterClassA(&wc);
        g_hMainWnd = CreateWindowExA(0, wc.lpszClassName, "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
        g_Settings = new CSettings("KVX");
        Recorder::Get().Reset();
        g_statusNotices = 0;
    }
    ~SessionTest() override
    {
        delete session;
        delete g_Settings;
        g_Settings = nullptr;
        DestroyWindow(g_hMainWnd);
        g_hMainWnd = nullptr;
    }

    CSession& Make(const char* ini = "")
    {
        folder.Write("KVX.ini", ini);
        session = new CSession;
        return *session;
    }
    // A session that has just connected over the pair and sent its version.
    CSession& Connected(const char* ini = "[User]\r\nID=10001\r\nPW=secret\r\n")
    {
        Make(ini);
        session->Connect();
        session->OnConnectResult(CONNECT_DONE, static_cast<LPARAM>(pair.ReleaseClient()));
        Recorder::Get().Reset();
        return *session;
    }
    bool Feed(const std::string& bytes)
    {
        if (!pair.ServerSends(bytes)) return false;
        session->ReceivePackets();
        return true;
    }
    static int Calls(const char* name) { return Recorder::Get().Count(name); }
    static bool Called(const std::string& call)
    {
        for (const std::string& c : Recorder::Get().Calls())
            if (c == call) return true;
        return false;
    }
    // The socket events the session posted to the bar.
    static int PostedCloses()
    {
        int n = 0;
        MSG msg;
        while (PeekMessageA(&msg, g_hMainWnd, WM_USER + 50, WM_USER + 50, PM_REMOVE))
            if (WSAGETSELECTEVENT(msg.lParam) == FD_CLOSE && WSAGETSELECTERROR(msg.lParam) != 0) ++n;
        return n;
    }

    SocketPair pair;
    CSession* session = nullptr;
};

TEST_F(SessionTest, FirstRunReadsNoAccountAndWritesTheDefaultServer)
{
    CSession& s = Make();
    EXPECT_EQ(-1, s.AccountNumber());
    EXPECT_EQ(100, s.Status());
    EXPECT_TRUE(s.RetryArmed());
    char host[100];
    ASSERT_TRUE(g_Settings->ReadString("Server", "1", host, sizeof host));
    EXPECT_GT(strlen(host), 0u);
}

TEST_F(SessionTest, StatusChangesNeedALoginAndRepeatedStatusesChangeNothing)
{
    CSession& s = Make();
    s.SetStatus(600);
    EXPECT_EQ(100, s.Status()) << "a game while offline is refused";
    s.SetStatus(CMD_AWAY);
    EXPECT_EQ(1, Calls("RL_EditAway")) << "the away editor opens even while offline";
    EXPECT_EQ(100, s.Status());
    EXPECT_EQ(0, g_statusNotices);

    s.SetStatus(300);
    EXPECT_EQ(300, s.Status());
    EXPECT_TRUE(Called("RL_StatusChange(-1, 1)"));
    EXPECT_EQ(1, g_statusNotices);

    Recorder::Get().Reset();
    s.SetStatus(300);
    EXPECT_TRUE(Recorder::Get().Calls().empty());
    EXPECT_EQ(1, g_statusNotices) << "no notice for the same status";

    s.SetStatus(610);
    EXPECT_EQ(610, s.Status());
    s.SetStatus(CMD_NA);
    EXPECT_EQ(500, s.Status()) << "N/A is accepted from a game";
    Recorder::Get().Script().editAwayResult = 3;
    s.SetStatus(CMD_AWAY);
    EXPECT_EQ(500, s.Status()) << "a declined away editor leaves the status";
}

TEST_F(SessionTest, OfflineWhileOfflineStillStopsTheServicesButSendsNoNotice)
{
    CSession& s = Make();
    s.SetStatus(CMD_OFFLINE);
    const std::vector<std::string> expected = {"RL_StopPingThread()", "SK_StopPingServer()",
                                               "SK_StopEventServer()", "RL_Offline()"};
    EXPECT_EQ(expected, Recorder::Get().Calls());
    EXPECT_EQ(0, g_statusNotices);
    EXPECT_FALSE(s.RetryArmed());
}

TEST_F(SessionTest, ConnectStartsOnlyWhileOfflineAndAvailableWhileConnectingGoesOnline)
{
    CSession& s = Make("[Server]\r\n1=127.0.0.9\r\n");
    EXPECT_TRUE(s.Connect());
    EXPECT_EQ(200, s.Status());
    EXPECT_TRUE(Called("SK_Connect(1032, 1074, \"127.0.0.9\", 2600)"));
    EXPECT_FALSE(s.Connect());
    s.SetStatus(CMD_AVAILABLE);
    EXPECT_EQ(300, s.Status());
    EXPECT_EQ(1, Calls("SK_Connect"));
}

TEST_F(SessionTest, ConnectFailuresAreSilentWhileArmedAndReportedOnceTheUserChose)
{
    CSession& s = Make();
    {
        BoxAnswerer answerer;
        s.Connect();
        s.OnConnectResult(CONNECT_FAILED, WSAECONNREFUSED);
        s.Connect();
        s.OnConnectResult(CONNECT_DNS_FAILED, WSAHOST_NOT_FOUND);
        EXPECT_TRUE(answerer.Seen().empty());
    }
    EXPECT_EQ(100, s.Status());
    EXPECT_TRUE(s.RetryArmed());

    BoxAnswerer answerer;
    s.SetStatus(CMD_AVAILABLE);
    s.OnConnectResult(CONNECT_FAILED, WSAECONNREFUSED);
    s.Connect();
    s.OnConnectResult(CONNECT_SOCKET_FAILED, WSAEMFILE);
    const auto seen = answerer.Seen();
    ASSERT_EQ(2u, seen.size());
    EXPECT_EQ("KVX Winsock Error", seen[0].caption);
    EXPECT_EQ("Could not connect to KVX Server. Try again later.\n\nTest socket error text. (EC: 10061)", seen[0].text);
    EXPECT_EQ(0u, seen[1].text.find("Could not create a new socket.")) << seen[1].text;
    EXPECT_FALSE(s.RetryArmed());
}

TEST_F(SessionTest, SocketAndAsyncFailuresAreReportedEvenWhileArmed)
{
    CSession& s = Make();
    BoxAnswerer answerer;
    s.Connect();
    s.OnConnectResult(CONNECT_ASYNC_FAILED, WSAEINVAL);
    ASSERT_EQ(1u, answerer.Seen().size());
    EXPECT_EQ(0u, answerer.Seen()[0].text.find("Could not start asynchronous socket."));
    EXPECT_TRUE(s.RetryArmed()) << "and still retried";
}

TEST_F(SessionTest, ConnectDoneSendsTheBuildNumber)
{
    CSession& s = Make("[User]\r\nID=10001\r\n");
    s.Connect();
    s.OnConnectResult(CONNECT_DONE, 1234);
    ASSERT_EQ(1u, Recorder::Get().SentPackets().size());
    const SentPacket& version = Recorder::Get().SentPackets()[0];
    EXPECT_EQ(1234u, version.socket);
    EXPECT_EQ(PKT_VERSION, version.type);
    EXPECT_EQ(std::string("\x92\0\0\0", 4), version.payload);
    EXPECT_EQ(200, s.Status()) << "still connecting until the login answer";
}

TEST_F(SessionTest, OneReadDispatchesEveryWholePacketInOrderAndKeepsAPartialOne)
{
    ASSERT_TRUE(pair.Connected());
    Connected();
    const std::string info = Frame(PKT_IP_INFO, std::string(sizeof(IpInfoRecord), 'a'));
    const std::string result = Frame(PKT_INFO_RESULT, std::string(sizeof(ProfileList), 'b'));
    const std::string ok = Frame(PKT_LOGIN_OK);
    ASSERT_TRUE(Feed(info + result + ok.substr(0, 2)));
    const std::vector<std::string> first = {"RL_IPInfo()", "RL_GotInfoRes()"};
    EXPECT_EQ(first, Recorder::Get().Calls());

    Recorder::Get().Reset();
    ASSERT_TRUE(Feed(ok.substr(2)));
    const std::vector<std::string> login = {"SK_StartPingServer()", "SK_StartEventServer()", "RL_StartPingThread()",
                                            "RL_RefreshIP(" + std::to_string(session->SocketHandle()) + ")",
                                            "RL_StatusChange(10001, 1)"};
    EXPECT_EQ(login, Recorder::Get().Calls());
    EXPECT_EQ(300, session->Status());
    EXPECT_EQ(session->SocketHandle(), session->LoggedInSocket());
}

TEST_F(SessionTest, SignOnRangeGoesToTheWizardsAndItsNeighboursAreIgnored)
{
    ASSERT_TRUE(pair.Connected());
    Connected();
    ASSERT_TRUE(Feed(Frame(1199) + Frame(1200) + Frame(1300) + Frame(1301)));
    const std::vector<std::string> expected = {"SO_Message(1200, " + std::to_string(session->SocketHandle()) + ")",
                                               "SO_Message(1300, " + std::to_string(session->SocketHandle()) + ")"};
    EXPECT_EQ(expected, Recorder::Get().Calls());
}

TEST_F(SessionTest, ARecordPacketIsPassedOnShortOrLongAndOnlyAnOversizedEventIsDropped)
{
    ASSERT_TRUE(pair.Connected());
    Connected();
    // An event head whose length field says `data`, followed by `present` data bytes.
    const auto event = [](size_t data, size_t present) {
        std::string head(kEventDataOffset, '\0');
        head[2] = static_cast<char>(data & 0xFF);
        head[3] = static_cast<char>(data >> 8);
        return head + std::string(present, 'x');
    };
    struct Case {
        WORD type;
        std::string payload;
        const char* call; // null: ignored
    } const cases[] = {
        {PKT_IP_INFO, std::string(sizeof(IpInfoRecord), 'i'), "RL_IPInfo()"},
        {PKT_IP_INFO, std::string(sizeof(IpInfoRecord) - 1, 'i'), "RL_IPInfo()"},
        {PKT_IP_INFO, std::string(sizeof(IpInfoRecord) + 9, 'i'), "RL_IPInfo()"},
        {PKT_INFO_RESULT, std::string(sizeof(ProfileList), 'p'), "RL_GotInfoRes()"},
        {PKT_INFO_RESULT, std::string(sizeof(ProfileList) - 1, 'p'), "RL_GotInfoRes()"},
        {PKT_GAME_SERVERS, std::string(sizeof(GameServersHead), 'g'), "PR_ServerList(4)"},
        {PKT_GAME_SERVERS, std::string(sizeof(GameServersHead) - 1, 'g'), nullptr},
        {PKT_NEW_EVENT, event(0, 0), "RL_NewEvent(16, 0, 0, 1)"},
        {PKT_NEW_EVENT, event(5, 5), "RL_NewEvent(21, 0, 0, 1)"},
        {PKT_NEW_EVENT, event(5, 9), "RL_NewEvent(21, 0, 0, 1)"},
        {PKT_NEW_EVENT, event(5, 0).substr(0, 3), "RL_NewEvent(21, 0, 0, 1)"},
        {PKT_NEW_EVENT, event(5, 4), "RL_NewEvent(21, 0, 0, 1)"},
        {PKT_NEW_EVENT, event(kMaxEventData, kMaxEventData), "RL_NewEvent(1024, 0, 0, 1)"},
        {PKT_NEW_EVENT, event(kMaxEventData + 1, kMaxEventData + 1), nullptr},
    };
    for (const Case& c : cases) {
        Recorder::Get().Reset();
        ASSERT_TRUE(Feed(Frame(c.type, c.payload)));
        const std::vector<std::string> expected = c.call ? std::vector<std::string>{c.call} : std::vector<std::string>{};
        EXPECT_EQ(expected, Recorder::Get().Calls()) << "type " << c.type << ", " << c.payload.size() << " bytes";
    }
}

TEST_F(SessionTest, WhatAShortPacketLacksReachesTheLibraryAsZerosNotAsTheLastPacketsBytes)
{
    ASSERT_TRUE(pair.Connected());
    Connected();
    std::string head(kEventDataOffset, '\0');
    head[2] = 5; // five bytes of event data
    ASSERT_TRUE(Feed(Frame(PKT_NEW_EVENT, head + "abcde") + Frame(PKT_NEW_EVENT, head + "abcd")));
    EXPECT_EQ(head.substr(0, sizeof(EventHead)) + std::string("abcd\0", 5), Recorder::Get().HandedRecord());
}

TEST_F(SessionTest, ServerMessageWithoutAnEndIsCutAtThePayload)
{
    ASSERT_TRUE(pair.Connected());
    Connected();
    ASSERT_TRUE(Feed(Frame(PKT_SERVER_MESSAGE, std::string("Hello\0ignored", 13)) +
                     Frame(PKT_SERVER_MESSAGE, std::string(kvxwire::kMaxPayload, 'z'))));
    ASSERT_EQ(2 + 2, static_cast<int>(Recorder::Get().Calls().size())); // AR_Icon, WK_Info twice
    EXPECT_EQ("WK_Info(\"Message from KVX Server\", \"Hello\")", Recorder::Get().Calls()[1]);
    EXPECT_EQ(0u, Recorder::Get().Calls()[3].find("WK_Info(\"Message from KVX Server\", \"zzz"));
}

TEST_F(SessionTest, ABrokenStreamIsDroppedAndReportedAsAClose)
{
    ASSERT_TRUE(pair.Connected());
    Connected();
    ASSERT_TRUE(Feed(std::string("\x10\x04\xff\xff", 4)));
    EXPECT_TRUE(Recorder::Get().Calls().empty());
    EXPECT_EQ(1, PostedCloses());
    session->OnSocketEvent(WSAECONNABORTED, WSAMAKESELECTREPLY(FD_CLOSE, WSAECONNABORTED), 0);
    EXPECT_EQ(100, session->Status());
    EXPECT_TRUE(session->RetryArmed());
    EXPECT_EQ(0u, session->SocketHandle());
}

TEST_F(SessionTest, AnOutdatedClientStopsTheLoopAndStaysOfflineOnNo)
{
    ASSERT_TRUE(pair.Connected());
    Connected();
    BoxAnswerer answerer(IDNO);
    ASSERT_TRUE(Feed(Frame(PKT_VERSION_OLD) + Frame(PKT_IP_INFO)));
    ASSERT_EQ(1u, answerer.Seen().size());
    EXPECT_EQ("Out-dated version.", answerer.Seen()[0].caption);
    EXPECT_EQ(0u, answerer.Seen()[0].text.find("You need a new version of 'KVX'."));
    EXPECT_EQ(0, Calls("RL_IPInfo")) << "packets after it are not dispatched";
    EXPECT_EQ(100, session->Status());
    EXPECT_FALSE(session->RetryArmed());
}

TEST_F(SessionTest, LoginFailedYesForgetsTheAccountInMemoryOnlyAndReconnects)
{
    ASSERT_TRUE(pair.Connected());
    Connected();
    BoxAnswerer answerer(IDYES);
    ASSERT_TRUE(Feed(Frame(PKT_LOGIN_FAILED)));
    ASSERT_EQ(1u, answerer.Seen().size());
    EXPECT_EQ("Login Error", answerer.Seen()[0].caption);
    EXPECT_EQ(0, session->AccountNumber());
    EXPECT_EQ(10001, g_Settings->ReadInt("User", "ID"));
    EXPECT_EQ(200, session->Status());
    EXPECT_EQ(1, Calls("SK_Connect"));
}

TEST_F(SessionTest, LoginCarriesTheStoredPasswordCutToNineOrNone)
{
    for (const auto& ini_and_password : {std::make_pair("[User]\r\nID=10001\r\n", std::string("NONE")),
                                         std::make_pair("[User]\r\nID=10001\r\nPW=0123456789ab\r\n", std::string("012345678"))}) {
        delete session;
        Recorder::Get().Reset();
        CSession& s = Make(ini_and_password.first);
        s.SendLogin();
        ASSERT_EQ(1u, Recorder::Get().SentPackets().size());
        const std::string& payload = Recorder::Get().SentPackets()[0].payload;
        ASSERT_EQ(16u, payload.size());
        EXPECT_EQ(std::string("\x11\x27\0\0", 4), payload.substr(0, 4));
        EXPECT_EQ(ini_and_password.second, std::string(payload.c_str() + 4));
        EXPECT_EQ(std::string(12 - ini_and_password.second.size(), '\0'), payload.substr(4 + ini_and_password.second.size()));
    }
}

TEST_F(SessionTest, SignupStoresTheNewAccountAndLogsInOrGoesOfflineWhenCancelled)
{
    ASSERT_TRUE(pair.Connected());
    Connected("");
    Recorder::Get().Script().signupResult = TRUE;
    Recorder::Get().Script().signupAccount = 10042;
    Recorder::Get().Script().signupPassword = "hunter2";
    ASSERT_TRUE(Feed(Frame(PKT_VERSION_OK)));
    EXPECT_EQ(1, Calls("SO_Signup"));
    EXPECT_EQ(10042, session->AccountNumber());
    EXPECT_EQ(10042, g_Settings->ReadInt("User", "ID"));
    char password[32];
    ASSERT_TRUE(g_Settings->ReadString("User", "PW", password, sizeof password));
    EXPECT_STREQ("hunter2", password);
    ASSERT_EQ(1u, Recorder::Get().SentPackets().size());
    EXPECT_EQ(PKT_LOGIN, Recorder::Get().SentPackets()[0].type);

    Recorder::Get().Reset();
    session->RunSignup();
    EXPECT_EQ(100, session->Status()) << "a cancelled wizard goes offline";
    EXPECT_FALSE(session->RetryArmed());
}

TEST_F(SessionTest, ANewAccountThatCannotBeStoredIsShownToTheUserAndStillLogsIn)
{
    ASSERT_TRUE(pair.Connected());
    Connected("");
    // KVX.ini held by another process that lets nobody write it.
    HANDLE lock = CreateFileA("KVX.ini", GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, lock);
    Recorder::Get().Script().signupResult = TRUE;
    Recorder::Get().Script().signupAccount = 10042;
    Recorder::Get().Script().signupPassword = "hunter2";
    BoxAnswerer answerer;
    // Released before asserting: a failure must not leave KVX.ini locked for the tests after.
    const bool fed = Feed(Frame(PKT_VERSION_OK));
    CloseHandle(lock);
    ASSERT_TRUE(fed);
    const auto seen = answerer.Seen();
    ASSERT_EQ(2u, seen.size()) << "the failed write, then the account to note down";
    EXPECT_EQ(0u, seen[1].text.find("Your new KVX# is 10042 and your password is hunter2.")) << seen[1].text;
    ASSERT_EQ(1u, Recorder::Get().SentPackets().size());
    EXPECT_EQ(PKT_LOGIN, Recorder::Get().SentPackets()[0].type);
    EXPECT_EQ(0u, Recorder::Get().SentPackets()[0].payload.find(std::string("\x3a\x27\0\0hunter2\0", 12)));
}

TEST_F(SessionTest, SignupWithoutAnAccountLeavesTheConnectionWaiting)
{
    CSession& s = Make();
    s.Connect();
    Recorder::Get().Script().signupResult = TRUE;
    s.RunSignup();
    EXPECT_EQ(200, s.Status());
    EXPECT_TRUE(Recorder::Get().SentPackets().empty());
    EXPECT_EQ(-1, g_Settings->ReadInt("User", "ID"));
}

TEST_F(SessionTest, AlwaysOnTopTogglesFromMissingToOnAndBack)
{
    CSession& s = Make();
    s.OnCommand(CMD_ONTOP);
    EXPECT_EQ(1, g_Settings->ReadInt("Window", "OnTop"));
    EXPECT_TRUE(GetWindowLongA(g_hMainWnd, GWL_EXSTYLE) & WS_EX_TOPMOST);
    s.OnCommand(CMD_ONTOP);
    EXPECT_EQ(0, g_Settings->ReadInt("Window", "OnTop"));
    EXPECT_FALSE(GetWindowLongA(g_hMainWnd, GWL_EXSTYLE) & WS_EX_TOPMOST);
}

TEST_F(SessionTest, AlwaysOnTopIsAppliedWhenTheSettingCannotBeStored)
{
    CSession& s = Make();
    DeleteFileA("KVX.ini");
    CreateDirectoryA("KVX.ini", nullptr); // no file can be written in its place
    BoxAnswerer answerer;
    s.OnCommand(CMD_ONTOP);
    EXPECT_TRUE(GetWindowLongA(g_hMainWnd, GWL_EXSTYLE) & WS_EX_TOPMOST);
    EXPECT_EQ(1u, answerer.Seen().size()) << "the store reports the failed write";
}

TEST_F(SessionTest, FindUsersRunsWhileOfflineWithNoSocket)
{
    CSession& s = Make();
    s.OnCommand(CMD_FIND_USERS);
    const std::vector<std::string> expected = {"SO_Find(0)", "RL_RefreshIP(0)"};
    EXPECT_EQ(expected, Recorder::Get().Calls());
}

} // namespace
