// SHA-256 (FIPS 180-4), one definition for the client's libraries and the server, so a file's
// checksum is computed the same way wherever it is checked.
#ifndef KVX_WIRE_SHA256_H
#define KVX_WIRE_SHA256_H

#include <array>
#include <cstddef>
#include <cstdint>

namespace kvxwire {

class Sha256 {
public:
    using Digest = std::array<std::uint8_t, 32>;

    Sha256();
    void Add(const void* data, std::size_t size);
    // The digest of everything added; the object is spent afterwards.
    Digest Finish();

private:
    void Block(const std::uint8_t* block);

    std::uint32_t state_[8];
    std::uint8_t pending_[64];
    std::size_t pendingSize_;
    std::uint64_t totalBytes_;
};

} // namespace kvxwire

#endif
