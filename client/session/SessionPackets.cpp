// CSession: connect outcomes, socket events, the receive loop and the packet dispatcher.
#include "session/Session.h"

#include <stdio.h>
#include <string.h>
#include <shellapi.h>
#include <winsock2.h>

#include "app/Globals.h"
#include "app/Product.h"
#include "app/Reporter.h"
#include "artres/artres.h"
#include "bar/BarTimers.h"
#include "menus/CommandIds.h"
#include "probe/probe.h"
#include "roster/roster.h"
#include "session/PacketRules.h"
#include "session/Status.h"
#include "signon/signon.h"
#include "sockio/sockio.h"
#include "winkit/winkit.h"
#include "wire/Frame.h"
#include "wire/Packets.h"

namespace {

const char kLoginErrorText[] = "Your login information could not be verified on the server.\n"
                               "Your account may have been deleted due to inactivity or you may have specified an "
                               "incorrect password.\n\nWould you like to create a new account or try a different KVX# "
                               "and password?";

const char kOutdatedFormat[] =
    "You need a new version of '%s'. We are continually improving and adding to this "
    "product.\n\nWould you like to have it automatically updated at this time?\n\nThe latest "
    "version is also always available at (%s).";

const DWORD kPacketPauseMs = 1;

struct ConnectFailure {
    WPARAM code;
    bool silentWhileArmed;
    const char* text;
};

const ConnectFailure kConnectFailures[] = {
    {CONNECT_FAILED, true, "Could not connect to KVX Server. Try again later."},
    {CONNECT_DNS_FAILED, true, "Could not resolve DNS."},
    {CONNECT_SOCKET_FAILED, false, "Could not create a new socket."},
    {CONNECT_ASYNC_FAILED, false, "Could not start asynchronous socket."},
};

} // namespace

void CSession::OnConnectResult(WPARAM code, LPARAM value)
{
    if (code < 1000) {
        if (m_retryArmed) SetRetry(true);
        SetStatus(STATUS_OFFLINE);
    }
    if (code == CONNECT_DONE) {
        KillTimer(g_hMainWnd, TIMER_RETRY);
        m_socket.Attach(static_cast<UINT_PTR>(value));
        const uint32_t build = BUILD_NUMBER;
        m_socket.Send(PKT_VERSION, &build, sizeof build);
        return;
    }
    for (const ConnectFailure& failure : kConnectFailures) {
        if (failure.code != code) continue;
        if (!(failure.silentWhileArmed && m_retryArmed))
            CReporter::SocketErrorCode(static_cast<int>(value), "%s", failure.text);
        return;
    }
}

void CSession::OnSocketEvent(WORD error, LPARAM event, WPARAM)
{
    const WORD what = LOWORD(event);
    if (error != 0 || what == FD_CLOSE) {
        SetStatus(STATUS_OFFLINE);
        SetRetry(true);
        return;
    }
    if (what == FD_READ) ReceivePackets();
}

void CSession::ReceivePackets()
{
    PACKET_DATA packet;
    while (m_socket.Receive(&packet)) {
        if (!DispatchPacket(packet)) return;
        Sleep(kPacketPauseMs);
    }
}

bool CSession::DispatchPacket(PACKET_DATA packet)
{
    const size_t length = packet.length < sizeof packet.payload ? packet.length : sizeof packet.payload;
    // Records are read from the whole payload: what did not arrive is zero, never left over.
    memset(packet.payload + length, 0, sizeof packet.payload - length);
    switch (ClassifyPacket(packet.type, packet.payload, length)) {
    case PacketAction::SignOn: SO_Message(packet, m_socket.Handle()); break;
    case PacketAction::LoginFailed: OnLoginFailed(); break;
    case PacketAction::LoginOk: OnLoginOk(); break;
    case PacketAction::IpInfo: RL_IPInfo(reinterpret_cast<const IP_INFO_STRUCT*>(packet.payload)); break;
    case PacketAction::VersionOk:
        if (m_accountNumber >= 1) SendLogin();
        else RunSignup();
        break;
    case PacketAction::VersionOld: OnOutdatedVersion(); return false;
    case PacketAction::ServerMessage:
        // A text with no end of its own ends at the zeros after it, or at the payload's end.
        packet.payload[sizeof packet.payload - 1] = 0;
        WK_Info("Message from KVX Server", reinterpret_cast<const char*>(packet.payload), AR_Icon("On"));
        break;
    case PacketAction::InfoResult: RL_GotInfoRes(reinterpret_cast<const SEARCH_INFO_STRUCT*>(packet.payload)); break;
    case PacketAction::NewEvent: OnNewEvent(packet); break;
    case PacketAction::GameServers: PR_ServerList(packet.payload, static_cast<int>(length)); break;
    case PacketAction::Ignore: break;
    }
    return true;
}

void CSession::OnLoginFailed()
{
    SetStatus(CMD_OFFLINE);
    if (MessageBoxA(g_hMainWnd, kLoginErrorText, "Login Error", MB_YESNO | MB_ICONQUESTION) != IDYES) return;
    // Only the account in memory is forgotten, so the next connection asks for a sign-up
    // while the stored KVX# stays for another try.
    m_accountNumber = 0;
    Connect();
}

void CSession::OnLoginOk()
{
    SK_StartPingServer(g_hMainWnd);
    SK_StartEventServer(g_hMainWnd);
    RL_StartPingThread();
    RL_RefreshIP(m_socket.Handle());
    SetStatus(STATUS_ONLINE);
}

void CSession::OnNewEvent(const PACKET_DATA& packet)
{
    // The rules have checked that the data fits the event record; the payload holds it.
    const uint16_t length = kvxwire::ReadU16(packet.payload + offsetof(EventHead, length));
    unsigned char record[sizeof(EventHead) + kMaxEventData];
    memcpy(record, packet.payload, sizeof(EventHead));
    memcpy(record + sizeof(EventHead), packet.payload + kEventDataOffset, length);
    RL_NewEvent(record, length + static_cast<int>(sizeof(EventHead)), 0, 0, TRUE);
}

void CSession::OnOutdatedVersion()
{
    SetStatus(CMD_OFFLINE);
    char text[1024];
    snprintf(text, sizeof text, kOutdatedFormat, kProductName, kMakerSite);
    if (MessageBoxA(g_hMainWnd, text, "Out-dated version.", MB_YESNO | MB_ICONQUESTION) != IDYES) return;
    ShellExecuteA(nullptr, "open", "KVXPatch.exe", nullptr, nullptr, SW_SHOW);
    PostQuitMessage(0);
}
