#include "PasswordHash.h"

#include <sodium.h>

namespace kvxserver {

PasswordHash::PasswordHash(bool fast)
    : ready_(sodium_init() >= 0), opsLimit_(fast ? crypto_pwhash_OPSLIMIT_MIN : crypto_pwhash_OPSLIMIT_INTERACTIVE),
      memLimit_(fast ? crypto_pwhash_MEMLIMIT_MIN : crypto_pwhash_MEMLIMIT_INTERACTIVE)
{
}

std::string PasswordHash::Hash(const std::string& password) const
{
    char out[crypto_pwhash_STRBYTES];
    if (!ready_ || crypto_pwhash_str_alg(out, password.data(), password.size(), opsLimit_, memLimit_,
                                         crypto_pwhash_ALG_ARGON2ID13) != 0) {
        return std::string();
    }
    return std::string(out);
}

bool PasswordHash::Verify(const std::string& hash, const std::string& password) const
{
    if (!ready_ || hash.empty() || hash.size() >= crypto_pwhash_STRBYTES) return false;
    return crypto_pwhash_str_verify(hash.c_str(), password.data(), password.size()) == 0;
}

} // namespace kvxserver
