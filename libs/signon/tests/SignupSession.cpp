#include "SignupSession.h"

#include <string.h>

#include "signon/signon.h"
#include "sockio/sockio.h"
#include "wire/Frame.h"
#include "wire/Packets.h"

namespace {

const UINT kSocketMessage = WM_USER + 50;
const UINT kDeliverMessage = WM_APP + 1;
const UINT kAgainMessage = WM_APP + 2;
const char kBarClass[] = "KVXSignupTestBar";

void RegisterBarClass(WNDPROC proc)
{
    WNDCLASSA wc = {};
    wc.lpfnWndProc = proc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = kBarClass;
    RegisterClassA(&wc);
}

} // namespace

SignupSession::SignupSession()
    : m_bar(nullptr), m_client(INVALID_SOCKET), m_server(INVALID_SOCKET), m_received(), m_fill(0)
{
    WSADATA data;
    WSAStartup(MAKEWORD(1, 1), &data);
    RegisterBarClass(&BarProc);
    m_bar = CreateWindowExA(WS_EX_TOOLWINDOW, kBarClass, "KVX", WS_POPUP | WS_VISIBLE, 800, 100, 199, 300,
                            nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    SetWindowLongPtrA(m_bar, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));

    SOCKET listener = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in address = {};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    int size = sizeof address;
    bind(listener, reinterpret_cast<sockaddr*>(&address), size);
    listen(listener, 1);
    getsockname(listener, reinterpret_cast<sockaddr*>(&address), &size);
    m_client = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    connect(m_client, reinterpret_cast<sockaddr*>(&address), size);
    m_server = accept(listener, nullptr, nullptr);
    closesocket(listener);
    // The client's connection works the same way: events arrive as window messages.
    WSAAsyncSelect(m_client, m_bar, kSocketMessage, FD_READ | FD_CLOSE);
}

SignupSession::~SignupSession()
{
    CloseClientSocket();
    if (m_server != INVALID_SOCKET) closesocket(m_server);
    DestroyWindow(m_bar);
    WSACleanup();
}

void SignupSession::CloseClientSocket()
{
    if (m_client == INVALID_SOCKET) return;
    closesocket(m_client);
    m_client = INVALID_SOCKET;
}

bool SignupSession::ReadFrame(PACKET_DATA* out, DWORD ms)
{
    const DWORD end = GetTickCount() + ms;
    for (;;) {
        const kvxwire::FrameView frame =
            kvxwire::PeekFrame(reinterpret_cast<const uint8_t*>(m_fromClient.data()), m_fromClient.size());
        if (frame.state == kvxwire::FrameState::Complete) {
            memset(out, 0, sizeof *out);
            out->type = frame.type;
            out->length = frame.length;
            memcpy(out->payload, frame.payload, frame.length);
            m_fromClient.erase(0, frame.frameSize);
            return true;
        }
        if (frame.state == kvxwire::FrameState::Broken) return false;
        const long left = static_cast<long>(end - GetTickCount());
        if (left <= 0) return false;
        fd_set readable;
        FD_ZERO(&readable);
        FD_SET(m_server, &readable);
        timeval wait = {0, (left < 100 ? left : 100) * 1000};
        if (select(0, &readable, nullptr, nullptr, &wait) != 1) continue;
        char chunk[512];
        const int got = recv(m_server, chunk, sizeof chunk, 0);
        if (got <= 0) return false;
        m_fromClient.append(chunk, static_cast<size_t>(got));
    }
}

void SignupSession::Answer(WORD type, const void* data, size_t length)
{
    uint8_t frame[kvxwire::kMaxFrame];
    const size_t size = kvxwire::EncodeFrame(type, data, length, frame, sizeof frame);
    send(m_server, reinterpret_cast<const char*>(frame), static_cast<int>(size), 0);
}

void SignupSession::DeliverThroughBar(const PACKET_DATA& packet)
{
    SendMessageA(m_bar, kDeliverMessage, 0, reinterpret_cast<LPARAM>(&packet));
}

void SignupSession::SignupAgainThroughBar(SignupAgain* again)
{
    PostMessageA(m_bar, kAgainMessage, 0, reinterpret_cast<LPARAM>(again));
}

LRESULT CALLBACK SignupSession::BarProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    SignupSession* self = reinterpret_cast<SignupSession*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (self && message == kSocketMessage && WSAGETSELECTEVENT(lParam) == FD_READ) {
        self->OnSocketEvent();
        return 0;
    }
    if (message == kAgainMessage) {
        SignupAgain* again = reinterpret_cast<SignupAgain*>(lParam);
        again->started = true;
        again->result = SO_Signup(window, &again->user, again->socket);
        return 0;
    }
    if (self && message == kDeliverMessage) {
        SO_Message(*reinterpret_cast<const PACKET_DATA*>(lParam), self->ClientSocket());
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

// The client's receive loop in small: receive, cut into packets, hand the sign-on range on.
void SignupSession::OnSocketEvent()
{
    const int got = recv(m_client, m_received + m_fill, static_cast<int>(sizeof m_received) - m_fill, 0);
    int newBytes = got > 0 ? got : 0;
    PACKET_DATA packet;
    while (SK_Parse(m_received, &m_fill, newBytes, &packet)) {
        newBytes = 0;
        if (packet.type >= PKT_SIGNON_FIRST && packet.type <= PKT_SIGNON_LAST) SO_Message(packet, ClientSocket());
    }
    if (m_fill < 0) m_fill = 0;
}
