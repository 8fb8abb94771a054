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
    DWORD timeout = 10000;
    setsockopt(s, SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&timeout), sizeof timeout);
    if (connect(s, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0) return s;
    closesocket(s);
    return INVALID_SOCKET;
}

sockaddr_in Address(const char* dotted, u_short port)
{
    sockaddr_in address = {};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = inet_addr(dotted);
    address.sin_port = htons(port);
    return address;
}

} // namespace

std::string Frame(uint16_t type, const std::string& payload)
{
    std::string out(kvxwire::kHeaderSize + payload.size(), '\0');
    out.resize(
        kvxwire::EncodeFrame(type, payload.data(), payload.size(), reinterpret_cast<uint8_t*>(&out[0]), out.size()));
    return out;
}

WirePeer::WirePeer(const std::string& address) : m_socket(ConnectTo(Address(address.c_str(), 2600)))
{
    auto tls = std::make_unique<TlsSession>();
    if (m_socket != kNone &&
        tls->Handshake(m_socket, address.c_str(), KnownFingerprint(address).c_str(), kWaitMs) == 0 &&
        tls->Open("", 0)) { // what came with the handshake
        m_held.swap(tls->Plain());
        m_tls = std::move(tls);
    }
}

WirePeer::WirePeer()
{
    SOCKET listener = NewSocket();
    sockaddr_in address = Address("127.0.0.1", 0);
    int size = sizeof address;
    if (bind(listener, reinterpret_cast<sockaddr*>(&address), size) == 0 && listen(listener, 1) == 0 &&
        getsockname(listener, reinterpret_cast<sockaddr*>(&address), &size) == 0 &&
        (m_other = ConnectTo(address)) != INVALID_SOCKET) {
        m_socket = accept(listener, nullptr, nullptr);
        u_long nonBlocking = 1;
        ioctlsocket(m_other, FIONBIO, &nonBlocking);
    }
    closesocket(listener);
}

WirePeer::~WirePeer()
{
    if (m_ownsOther && m_other != kNone) closesocket(m_other);
    if (m_socket != kNone) closesocket(m_socket);
}

uintptr_t WirePeer::TakeOther()
{
    m_ownsOther = false;
    return m_other;
}

bool WirePeer::SendRaw(const std::string& bytes)
{
    std::string records;
    if (m_tls && !m_tls->Seal(bytes.data(), bytes.size(), &records)) return false;
    const std::string& out = m_tls ? records : bytes;
    if (!SendAll(m_socket, out.data(), static_cast<int>(out.size()), kWaitMs)) return false;
    // Loopback delivery is not instant: wait until the other end holds every byte.
    u_long waiting = 0;
    for (int i = 0; m_other != kNone && i < 200; ++i, Sleep(5))
        if (ioctlsocket(m_other, FIONREAD, &waiting) == 0 && waiting >= bytes.size()) return true;
    return m_other == kNone;
}

bool WirePeer::Send(uint16_t type, const void* payload, size_t length)
{
    const std::string frame = Frame(type, std::string(static_cast<const char*>(payload), length));
    return !frame.empty() && SendRaw(frame);
}

bool WirePeer::Receive(uint16_t type, std::string* payload, uint16_t* gotType)
{
    char buffer[kvxwire::kMaxFrame];
    for (;;) {
        const kvxwire::FrameView frame =
            kvxwire::PeekFrame(reinterpret_cast<const uint8_t*>(m_held.data()), m_held.size());
        if (frame.state == kvxwire::FrameState::Broken) return false;
        if (frame.state == kvxwire::FrameState::Complete) {
            if (gotType) *gotType = frame.type;
            payload->assign(reinterpret_cast<const char*>(frame.payload), frame.length);
            m_held.erase(0, frame.frameSize);
            if (frame.type == type || type == 0) return true;
            continue;
        }
        const int n = ReceiveSome(m_socket, buffer, sizeof buffer, kWaitMs);
        if (n <= 0) return false;
        if (!m_tls) {
            m_held.append(buffer, static_cast<size_t>(n));
        } else {
            if (!m_tls->Open(buffer, static_cast<size_t>(n)) || m_tls->Ended()) return false;
            m_held += m_tls->Plain();
            m_tls->Plain().clear();
        }
    }
}

long SignUpOverWire(const std::string& address, const std::string& nickname, const std::string& email,
                    const std::string& password, std::string* error)
{
    WirePeer peer(address);
    const uint32_t build = BUILD_NUMBER;
    SignupRequestRecord request = {};
    lstrcpynA(request.nickname, nickname.c_str(), sizeof request.nickname);
    lstrcpynA(request.email, email.c_str(), sizeof request.email);
    lstrcpynA(request.password, password.c_str(), sizeof request.password);
    std::string payload;
    uint16_t type = 0;
    if (!peer.Send(PKT_VERSION, &build, sizeof build) || !peer.Receive(PKT_VERSION_OK, &payload) ||
        !peer.Send(PKT_SIGNUP_REQUEST, &request, sizeof request))
        return 0;
    while (peer.Receive(0, &payload, &type)) {
        if (type == PKT_SIGNUP_ERROR && error) *error = payload.c_str();
        if (type == PKT_SIGNUP_ERROR || (type == PKT_SIGNUP_OK && payload.size() >= sizeof(SignupOkRecord)))
            return type == PKT_SIGNUP_OK ? kvxwire::ReadU32(reinterpret_cast<const uint8_t*>(payload.data())) : 0;
    }
    return 0;
}

WireHand::WireHand(const std::string& address, long account, const std::string& password) : WirePeer(address)
{
    const uint32_t build = BUILD_NUMBER;
    LoginRecord login = {};
    login.account = static_cast<int32_t>(account);
    lstrcpynA(login.password, password.c_str(), sizeof login.password);
    std::string payload;
    uint16_t type = 0;
    m_loggedIn = Send(PKT_VERSION, &build, sizeof build) && Receive(PKT_VERSION_OK, &payload) &&
                 Send(PKT_LOGIN, &login, sizeof login) && Receive(0, &payload, &type) && type == PKT_LOGIN_OK;
}

bool WireHand::WaitForEvent(uint16_t kind, std::string* data)
{
    std::string payload;
    while (Receive(PKT_NEW_EVENT, &payload))
        if (payload.size() >= kEventDataOffset &&
            kvxwire::ReadU16(reinterpret_cast<const uint8_t*>(payload.data())) == kind) {
            if (data) *data = payload.substr(kEventDataOffset);
            return true;
        }
    return false;
}
