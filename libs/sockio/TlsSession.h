// The client's end of one TLS connection through Windows' own TLS (SChannel): handshake and
// certificate check on a connected socket, then records sealed for sending and received
// bytes opened into plain text, however the records fall across reads.
#ifndef KVX_SOCKIO_TLS_SESSION_H
#define KVX_SOCKIO_TLS_SESSION_H

#include <winsock2.h>
#define SECURITY_WIN32
#include <security.h>

#include <string>

class TlsSession {
public:
    TlsSession();
    ~TlsSession();
    TlsSession(const TlsSession&) = delete;
    TlsSession& operator=(const TlsSession&) = delete;

    // Runs the handshake on `s`, giving the server `waitMs` for each of its answers, and
    // checks the certificate: against the pinned SHA-256 fingerprint when `pin` is set
    // (hex digits, colons and case do not matter), else through the system's trust and the
    // name `host`. 0 when trusted, else SK_TLS_HANDSHAKE_FAILED or SK_TLS_CERT_REJECTED.
    int Handshake(SOCKET s, const char* host, const char* pin, DWORD waitMs);

    // Appends the records carrying `data` to *out; false when the session cannot seal.
    bool Seal(const void* data, size_t size, std::string* out);

    // Takes received record bytes; whole records are opened onto Plain(). False once the
    // stream is broken (a record that does not open), for good.
    bool Open(const char* data, size_t size);
    std::string& Plain() { return m_plain; }
    // The server ended the session (close_notify).
    bool Ended() const { return m_ended; }
    // Record bytes held that no read will announce (they came with the handshake).
    bool HoldsRecords() const { return !m_records.empty(); }

private:
    bool Exchange(SOCKET s, const char* host, DWORD waitMs);
    int CheckCertificate(const char* host, const char* pin);

    CredHandle m_credentials = {};
    CtxtHandle m_context = {};
    bool m_haveCredentials = false;
    bool m_haveContext = false;
    bool m_ready = false;
    bool m_broken = false;
    bool m_ended = false;
    SecPkgContext_StreamSizes m_sizes = {};
    std::string m_records; // received, not yet opened
    std::string m_plain;
};

#endif
