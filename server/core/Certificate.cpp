#include "Certificate.h"

#include <fcntl.h>
#include <openssl/pem.h>
#include <openssl/rand.h>
#include <openssl/x509v3.h>
#include <unistd.h>

#include <cstdio>
#include <functional>

namespace kvxserver {

namespace {

constexpr long kOwnCertDays = 3650;

// Written only by the owner.
bool Write(const std::string& path, mode_t mode, const std::function<int(std::FILE*)>& write)
{
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

} // namespace

bool Certificate::Load(const std::string& certPath, const std::string& keyPath, std::string& error)
{
    std::FILE* certFile = std::fopen(certPath.c_str(), "r");
    if (certFile != nullptr) {
        cert.reset(PEM_read_X509(certFile, nullptr, nullptr, nullptr));
        std::fclose(certFile);
    }
    std::FILE* keyFile = std::fopen(keyPath.c_str(), "r");
    if (keyFile != nullptr) {
        key.reset(PEM_read_PrivateKey(keyFile, nullptr, nullptr, nullptr));
        std::fclose(keyFile);
    }
    if (!cert) error = "cannot read a PEM certificate from " + certPath;
    if (cert && !key) error = "cannot read a PEM private key from " + keyPath;
    if (cert && key && X509_check_private_key(cert.get(), key.get()) != 1)
        error = keyPath + " is not the key of " + certPath;
    return error.empty();
}

bool Certificate::Generate()
{
    key.reset(EVP_EC_gen("P-256"));
    cert.reset(X509_new());
    X509* made = cert.get();
    if (!key || !made) return false;
    unsigned char serial[8];
    RAND_bytes(serial, sizeof serial);
    serial[0] &= 0x7f;
    BIGNUM* number = BN_bin2bn(serial, sizeof serial, nullptr);
    BN_to_ASN1_INTEGER(number, X509_get_serialNumber(made));
    BN_free(number);
    X509_set_version(made, 2);
    X509_gmtime_adj(X509_getm_notBefore(made), -3600);
    X509_gmtime_adj(X509_getm_notAfter(made), kOwnCertDays * 24 * 3600);
    X509_set_pubkey(made, key.get());
    X509_NAME* name = X509_get_subject_name(made);
    X509_NAME_add_entry_by_txt(name, "CN", MBSTRING_ASC, reinterpret_cast<const unsigned char*>("kvx-server"), -1, -1,
                               0);
    X509_set_issuer_name(made, name);
    X509V3_CTX v3;
    X509V3_set_ctx_nodb(&v3);
    X509V3_set_ctx(&v3, made, made, nullptr, nullptr, 0);
    X509_EXTENSION* names = X509V3_EXT_conf_nid(nullptr, &v3, NID_subject_alt_name, "DNS:localhost,IP:127.0.0.1");
    if (names == nullptr) return false;
    X509_add_ext(made, names, -1);
    X509_EXTENSION_free(names);
    return X509_sign(made, key.get(), EVP_sha256()) > 0;
}

bool Certificate::Save(const std::string& certPath, const std::string& keyPath) const
{
    return Write(keyPath, 0600,
                 [&](std::FILE* f) {
                     return PEM_write_PrivateKey(f, key.get(), nullptr, nullptr, 0, nullptr, nullptr);
                 }) &&
           Write(certPath, 0644, [&](std::FILE* f) { return PEM_write_X509(f, cert.get()); });
}

std::string Certificate::Fingerprint() const
{
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int size = 0;
    X509_digest(cert.get(), EVP_sha256(), digest, &size);
    std::string text;
    char byte[4];
    for (unsigned int i = 0; i < size; ++i) {
        std::snprintf(byte, sizeof byte, i ? ":%02X" : "%02X", digest[i]);
        text += byte;
    }
    return text;
}

} // namespace kvxserver
