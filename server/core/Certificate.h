// The certificate a KVX server shows: read from PEM files, or a self-signed P-256 pair made
// for localhost and 127.0.0.1 (its clients pin its fingerprint rather than check its name).
#ifndef KVX_SERVER_CERTIFICATE_H
#define KVX_SERVER_CERTIFICATE_H

#include <openssl/evp.h>
#include <openssl/x509.h>

#include <memory>
#include <string>

namespace kvxserver {

struct Certificate {
    std::unique_ptr<X509, decltype(&X509_free)> cert{nullptr, X509_free};
    std::unique_ptr<EVP_PKEY, decltype(&EVP_PKEY_free)> key{nullptr, EVP_PKEY_free};

    // False with the reason when the files cannot be read or do not belong together.
    bool Load(const std::string& certPath, const std::string& keyPath, std::string& error);
    bool Generate();
    // Writes the pair; the key readable only by its owner.
    bool Save(const std::string& certPath, const std::string& keyPath) const;
    // SHA-256 of the certificate as "AB:CD:...", the form clients pin.
    std::string Fingerprint() const;
};

} // namespace kvxserver

#endif
