#include "WireClient.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstring>

#include "wire/Frame.h"
#include "wire/Packets.h"

long long NowMs()
{
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

WireClient::WireClient(std::uint16_t port, const char* host, const char* source)
{
    fd_ = socket(AF_INET, SOCK_STREAM, 0);
    if (fd_ < 0) return;
    sockaddr_in address{AF_INET, htons(port), {}, {}}, from{AF_INET, 0, {}, {}};
    inet_pton(AF_INET, host, &address.sin_addr);
    const bool bound = source == nullptr || (inet_pton(AF_INET, source, &from.sin_addr) == 1 &&
                                             bind(fd_, reinterpret_cast<sockaddr*>(&from), sizeof from) == 0);
    if (!bound || connect(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        close(fd_);
        fd_ = -1;
        return;
    }
    int one = 1;
    setsockopt(fd_, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
}

WireClient::~WireClient()
{
    if (fd_ >= 0) close(fd_);
}

bool WireClient::SendRaw(const void* bytes, std::size_t length)
{
    const auto* p = static_cast<const std::uint8_t*>(bytes);
    while (length > 0) {
        const ssize_t n = send(fd_, p, length, MSG_NOSIGNAL);
        if (n <= 0) return false;
        p += n;
        length -= static_cast<std::size_t>(n);
    }
    return true;
}

bool WireClient::Send(std::uint16_t type, const void* payload, std::size_t length)
{
    std::vector<std::uint8_t> frame(kvxwire::kHeaderSize + length);
    return kvxwire::EncodeFrame(type, payload, length, frame.data(), frame.size()) != 0 &&
           SendRaw(frame.data(), frame.size());
}

bool WireClient::Fill(long long deadline)
{
    const long long left = deadline - NowMs();
    pollfd p{fd_, POLLIN, 0};
    if (eof_ || fd_ < 0 || left < 0 || poll(&p, 1, static_cast<int>(left)) <= 0) return false;
    std::uint8_t chunk[16384];
    const ssize_t n = recv(fd_, chunk, sizeof chunk, 0);
    if (n <= 0) eof_ = true;
    if (n > 0) buffer_.insert(buffer_.end(), chunk, chunk + n);
    return n > 0;
}

Frame WireClient::Receive(int timeoutMs)
{
    const long long deadline = NowMs() + timeoutMs;
    for (;;) {
        const kvxwire::FrameView view = kvxwire::PeekFrame(buffer_.data(), buffer_.size());
        if (view.state == kvxwire::FrameState::Complete) {
            Frame frame{view.type, std::vector<std::uint8_t>(view.payload, view.payload + view.length)};
            buffer_.erase(buffer_.begin(), buffer_.begin() + static_cast<long>(view.frameSize));
            return frame;
        }
        if (view.state == kvxwire::FrameState::Broken || !Fill(deadline)) return Frame{};
    }
}

bool WireClient::ClosedWithin(int timeoutMs)
{
    const long long deadline = NowMs() + timeoutMs;
    while (!eof_ && Fill(deadline)) buffer_.clear();
    return eof_;
}

std::uint16_t WireClient::Version(std::uint32_t build)
{
    std::uint8_t payload[4];
    kvxwire::WriteU32(payload, build);
    Send(PKT_VERSION, payload, sizeof payload);
    return Receive().type;
}

std::int32_t WireClient::Signup(const std::string& nickname, const std::string& email, const std::string& password,
                                std::string* error)
{
    SignupRequestRecord record{};
    std::strncpy(record.nickname, nickname.c_str(), sizeof record.nickname);
    std::strncpy(record.email, email.c_str(), sizeof record.email);
    std::strncpy(record.password, password.c_str(), sizeof record.password);
    Send(PKT_SIGNUP_REQUEST, &record, sizeof record);
    const Frame answer = Receive();
    if (answer.type == PKT_SIGNUP_OK && answer.payload.size() >= sizeof(SignupOkRecord)) {
        return static_cast<std::int32_t>(kvxwire::ReadU32(answer.payload.data()));
    }
    const auto text = answer.payload.begin();
    if (error != nullptr && answer.type == PKT_SIGNUP_ERROR) *error = std::string(text, std::find(text, answer.payload.end(), 0));
    return 0;
}

std::uint16_t WireClient::Login(std::int32_t account, const std::string& password)
{
    LoginRecord record{account, {}};
    std::strncpy(record.password, password.c_str(), sizeof record.password);
    Send(PKT_LOGIN, &record, sizeof record);
    return Receive().type;
}
