#include "WireClient.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <openssl/ssl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cerrno>
#include <cstring>

#include "wire/Frame.h"
#include "wire/Packets.h"

namespace {

constexpr int kSendWaitMs = 5000;

SSL_CTX* ClientContext()
{
    static SSL_CTX* const context = [] {
        // TLS writes to a connection the server closed must fail, not end the test.
        signal(SIGPIPE, SIG_IGN);
        SSL_CTX* made = SSL_CTX_new(TLS_client_method());
        SSL_CTX_set_min_proto_version(made, TLS1_2_VERSION);
        return made;
    }();
    return context;
}

bool WaitFor(int fd, short events, int ms)
{
    pollfd p{fd, events, 0};
    return ms >= 0 && poll(&p, 1, ms) > 0;
}

} // namespace

long long NowMs()
{
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

WireClient::WireClient(std::uint16_t port, const char* host, const char* source, bool tls)
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
    if (tls) {
        ssl_ = SSL_new(ClientContext());
        SSL_set_fd(ssl_, fd_);
        SSL_set_tlsext_host_name(ssl_, host);
        if (SSL_connect(ssl_) != 1) { // turned away before or during the handshake
            SSL_free(ssl_);
            ssl_ = nullptr;
            close(fd_);
            fd_ = -1;
            eof_ = true;
            return;
        }
    }
    // Every later wait has its own deadline.
    fcntl(fd_, F_SETFL, fcntl(fd_, F_GETFL) | O_NONBLOCK);
}

WireClient::~WireClient()
{
    if (ssl_ != nullptr) SSL_free(ssl_);
    if (fd_ >= 0) close(fd_);
}

std::string WireClient::Protocol() const { return ssl_ != nullptr ? SSL_get_version(ssl_) : ""; }

bool WireClient::SendRaw(const void* bytes, std::size_t length)
{
    const auto* p = static_cast<const std::uint8_t*>(bytes);
    while (length > 0) {
        ssize_t n = 0;
        bool again = false;
        if (ssl_ != nullptr) {
            n = SSL_write(ssl_, p, static_cast<int>(length));
            again = n <= 0 && SSL_get_error(ssl_, static_cast<int>(n)) == SSL_ERROR_WANT_WRITE;
        } else {
            n = send(fd_, p, length, MSG_NOSIGNAL);
            again = n < 0 && errno == EAGAIN;
        }
        if (again && WaitFor(fd_, POLLOUT, kSendWaitMs)) continue;
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
    std::uint8_t chunk[16384];
    while (!eof_ && fd_ >= 0) {
        const bool held = ssl_ != nullptr && SSL_pending(ssl_) > 0;
        if (!held && !WaitFor(fd_, POLLIN, static_cast<int>(deadline - NowMs()))) return false;
        ssize_t n = 0;
        if (ssl_ != nullptr) {
            n = SSL_read(ssl_, chunk, sizeof chunk);
            if (n <= 0 && SSL_get_error(ssl_, static_cast<int>(n)) == SSL_ERROR_WANT_READ) continue;
        } else {
            n = recv(fd_, chunk, sizeof chunk, 0);
            if (n < 0 && errno == EAGAIN) continue;
        }
        if (n <= 0) {
            eof_ = true;
            return false;
        }
        buffer_.insert(buffer_.end(), chunk, chunk + n);
        return true;
    }
    return false;
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
    if (error != nullptr && answer.type == PKT_SIGNUP_ERROR)
        *error = std::string(text, std::find(text, answer.payload.end(), 0));
    return 0;
}

std::uint16_t WireClient::Login(std::int32_t account, const std::string& password)
{
    LoginRecord record{account, {}};
    std::strncpy(record.password, password.c_str(), sizeof record.password);
    Send(PKT_LOGIN, &record, sizeof record);
    return Receive().type;
}
