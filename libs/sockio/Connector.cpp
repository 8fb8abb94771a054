#include "Connector.h"

#include <ws2tcpip.h>

#include <stdio.h>

#include <memory>

#include "Sessions.h"
#include "TlsSession.h"
#include "sockio.h"

namespace {

// The pinned fingerprint of a self-run server, from the client's settings; "NONE" is none.
std::string PinnedFingerprint()
{
    char pin[256] = "";
    GetPrivateProfileStringA("Server", "Fingerprint", "", pin, sizeof pin, ".\\KVX.ini");
    return lstrcmpiA(pin, "NONE") == 0 ? std::string() : std::string(pin);
}

} // namespace

Connector::Connector(HWND window, UINT connectMessage, UINT eventMessage, const char* host, int port)
    : m_window(window), m_connectMessage(connectMessage), m_eventMessage(eventMessage), m_host(host ? host : ""),
      m_port(port)
{
}

void Connector::Launch(Connector* connector)
{
    HANDLE thread = CreateThread(nullptr, 0, &Connector::Run, connector, 0, nullptr);
    if (thread) {
        CloseHandle(thread);
        return;
    }
    connector->Post(CONNECT_FAILED, static_cast<LPARAM>(GetLastError()));
    delete connector;
}

DWORD WINAPI Connector::Run(LPVOID self)
{
    Connector* connector = static_cast<Connector*>(self);
    LPARAM value = 0;
    const WPARAM code = connector->Attempt(&value);
    if (connector->Post(code, value) && code == CONNECT_DONE) connector->AnnounceWaiting(static_cast<SOCKET>(value));
    delete connector;
    return 0;
}

WPARAM Connector::Attempt(LPARAM* value)
{
    addrinfo hints = {};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_protocol = IPPROTO_TCP;
    addrinfo* found = nullptr;
    char port[16];
    snprintf(port, sizeof port, "%d", m_port);
    const int resolved = m_host.empty() ? WSAHOST_NOT_FOUND : getaddrinfo(m_host.c_str(), port, &hints, &found);
    if (resolved != 0 || !found) {
        *value = resolved ? resolved : WSAHOST_NOT_FOUND;
        return CONNECT_DNS_FAILED;
    }
    SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    if (s == INVALID_SOCKET) {
        *value = WSAGetLastError();
        freeaddrinfo(found);
        return CONNECT_SOCKET_FAILED;
    }
    sessions::Claim(s);
    int error = 0;
    const bool connected = ConnectWithDeadline(s, found->ai_addr, static_cast<int>(found->ai_addrlen), &error);
    freeaddrinfo(found);
    if (!connected) {
        closesocket(s);
        *value = error;
        return CONNECT_FAILED;
    }
    // Nothing is sent before the handshake completes, and nothing at all when it fails.
    std::unique_ptr<TlsSession> session(new TlsSession);
    const int trust = session->Handshake(s, m_host.c_str(), PinnedFingerprint().c_str(), kConnectTimeoutMs);
    if (trust != 0) {
        closesocket(s);
        *value = trust;
        return CONNECT_FAILED;
    }
    m_holdsRecords = session->HoldsRecords();
    sessions::Install(s, std::move(session));
    // From here on the socket's reads and closes reach the window as messages; data that
    // is already waiting is announced at once.
    if (WSAAsyncSelect(s, m_window, m_eventMessage, FD_READ | FD_CLOSE) != 0) {
        *value = WSAGetLastError();
        closesocket(s);
        return CONNECT_ASYNC_FAILED;
    }
    *value = static_cast<LPARAM>(s);
    return CONNECT_DONE;
}

// A blocking connect to an address that drops SYNs waits minutes; a deadline keeps the
// Connecting status honest.
bool Connector::ConnectWithDeadline(SOCKET s, const sockaddr* address, int length, int* error)
{
    u_long nonBlocking = 1;
    ioctlsocket(s, FIONBIO, &nonBlocking);
    if (connect(s, address, length) == 0) return true;
    if (WSAGetLastError() != WSAEWOULDBLOCK) {
        *error = WSAGetLastError();
        return false;
    }
    fd_set writable, failed;
    FD_ZERO(&writable);
    FD_ZERO(&failed);
    FD_SET(s, &writable);
    FD_SET(s, &failed);
    timeval deadline = {static_cast<long>(kConnectTimeoutMs / 1000), 0};
    const int ready = select(0, nullptr, &writable, &failed, &deadline);
    if (ready == 0) {
        *error = WSAETIMEDOUT;
        return false;
    }
    if (ready < 0) {
        *error = WSAGetLastError();
        return false;
    }
    int soError = 0;
    int size = sizeof soError;
    getsockopt(s, SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&soError), &size);
    if (FD_ISSET(s, &failed) || soError != 0) {
        *error = soError ? soError : WSAECONNREFUSED;
        return false;
    }
    return true;
}

bool Connector::Post(WPARAM code, LPARAM value)
{
    if (PostMessageA(m_window, m_connectMessage, code, value)) return true;
    // Nobody is left to take the connection.
    if (code == CONNECT_DONE) closesocket(static_cast<SOCKET>(value));
    return false;
}

// Winsock may post a read or close event between WSAAsyncSelect and the outcome; the
// receiver ignores it then, as it does not know the socket yet, and no further read event
// comes until it reads. Repeating the event after the outcome keeps such bytes from being
// stranded. A peek never consumes, so it cannot race the receiver into a false close: it
// finds the end of the stream only once the peer has really closed.
void Connector::AnnounceWaiting(SOCKET s)
{
    char first;
    const int peeked = recv(s, &first, 1, MSG_PEEK);
    // Records that came with the handshake wait in the session, not in the socket.
    if (peeked > 0 || m_holdsRecords)
        PostMessageA(m_window, m_eventMessage, static_cast<WPARAM>(s), WSAMAKESELECTREPLY(FD_READ, 0));
    if (peeked > 0) return;
    const int error = peeked == 0 ? 0 : WSAGetLastError();
    // Would-block: nothing waiting, or the receiver has read it already. Any error but a
    // dropped connection means the receiver has closed the socket itself.
    if (error != 0 && error != WSAECONNRESET && error != WSAECONNABORTED && error != WSAENETRESET) return;
    PostMessageA(m_window, m_eventMessage, static_cast<WPARAM>(s), WSAMAKESELECTREPLY(FD_CLOSE, error));
}
