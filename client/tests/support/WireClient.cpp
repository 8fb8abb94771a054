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

// The next frame of `type`, skipping others; false on close or timeout.
bool ReceiveFrame(SOCKET s, uint16_t type, std::string* payload, uint16_t* gotType)
{
    static thread_local std::string held;
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
    std::string payload;
    uint16_t type = 0;
    const uint32_t build = BUILD_NUMBER;
    if (connect(s, reinterpret_cast<sockaddr*>(&server), sizeof server) == 0 &&
        SendFrame(s, PKT_VERSION, &build, sizeof build) && ReceiveFrame(s, PKT_VERSION_OK, &payload, &type)) {
        SignupRequestRecord request = {};
        lstrcpynA(request.nickname, nickname.c_str(), sizeof request.nickname);
        lstrcpynA(request.email, email.c_str(), sizeof request.email);
        lstrcpynA(request.password, password.c_str(), sizeof request.password);
        if (SendFrame(s, PKT_SIGNUP_REQUEST, &request, sizeof request)) {
            while (ReceiveFrame(s, 0, &payload, &type)) {
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
