// The wire peer's transport under Wine: Winsock, with the client's own TLS for a server.
#include <winsock2.h>

#include <algorithm>

#include "SocketWait.h"
#include "TlsSession.h"
#include "support/ServerProcess.h"
#include "support/WireClient.h"
#include "wire/Frame.h"
#include "wire/Packets.h"

namespace {

const DWORD kWaitMs = 10000;

SOCKET NewSocket()
{
    static const bool started = [] { // Winsock stays started for the life of the test process
        WSADATA data;
        return WSAStartup(MAKEWORD(2, 2), &data) == 0;
    }();
    return started ? socket(AF_INET, SOCK_STREAM, IPPROTO_TCP) : INVALID_SOCKET;
}

SOCKET ConnectTo(const sockaddr_in& address)
{
    SOCKET s = NewSocket();
    if (connect(s, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0) return s;
    closesocket(s);
    return INVALID_SOCKET;
}

sockaddr_in Address(const char* dotted, u_short port)
{
    sockaddr_in address = {AF_INET, htons(port), {}, {}};
    address.sin_addr.s_addr = inet_addr(dotted);
    return address;
}

} // namespace

struct WirePeer::Link {
    SOCKET socket = INVALID_SOCKET;
    SOCKET other = INVALID_SOCKET; // the code under test's end of a pair
    bool ownsOther = true;
    std::unique_ptr<TlsSession> tls; // null for a pair

    ~Link()
    {
        if (ownsOther && other != INVALID_SOCKET) closesocket(other);
        if (socket != INVALID_SOCKET) closesocket(socket);
    }
};

WirePeer::WirePeer(const std::string& address) : m_link(std::make_unique<Link>())
{
    m_link->socket = ConnectTo(Address(address.c_str(), 2600));
    auto tls = std::make_unique<TlsSession>();
    if (m_link->socket != INVALID_SOCKET &&
        tls->Handshake(m_link->socket, address.c_str(), KnownFingerprint(address).c_str(), kWaitMs) == 0 &&
        tls->Open("", 0)) { // what came with the handshake
        m_held.swap(tls->Plain());
        m_link->tls = std::move(tls);
    }
}

WirePeer::WirePeer() : m_link(std::make_unique<Link>())
{
    SOCKET listener = NewSocket();
    sockaddr_in address = Address("127.0.0.1", 0);
    int size = sizeof address;
    if (bind(listener, reinterpret_cast<sockaddr*>(&address), size) == 0 && listen(listener, 1) == 0 &&
        getsockname(listener, reinterpret_cast<sockaddr*>(&address), &size) == 0 &&
        (m_link->other = ConnectTo(address)) != INVALID_SOCKET) {
        m_link->socket = accept(listener, nullptr, nullptr);
        u_long nonBlocking = 1;
        ioctlsocket(m_link->other, FIONBIO, &nonBlocking);
    }
    closesocket(listener);
}

WirePeer::~WirePeer() = default;

std::uintptr_t WirePeer::TakeOther()
{
    m_link->ownsOther = false;
    return m_link->other;
}

bool WirePeer::Connected() const
{
    return m_link->socket != INVALID_SOCKET && (m_link->tls || m_link->other != INVALID_SOCKET);
}

bool WirePeer::Write(const void* bytes, std::size_t length)
{
    std::string records;
    if (m_link->tls && !m_link->tls->Seal(bytes, length, &records)) return false;
    const char* out = m_link->tls ? records.data() : static_cast<const char*>(bytes);
    const int size = static_cast<int>(m_link->tls ? records.size() : length);
    if (!SendAll(m_link->socket, out, size, kWaitMs)) return false;
    // Loopback delivery is not instant: wait until the other end holds every byte.
    u_long waiting = 0;
    for (int i = 0; m_link->other != INVALID_SOCKET && i < 200; ++i, Sleep(5))
        if (ioctlsocket(m_link->other, FIONREAD, &waiting) == 0 && waiting >= length) return true;
    return m_link->other == INVALID_SOCKET;
}

int WirePeer::Read(std::string& into, int timeoutMs)
{
    char buffer[kvxwire::kMaxFrame];
    const int n = ReceiveSome(m_link->socket, buffer, sizeof buffer, static_cast<DWORD>(std::max(0, timeoutMs)));
    if (n <= 0) return n == 0 ? -1 : 0;
    if (!m_link->tls) {
        into.append(buffer, static_cast<size_t>(n));
        return 1;
    }
    if (!m_link->tls->Open(buffer, static_cast<size_t>(n)) || m_link->tls->Ended()) return -1;
    into += m_link->tls->Plain();
    m_link->tls->Plain().clear();
    return 1;
}

long SignUpOverWire(const std::string& address, const std::string& nickname, const std::string& email,
                    const std::string& password, std::string* error)
{
    WirePeer peer(address);
    return peer.Version(BUILD_NUMBER) == PKT_VERSION_OK ? peer.Signup(nickname, email, password, error) : 0;
}

WireHand::WireHand(const std::string& address, long account, const std::string& password) : WirePeer(address)
{
    m_loggedIn =
        Version(BUILD_NUMBER) == PKT_VERSION_OK && Login(static_cast<std::int32_t>(account), password) == PKT_LOGIN_OK;
}
