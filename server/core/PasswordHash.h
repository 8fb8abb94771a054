// Password hashing with argon2id. The limits chosen go into each hash string, so a hash made
// with one setting verifies under any other. Hash and Verify are pure: safe on any thread.
#ifndef KVX_SERVER_PASSWORDHASH_H
#define KVX_SERVER_PASSWORDHASH_H

#include <cstddef>
#include <string>

namespace kvxserver {

class PasswordHash {
public:
    // fast: the cheapest limits the library allows, so tests do not spend seconds hashing.
    // Otherwise the library's interactive limits (tens of milliseconds, 64 MiB).
    explicit PasswordHash(bool fast);

    // False when the crypto library could not start; nothing else will work then.
    bool Ready() const { return ready_; }

    // The encoded hash, or empty when hashing failed (out of memory).
    std::string Hash(const std::string& password) const;
    bool Verify(const std::string& hash, const std::string& password) const;

private:
    bool ready_;
    unsigned long long opsLimit_;
    std::size_t memLimit_;
};

} // namespace kvxserver

#endif
