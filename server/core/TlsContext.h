// The server's TLS: its certificate and key (those named by --cert and --key, or a
// self-signed pair made once and kept beside the database), the context every connection's
// handshake uses (TLS 1.2 and later), and the certificate's SHA-256 fingerprint in the form
// clients pin it ("AB:CD:..."). Clients that run their own server pin that fingerprint.
#ifndef KVX_SERVER_TLS_CONTEXT_H
#define KVX_SERVER_TLS_CONTEXT_H

#include <asio.hpp>
#include <asio/ssl.hpp>

#include <memory>
#include <string>

#include "Options.h"

namespace kvxserver {

class TlsContext {
public:
    // Loads or makes the certificate; null with the reason in error when that failed.
    static std::unique_ptr<TlsContext> Make(const Options& options, std::string& error);

    asio::ssl::context& context() { return context_; }
    const std::string& fingerprint() const { return fingerprint_; }

    // Where a server without --cert and --key keeps its own pair.
    static std::string OwnCertPath(const std::string& databasePath) { return databasePath + ".cert.pem"; }
    static std::string OwnKeyPath(const std::string& databasePath) { return databasePath + ".key.pem"; }

private:
    TlsContext();

    asio::ssl::context context_;
    std::string fingerprint_;
};

} // namespace kvxserver

#endif
