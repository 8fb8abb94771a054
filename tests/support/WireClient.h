// A bare KVX protocol client in the test process, for setting up accounts on a real server
// without the client under test. It speaks TLS as the client does, trusting the certificate
// the test's server (ServerProcess) printed.
#ifndef KVX_TEST_WIRE_CLIENT_H
#define KVX_TEST_WIRE_CLIENT_H

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

class TlsSession;

// Signs up over a fresh connection to `address`:2600; the new account number, or 0 (with
// the server's reason in *error when given) when the server refused or did not answer.
long SignUpOverWire(const std::string& address, const std::string& nickname, const std::string& email,
                    const std::string& password, std::string* error = nullptr);

// A logged-in connection of its own to the server, for a test that plays another user's
// part on the wire (what the user does, without that user's window).
class WireHand {
public:
    WireHand(const std::string& address, long account, const std::string& password);
    ~WireHand();
    WireHand(const WireHand&) = delete;
    WireHand& operator=(const WireHand&) = delete;

    bool LoggedIn() const { return m_loggedIn; }
    bool Send(uint16_t type, const void* payload, size_t length);
    // The data of the next PKT_NEW_EVENT of `kind`, skipping everything else; false when
    // none came within ten seconds.
    bool WaitForEvent(uint16_t kind, std::string* data);

private:
    uintptr_t m_socket = 0;
    std::unique_ptr<TlsSession> m_tls;
    bool m_loggedIn = false;
};

#endif
