// A bare KVX protocol peer in the test process: frames written and read with the shared
// wire codec over a loopback connection, to play the server for code under test, or another
// user (or the set-up of an account) against a real server, inside TLS as the client speaks
// it, trusting the certificate that server printed (ServerProcess).
#ifndef KVX_TEST_WIRE_CLIENT_H
#define KVX_TEST_WIRE_CLIENT_H

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

class TlsSession;

// One frame as the wire carries it.
std::string Frame(uint16_t type, const std::string& payload = std::string());

class WirePeer {
public:
    // Connected to `address`:2600 through TLS, reads waiting at most ten seconds.
    explicit WirePeer(const std::string& address);
    // The server's end of a loopback pair in clear, whose other end, non-blocking like a
    // socket under WSAAsyncSelect, goes to code under test (TakeOther).
    WirePeer();
    ~WirePeer();
    WirePeer(const WirePeer&) = delete;
    WirePeer& operator=(const WirePeer&) = delete;

    bool Connected() const { return m_socket != kNone && (m_tls || m_other != kNone); }
    // Hands the other end over to code that will close it.
    uintptr_t TakeOther();
    // Raw bytes; with a pair, returns once the other end can read them all.
    bool SendRaw(const std::string& bytes);
    bool Send(uint16_t type, const void* payload, size_t length);
    // The next frame of `type` (0: any), skipping others; false on close, timeout or a
    // broken stream.
    bool Receive(uint16_t type, std::string* payload, uint16_t* gotType = nullptr);

private:
    static const uintptr_t kNone = ~uintptr_t(0);
    uintptr_t m_socket = kNone;
    uintptr_t m_other = kNone;
    bool m_ownsOther = true;
    std::unique_ptr<TlsSession> m_tls; // null for a loopback pair
    std::string m_held;                // read ahead, in clear
};

// Signs up over a fresh connection to `address`:2600; the new account number, or 0 (with
// the server's reason in *error when given) when the server refused or did not answer.
long SignUpOverWire(const std::string& address, const std::string& nickname, const std::string& email,
                    const std::string& password, std::string* error = nullptr);

// A logged-in connection of another user, for a test that plays that user's part on the wire.
class WireHand : public WirePeer {
public:
    WireHand(const std::string& address, long account, const std::string& password);
    bool LoggedIn() const { return m_loggedIn; }
    // The data of the next PKT_NEW_EVENT of `kind`, skipping everything else; false when
    // none came within ten seconds.
    bool WaitForEvent(uint16_t kind, std::string* data);

private:
    bool m_loggedIn = false;
};

#endif
