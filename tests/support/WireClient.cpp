#include "support/WireClient.h"

#include <winsock2.h>

#include <string.h>

#include "wire/Frame.h"
#include "wire/Packets.h"

namespace {

bool SendFrame(SOCKET s, uint16_t type, const void* payload, size_t length)
{
    uint8_t frame[kvxwire::kMaxFrame];
    const size_t size = kvxwire::EncodeFrame(type, payload, length, frame, sizeof frame);
    return size && send(s, reinterpret_cast<const char*>(frame), static_cast<int>(size), 0) == static_cast<int>(size);
}

// The next frame of `type` (0: any), skipping others, with `held` the bytes read ahead on
// this socket; false on close or timeout.
bool ReceiveFrame(SOCKET s, std::string& held, uint16_t type, std::string* payload, uint16_t* gotType)
{
    uint8_t buffer[kvxwire::kMaxFrame];
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
        const int n = recv(s, reinterpret_cast<char*>(buffer), sizeof buffer, 0);
        if (n <= 0) {
            held.clear();
            return false;
        }
        held.append(reinterpret_cast<const char*>(buffer), n);
    }
}

} // namespace

long SignUpOverWire(const std::string& address, const std::string& nickname, const std::string& email,
                    const std::string& password, std::string* error)
{
    WSADATA data;
    WSAStartup(MAKEWORD(2, 2), &data);
    long account = 0;
    SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in server = {};
    server.sin_family = AF_INET;
    server.sin_addr.s_addr = inet_addr(address.c_str());
    server.sin_port = htons(2600);
    DWORD timeout = 10000;
    setsockopt(s, SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&timeout), sizeof timeout);
    std::string payload, held;
    uint16_t type = 0;
    const uint32_t build = BUILD_NUMBER;
    if (connect(s, reinterpret_cast<sockaddr*>(&server), sizeof server) == 0 &&
        SendFrame(s, PKT_VERSION, &build, sizeof build) && ReceiveFrame(s, held, PKT_VERSION_OK, &payload, &type)) {
        SignupRequestRecord request = {};
        lstrcpynA(request.nickname, nickname.c_str(), sizeof request.nickname);
        lstrcpynA(request.email, email.c_str(), sizeof request.email);
        lstrcpynA(request.password, password.c_str(), sizeof request.password);
        if (SendFrame(s, PKT_SIGNUP_REQUEST, &request, sizeof request)) {
            while (ReceiveFrame(s, held, 0, &payload, &type)) {
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
{
    WSADATA data;
    WSAStartup(MAKEWORD(2, 2), &data);
    m_socket = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in server = {};
    server.sin_family = AF_INET;
    server.sin_addr.s_addr = inet_addr(address.c_str());
    server.sin_port = htons(2600);
    DWORD timeout = 10000;
    setsockopt(m_socket, SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&timeout), sizeof timeout);
    const uint32_t build = BUILD_NUMBER;
    LoginRecord login = {};
    login.account = static_cast<int32_t>(account);
    lstrcpynA(login.password, password.c_str(), sizeof login.password);
    std::string payload;
    uint16_t type = 0;
    m_loggedIn = connect(m_socket, reinterpret_cast<sockaddr*>(&server), sizeof server) == 0 &&
                 SendFrame(m_socket, PKT_VERSION, &build, sizeof build) &&
                 ReceiveFrame(m_socket, m_held, PKT_VERSION_OK, &payload, &type) &&
                 SendFrame(m_socket, PKT_LOGIN, &login, sizeof login) &&
                 ReceiveFrame(m_socket, m_held, 0, &payload, &type) && type == PKT_LOGIN_OK;
}

WireHand::~WireHand()
{
    closesocket(m_socket);
    WSACleanup();
}

bool WireHand::Send(uint16_t type, const void* payload, size_t length)
{
    return SendFrame(m_socket, type, payload, length);
}

bool WireHand::WaitForEvent(uint16_t kind, std::string* data)
{
    std::string payload;
    uint16_t type = 0;
    while (ReceiveFrame(m_socket, m_held, PKT_NEW_EVENT, &payload, &type)) {
        if (payload.size() < kEventDataOffset) continue;
        EventHead head;
        memcpy(&head, payload.data(), sizeof head);
        if (head.kind != kind) continue;
        if (data) *data = payload.substr(kEventDataOffset);
        return true;
    }
    return false;
}
