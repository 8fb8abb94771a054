// The wire peer's transport natively: a POSIX socket, with OpenSSL for TLS.
#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <openssl/ssl.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>

#include "support/WireClient.h"

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

struct WirePeer::Link {
    int fd = -1;
    SSL* ssl = nullptr;

    ~Link()
    {
        if (ssl != nullptr) SSL_free(ssl);
        if (fd >= 0) close(fd);
    }
};

WirePeer::WirePeer(std::uint16_t port, const char* host, const char* source, bool tls)
    : m_link(std::make_unique<Link>())
{
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{AF_INET, htons(port), {}, {}}, from{AF_INET, 0, {}, {}};
    inet_pton(AF_INET, host, &address.sin_addr);
    const bool bound = source == nullptr || (inet_pton(AF_INET, source, &from.sin_addr) == 1 &&
                                             bind(fd, reinterpret_cast<sockaddr*>(&from), sizeof from) == 0);
    if (fd < 0 || !bound || connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        if (fd >= 0) close(fd);
        return;
    }
    int one = 1;
    setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    if (tls) {
        SSL* ssl = SSL_new(ClientContext());
        SSL_set_fd(ssl, fd);
        if (SSL_connect(ssl) != 1) { // turned away before or during the handshake
            SSL_free(ssl);
            close(fd);
            m_ended = true;
            return;
        }
        m_link->ssl = ssl;
    }
    // Every later wait has its own deadline.
    fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) | O_NONBLOCK);
    m_link->fd = fd;
}

WirePeer::~WirePeer() = default;

bool WirePeer::Connected() const { return m_link->fd >= 0; }

bool WirePeer::Write(const void* bytes, std::size_t length)
{
    const auto* p = static_cast<const std::uint8_t*>(bytes);
    while (length > 0) {
        ssize_t n = 0;
        bool again = false;
        if (m_link->ssl != nullptr) {
            n = SSL_write(m_link->ssl, p, static_cast<int>(length));
            again = n <= 0 && SSL_get_error(m_link->ssl, static_cast<int>(n)) == SSL_ERROR_WANT_WRITE;
        } else {
            n = send(m_link->fd, p, length, MSG_NOSIGNAL);
            again = n < 0 && errno == EAGAIN;
        }
        if (again && WaitFor(m_link->fd, POLLOUT, kSendWaitMs)) continue;
        if (n <= 0) return false;
        p += n;
        length -= static_cast<std::size_t>(n);
    }
    return true;
}

int WirePeer::Read(std::string& into, int timeoutMs)
{
    SSL* const ssl = m_link->ssl;
    if (m_link->fd < 0) return 0;
    const bool held = ssl != nullptr && SSL_pending(ssl) > 0;
    if (!held && !WaitFor(m_link->fd, POLLIN, timeoutMs)) return 0;
    char chunk[16384];
    ssize_t n = 0;
    if (ssl != nullptr) {
        n = SSL_read(ssl, chunk, sizeof chunk);
        if (n <= 0 && SSL_get_error(ssl, static_cast<int>(n)) == SSL_ERROR_WANT_READ) return 1;
    } else {
        n = recv(m_link->fd, chunk, sizeof chunk, 0);
        if (n < 0 && errno == EAGAIN) return 1;
    }
    if (n <= 0) return -1;
    into.append(chunk, static_cast<std::size_t>(n));
    return 1;
}
