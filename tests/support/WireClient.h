// A bare KVX protocol peer in the test process: frames written and read with the shared wire
// codec, and the steps of the real client's handshake, to play a client (or another user)
// against a real server, or the server for code under test. Every wait has a deadline, so a
// silent peer fails a test instead of hanging it. Only the transport is the platform's:
// Winsock and the client's own TLS under Wine, POSIX sockets and OpenSSL natively.
#ifndef KVX_TEST_WIRE_CLIENT_H
#define KVX_TEST_WIRE_CLIENT_H

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

// One frame as the wire carries it.
std::string Frame(std::uint16_t type, const std::string& payload = std::string());

// A frame read; type 0 when none came in time, the peer hung up or the stream broke.
struct Packet {
    std::uint16_t type = 0;
    std::string payload;
};

long long NowMs(); // a monotonic clock for deadlines

class WirePeer {
public:
#ifdef _WIN32
    // Connected to `address`:2600 through TLS, trusting the certificate the server started
    // there printed (ServerProcess).
    explicit WirePeer(const std::string& address);
    // The server's end of a loopback pair in clear, whose other end, non-blocking like a
    // socket under WSAAsyncSelect, goes to code under test (TakeOther).
    WirePeer();
    // Hands the other end over to code that will close it.
    std::uintptr_t TakeOther();
#else
    // Connected to host:port, from the loopback address `source` when given, inside TLS
    // unless told to speak in clear (to see the server refuse that). The certificate is not
    // checked: these tests are about the server's answers, the client's trust is tested with
    // the client.
    explicit WirePeer(std::uint16_t port, const char* host = "127.0.0.1", const char* source = nullptr,
                      bool tls = true);
#endif
    ~WirePeer();
    WirePeer(const WirePeer&) = delete;
    WirePeer& operator=(const WirePeer&) = delete;

    bool Connected() const;
    // Raw bytes; with a pair, returns once the other end can read them all.
    bool SendRaw(const void* bytes, std::size_t length);
    bool SendRaw(const std::string& bytes) { return SendRaw(bytes.data(), bytes.size()); }
    bool Send(std::uint16_t type, const void* payload = nullptr, std::size_t length = 0);
    Packet Receive(int timeoutMs = 10000);
    // True when the peer closes the connection within timeoutMs; frames meanwhile are thrown
    // away.
    bool ClosedWithin(int timeoutMs);
    bool Ended() const { return m_ended; } // the peer hung up or the stream broke

    // VERSION with build; the answer's type.
    std::uint16_t Version(std::uint32_t build);
    // SIGNUP_REQUEST; the new account number, or 0 with *error set to the server's text.
    std::int32_t Signup(const std::string& nickname, const std::string& email, const std::string& password,
                        std::string* error = nullptr);
    // LOGIN; the answer's type (LOGIN_OK or LOGIN_FAILED).
    std::uint16_t Login(std::int32_t account, const std::string& password);
    // The data of the next PKT_NEW_EVENT of `kind`, skipping everything else; false when none
    // came in time.
    bool WaitForEvent(std::uint16_t kind, std::string* data);

private:
    struct Link; // the platform's socket and TLS session

    bool Write(const void* bytes, std::size_t length);
    // Appends what arrives within timeoutMs to `into`: 1 when something came (perhaps only
    // part of a TLS record), 0 when nothing did, -1 when the connection ended.
    int Read(std::string& into, int timeoutMs);
    // Read up to the deadline, remembering the end.
    int Fill(long long deadline);

    std::unique_ptr<Link> m_link;
    std::string m_held; // read ahead, in clear
    bool m_ended = false;
};

#ifdef _WIN32
// Signs up over a fresh connection to `address`:2600; the new account number, or 0 (with
// the server's reason in *error when given) when the server refused or did not answer.
long SignUpOverWire(const std::string& address, const std::string& nickname, const std::string& email,
                    const std::string& password, std::string* error = nullptr);

// A logged-in connection of another user, for a test that plays that user's part on the wire.
class WireHand : public WirePeer {
public:
    WireHand(const std::string& address, long account, const std::string& password);
    bool LoggedIn() const { return m_loggedIn; }

private:
    bool m_loggedIn = false;
};
#endif

#endif
