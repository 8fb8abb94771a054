#include "TlsContext.h"

#include <unistd.h>

#include "Certificate.h"
#include "Log.h"

namespace kvxserver {

TlsContext::TlsContext() : context_(asio::ssl::context::tls_server) {}

std::unique_ptr<TlsContext> TlsContext::Make(const Options& options, std::string& error)
{
    Certificate pair;
    const bool own = options.certPath.empty();
    const bool inMemory = options.databasePath == ":memory:";
    const std::string certPath = own ? OwnCertPath(options.databasePath) : options.certPath;
    const std::string keyPath = own ? OwnKeyPath(options.databasePath) : options.keyPath;
    if (!own || (!inMemory && access(certPath.c_str(), F_OK) == 0)) {
        if (!pair.Load(certPath, keyPath, error)) return nullptr;
    } else {
        if (!pair.Generate()) {
            error = "cannot make a self-signed certificate";
            return nullptr;
        }
        if (!inMemory && !pair.Save(certPath, keyPath)) {
            error = "cannot write " + certPath + " and " + keyPath;
            return nullptr;
        }
        if (!inMemory) LogLine("made a self-signed certificate, %s", certPath.c_str());
    }
    std::unique_ptr<TlsContext> tls(new TlsContext);
    SSL_CTX* native = tls->context_.native_handle();
    SSL_CTX_set_min_proto_version(native, TLS1_2_VERSION);
    SSL_CTX_set_options(native, SSL_OP_NO_COMPRESSION | SSL_OP_NO_RENEGOTIATION);
    // A named certificate file may go on with the chain up to its authority.
    const bool certified = own ? SSL_CTX_use_certificate(native, pair.cert.get()) == 1
                               : SSL_CTX_use_certificate_chain_file(native, certPath.c_str()) == 1;
    if (!certified || SSL_CTX_use_PrivateKey(native, pair.key.get()) != 1) {
        error = "the certificate or key cannot be used for TLS";
        return nullptr;
    }
    tls->fingerprint_ = pair.Fingerprint();
    return tls;
}

} // namespace kvxserver
