// A blocking client on loopback that speaks KVX frames inside TLS (or in clear, to see the
// server refuse that), with the handshake steps the real client takes as helpers. Every wait has a timeout, so a silent
// server fails a test instead of hanging it. The server's tests and benchmarks share it.
#ifndef KVX_SERVER_TESTS_WIRECLIENT_H
#define KVX_SERVER_TESTS_WIRECLIENT_H

#include <cstdint>
#include <string>
#include <vector>

typedef struct ssl_st SSL;

struct Frame {
    std::uint16_t type = 0;
    std::vector<std::uint8_t> payload;
};

class WireClient {
public:
    // Connects to host:port, from the loopback address source when one is given, and starts
    // TLS unless told to speak in clear. The certificate is not checked: these tests are
    // about the server's answers, the client's trust is tested with the client.
    explicit WireClient(std::uint16_t port, const char* host = "127.0.0.1", const char* source = nullptr,
                        bool tls = true);
    ~WireClient();
    WireClient(const WireClient&) = delete;
    WireClient& operator=(const WireClient&) = delete;

    bool Connected() const { return fd_ >= 0; }
    // The negotiated protocol ("TLSv1.3"), empty in clear.
    std::string Protocol() const;

    bool Send(std::uint16_t type, const void* payload = nullptr, std::size_t length = 0);
    bool SendRaw(const void* bytes, std::size_t length);

    // The next frame; type 0 when none came within timeoutMs or the server hung up.
    Frame Receive(int timeoutMs = 5000);
    // True when the server closes the connection within timeoutMs; frames meanwhile are
    // thrown away.
    bool ClosedWithin(int timeoutMs);

    // VERSION with build, answer type returned.
    std::uint16_t Version(std::uint32_t build);
    // SIGNUP_REQUEST; the new account number, or 0 with *error set to the server's text.
    std::int32_t Signup(const std::string& nickname, const std::string& email, const std::string& password,
                        std::string* error = nullptr);
    // LOGIN; the answer type (LOGIN_OK or LOGIN_FAILED).
    std::uint16_t Login(std::int32_t account, const std::string& password);

private:
    // Waits up to the deadline for bytes and appends them to buffer_; false on timeout or end.
    bool Fill(long long deadline);

    int fd_ = -1;
    SSL* ssl_ = nullptr;
    std::vector<std::uint8_t> buffer_;
    bool eof_ = false;
};

long long NowMs(); // a monotonic clock for deadlines

#endif
