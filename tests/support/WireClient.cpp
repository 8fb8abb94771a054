#include "support/WireClient.h"

#include <winsock2.h>

#include <string.h>

#include "SocketWait.h"
#include "TlsSession.h"
#include "support/ServerProcess.h"
#include "wire/Frame.h"
#include "wire/Packets.h"

namespace {

const DWORD kWaitMs = 10000;

// A TLS connection to the test's server on `address`:2600, trusted by the fingerprint that
// server printed; false when either failed.
bool Dial(const std::string& address, SOCKET* s, TlsSession* tls)
{
    *s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in server = {};
    server.sin_family = AF_INET;
    server.sin_addr.s_addr = inet_addr(address.c_str());
    server.sin_port = htons(2600);
    return connect(*s, reinterpret_cast<sockaddr*>(&server), sizeof server) == 0 &&
           tls->Handshake(*s, address.c_str(), KnownFingerprint(address).c_str(), kWaitMs) == 0;
}

bool SendFrame(SOCKET s, TlsSession& tls, uint16_t type, const void* payload, size_t length)
{
    uint8_t frame[kvxwire::kMaxFrame];
    const size_t size = kvxwire::EncodeFrame(type, payload, length, frame, sizeof frame);
    std::string records;
    return size && tls.Seal(frame, size, &records) &&
           SendAll(s, records.data(), static_cast<int>(records.size()), kWaitMs);
}

// The next frame of `type` (0: any), skipping others; the session's plain text holds what
// was read ahead. False on close or timeout.
bool ReceiveFrame(SOCKET s, TlsSession& tls, uint16_t type, std::string* payload, uint16_t* gotType)
{
    std::string& held = tls.Plain();
    char buffer[kvxwire::kMaxFrame];
    for (;;) {
        const kvxwire::FrameView frame =
            kvxwire::PeekFrame(reinterpret_cast<const uint8_t*>(held.data()), held.size());
        if (frame.state == kvxwire::FrameState::Complete) {
            *gotType = frame.type;
            payload->assign(reinterpret_cast<const char*>(frame.payload), frame.length);
            held.erase(0, frame.frameSize);
            if (frame.type == type || type == 0) return true;
            continue;
        }
        if (frame.state == kvxwire::FrameState::Broken) return false;
        const int n = ReceiveSome(s, buffer, sizeof buffer, kWaitMs);
        if (n <= 0 || !tls.Open(buffer, static_cast<size_t>(n)) || tls.Ended()) {
            held.clear();
            return false;
        }
    }
}

} // namespace

long SignUpOverWire(const std::string& address, const std::string& nickname, const std::string& email,
                    const std::string& password, std::string* error)
{
    WSADATA data;
    WSAStartup(MAKEWORD(2, 2), &data);
    long account = 0;
    SOCKET s = INVALID_SOCKET;
    std::string payload;
    uint16_t type = 0;
    const uint32_t build = BUILD_NUMBER;
    TlsSession tls;
    if (Dial(address, &s, &tls) && SendFrame(s, tls, PKT_VERSION, &build, sizeof build) &&
        ReceiveFrame(s, tls, PKT_VERSION_OK, &payload, &type)) {
        SignupRequestRecord request = {};
        lstrcpynA(request.nickname, nickname.c_str(), sizeof request.nickname);
        lstrcpynA(request.email, email.c_str(), sizeof request.email);
        lstrcpynA(request.password, password.c_str(), sizeof request.password);
        if (SendFrame(s, tls, PKT_SIGNUP_REQUEST, &request, sizeof request)) {
            while (ReceiveFrame(s, tls, 0, &payload, &type)) {
                if (type == PKT_SIGNUP_OK && payload.size() >= sizeof(SignupOkRecord)) {
                    memcpy(&account, payload.data(), sizeof(int32_t));
                    break;
                }
                if (type == PKT_SIGNUP_ERROR) {
                    if (error) *error = std::string(payload.c_str());
                    break;
                }
            }
        }
    }
    closesocket(s);
    WSACleanup();
    return account;
}

WireHand::WireHand(const std::string& address, long account, const std::string& password)
    : m_tls(new TlsSession)
{
    WSADATA data;
    WSAStartup(MAKEWORD(2, 2), &data);
    SOCKET s = INVALID_SOCKET;
    const bool dialled = Dial(address, &s, m_tls.get());
    m_socket = s;
    const uint32_t build = BUILD_NUMBER;
    LoginRecord login = {};
    login.account = static_cast<int32_t>(account);
    lstrcpynA(login.password, password.c_str(), sizeof login.password);
    std::string payload;
    uint16_t type = 0;
    m_loggedIn = dialled && SendFrame(s, *m_tls, PKT_VERSION, &build, sizeof build) &&
                 ReceiveFrame(s, *m_tls, PKT_VERSION_OK, &payload, &type) &&
                 SendFrame(s, *m_tls, PKT_LOGIN, &login, sizeof login) &&
                 ReceiveFrame(s, *m_tls, 0, &payload, &type) && type == PKT_LOGIN_OK;
}

WireHand::~WireHand()
{
    closesocket(m_socket);
    WSACleanup();
}

bool WireHand::Send(uint16_t type, const void* payload, size_t length)
{
    return SendFrame(m_socket, *m_tls, type, payload, length);
}

bool WireHand::WaitForEvent(uint16_t kind, std::string* data)
{
    std::string payload;
    uint16_t type = 0;
    while (ReceiveFrame(m_socket, *m_tls, PKT_NEW_EVENT, &payload, &type)) {
        if (payload.size() < kEventDataOffset) continue;
        EventHead head;
        memcpy(&head, payload.data(), sizeof head);
        if (head.kind != kind) continue;
        if (data) *data = payload.substr(kEventDataOffset);
        return true;
    }
    return false;
}
