#include "TlsContext.h"

#include <fcntl.h>
#include <openssl/evp.h>
#include <openssl/pem.h>
#include <openssl/rand.h>
#include <openssl/x509v3.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <functional>

#include "Log.h"

namespace kvxserver {

namespace {

constexpr long kOwnCertDays = 3650;

struct Pair {
    std::unique_ptr<X509, decltype(&X509_free)> cert{nullptr, X509_free};
    std::unique_ptr<EVP_PKEY, decltype(&EVP_PKEY_free)> key{nullptr, EVP_PKEY_free};
};

bool Exists(const std::string& path) { return access(path.c_str(), F_OK) == 0; }

bool Load(const std::string& certPath, const std::string& keyPath, Pair& pair, std::string& error) {
    std::FILE* certFile = std::fopen(certPath.c_str(), "r");
    if (certFile != nullptr) {
        pair.cert.reset(PEM_read_X509(certFile, nullptr, nullptr, nullptr));
        std::fclose(certFile);
    }
    std::FILE* keyFile = std::fopen(keyPath.c_str(), "r");
    if (keyFile != nullptr) {
        pair.key.reset(PEM_read_PrivateKey(keyFile, nullptr, nullptr, nullptr));
        std::fclose(keyFile);
    }
    if (!pair.cert) error = "cannot read a PEM certificate from " + certPath;
    if (pair.cert && !pair.key) error = "cannot read a PEM private key from " + keyPath;
    if (pair.cert && pair.key && X509_check_private_key(pair.cert.get(), pair.key.get()) != 1)
        error = keyPath + " is not the key of " + certPath;
    return error.empty();
}

// A P-256 key and a certificate for it signed by itself, for localhost and 127.0.0.1 (the
// clients of a self-run server pin its fingerprint rather than check its name).
bool Generate(Pair& pair) {
    pair.key.reset(EVP_EC_gen("P-256"));
    pair.cert.reset(X509_new());
    X509* cert = pair.cert.get();
    if (!pair.key || !cert) return false;
    unsigned char serial[8];
    RAND_bytes(serial, sizeof serial);
    serial[0] &= 0x7f;
    BIGNUM* number = BN_bin2bn(serial, sizeof serial, nullptr);
    BN_to_ASN1_INTEGER(number, X509_get_serialNumber(cert));
    BN_free(number);
    X509_set_version(cert, 2);
    X509_gmtime_adj(X509_getm_notBefore(cert), -3600);
    X509_gmtime_adj(X509_getm_notAfter(cert), kOwnCertDays * 24 * 3600);
    X509_set_pubkey(cert, pair.key.get());
    X509_NAME* name = X509_get_subject_name(cert);
    X509_NAME_add_entry_by_txt(name, "CN", MBSTRING_ASC, reinterpret_cast<const unsigned char*>("kvx-server"), -1,
                               -1, 0);
    X509_set_issuer_name(cert, name);
    X509V3_CTX v3;
    X509V3_set_ctx_nodb(&v3);
    X509V3_set_ctx(&v3, cert, cert, nullptr, nullptr, 0);
    X509_EXTENSION* names = X509V3_EXT_conf_nid(nullptr, &v3, NID_subject_alt_name, "DNS:localhost,IP:127.0.0.1");
    if (names == nullptr) return false;
    X509_add_ext(cert, names, -1);
    X509_EXTENSION_free(names);
    return X509_sign(cert, pair.key.get(), EVP_sha256()) > 0;
}

// Written only by the owner; the key is readable only by the owner.
bool Write(const std::string& path, mode_t mode, const std::function<int(std::FILE*)>& write) {
    const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, mode);
    if (fd < 0) return false;
    std::FILE* file = fdopen(fd, "w");
    if (file == nullptr) {
        close(fd);
        return false;
    }
    const bool written = write(file) == 1;
    return std::fclose(file) == 0 && written;
}

bool Save(const Pair& pair, const std::string& certPath, const std::string& keyPath) {
    return Write(keyPath, 0600,
                 [&](std::FILE* f) {
                     return PEM_write_PrivateKey(f, pair.key.get(), nullptr, nullptr, 0, nullptr, nullptr);
                 }) &&
           Write(certPath, 0644, [&](std::FILE* f) { return PEM_write_X509(f, pair.cert.get()); });
}

std::string Fingerprint(X509* cert) {
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int size = 0;
    X509_digest(cert, EVP_sha256(), digest, &size);
    std::string text;
    char byte[4];
    for (unsigned int i = 0; i < size; ++i) {
        std::snprintf(byte, sizeof byte, i ? ":%02X" : "%02X", digest[i]);
        text += byte;
    }
    return text;
}

} // namespace

TlsContext::TlsContext() : context_(asio::ssl::context::tls_server) {}

std::unique_ptr<TlsContext> TlsContext::Make(const Options& options, std::string& error) {
    Pair pair;
    const bool own = options.certPath.empty();
    const bool inMemory = options.databasePath == ":memory:";
    const std::string certPath = own ? OwnCertPath(options.databasePath) : options.certPath;
    const std::string keyPath = own ? OwnKeyPath(options.databasePath) : options.keyPath;
    if (!own || (!inMemory && Exists(certPath))) {
        if (!Load(certPath, keyPath, pair, error)) return nullptr;
    } else {
        if (!Generate(pair)) {
            error = "cannot make a self-signed certificate";
            return nullptr;
        }
        if (!inMemory && !Save(pair, certPath, keyPath)) {
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
    tls->fingerprint_ = Fingerprint(pair.cert.get());
    return tls;
}

} // namespace kvxserver
