#include "SockioFixture.h"

#include "sockio/sockio.h"
#include "wire/Frame.h"

std::string Frame(WORD type, const std::string& payload)
{
    std::string out(kvxwire::kHeaderSize + payload.size(), '\0');
    kvxwire::EncodeFrame(type, payload.data(), payload.size(), reinterpret_cast<uint8_t*>(&out[0]), out.size());
    return out;
}

SockioTest::SockioTest()
{
    EXPECT_TRUE(SK_Init(1, 1));
    m_window = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
}

SockioTest::~SockioTest()
{
    DestroyWindow(m_window);
    if (m_listener != INVALID_SOCKET) closesocket(m_listener);
    WSACleanup();
}

std::vector<Seen> SockioTest::Collect(DWORD ms, size_t until)
{
    std::vector<Seen> seen;
    const DWORD end = GetTickCount() + ms;
    while (GetTickCount() < end && seen.size() < until) {
        MSG msg;
        while (PeekMessageA(&msg, m_window, 0, 0, PM_REMOVE))
            if (msg.message == kConnectMessage || msg.message == kEventMessage)
                seen.push_back({msg.message, msg.wParam, msg.lParam});
        Sleep(5);
    }
    return seen;
}

int SockioTest::Listen()
{
    m_listener = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in address = {};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    int size = sizeof address;
    bind(m_listener, reinterpret_cast<sockaddr*>(&address), size);
    listen(m_listener, 4);
    getsockname(m_listener, reinterpret_cast<sockaddr*>(&address), &size);
    return ntohs(address.sin_port);
}

SOCKET SockioTest::ConnectPair(SOCKET* server)
{
    const int port = Listen();
    SK_Connect(m_window, kConnectMessage, kEventMessage, "127.0.0.1", port);
    const auto seen = Collect(5000, 1);
    if (seen.size() != 1 || seen[0].wParam != CONNECT_DONE) return INVALID_SOCKET;
    *server = accept(m_listener, nullptr, nullptr);
    return static_cast<SOCKET>(seen[0].lParam);
}
