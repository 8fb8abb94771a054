// Files sent through the server: one row per transfer in the account database, and its bytes
// in a file named by the transfer's id in the files folder. A row is an upload until it is
// marked stored, then an offer to its recipient until it is removed. Ids are never reused.
// Used from the event loop thread only.
#ifndef KVX_SERVER_TRANSFERSTORE_H
#define KVX_SERVER_TRANSFERSTORE_H

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "SqlDatabase.h"

namespace kvxserver {

class TransferStore {
public:
    struct Transfer {
        std::uint32_t id = 0;
        std::int32_t sender = 0;
        std::int32_t recipient = 0;
        std::string name;
        std::int64_t size = 0;
        std::array<std::uint8_t, 32> sha256{};
        std::int64_t createdAt = 0; // seconds since the epoch
        bool stored = false;
    };

    // db: the account store's open database, already migrated; folder: where the bytes go.
    TransferStore(SqlDatabase& db, std::string folder);

    // Makes the folder when missing; false with the reason when it cannot be had.
    bool Open(std::string& error);

    // The new transfer's id (its empty file made), or 0 when it could not be stored.
    std::uint32_t Create(const Transfer& transfer);
    bool Find(std::uint32_t id, Transfer& out);
    bool MarkStored(std::uint32_t id);
    // The row and its file; harmless when gone.
    void Remove(std::uint32_t id);
    // The stored offers waiting for the recipient, oldest first.
    std::vector<Transfer> OffersFor(std::int32_t recipient);
    // Uploads of the sender not stored yet.
    std::int64_t UnfinishedFrom(std::int32_t sender);
    // Ids of the transfers made before `time`.
    std::vector<std::uint32_t> MadeBefore(std::int64_t time);

    std::string PathOf(std::uint32_t id) const;

private:
    SqlDatabase& db_;
    std::string folder_;
};

} // namespace kvxserver

#endif
