// Contact lists and the events kept for their receivers (messages, "added you" notices),
// in the account database. Every change is its own committed transaction, and the database
// syncs every commit, so what was answered as stored survives a crash. Event ids come from
// one counter for both kinds and are never reused. Used from the event loop thread only.
#ifndef KVX_SERVER_CONTACTSTORE_H
#define KVX_SERVER_CONTACTSTORE_H

#include <cstdint>
#include <string>
#include <vector>

#include "SqlDatabase.h"

namespace kvxserver {

class ContactStore {
public:
    // Entries beyond these are refused, so one account cannot fill the disk.
    static constexpr std::int64_t kMaxContacts = 1000;
    static constexpr std::int64_t kMaxStoredEvents = 1000;

    struct Entry {
        std::int32_t account = 0;
        std::string nickname;
    };

    struct StoredEvent {
        std::uint32_t id = 0;
        std::uint16_t kind = 0; // EVENT_MESSAGE or EVENT_ADDED_YOU
        std::int32_t from = 0;
        std::int64_t sentAt = 0; // seconds since the epoch
        std::string text;
    };

    enum class AddResult { Added, AlreadyListed, Refused };

    // db: the account store's open database, already migrated.
    explicit ContactStore(SqlDatabase& db);

    // The owner's list in the order the entries were added.
    std::vector<Entry> List(std::int32_t owner);
    bool Lists(std::int32_t owner, std::int32_t contact);
    AddResult Add(std::int32_t owner, std::int32_t contact);
    // False when the contact was not listed.
    bool Remove(std::int32_t owner, std::int32_t contact);

    // The new event's id, or 0 when it was not stored (the receiver has too many, or the
    // write failed).
    std::uint32_t StoreEvent(std::int32_t to, std::uint16_t kind, std::int32_t from, std::int64_t sentAt,
                             const std::string& text);
    // The owner's stored events, oldest first.
    std::vector<StoredEvent> Events(std::int32_t owner);
    // False when there is no such event of this owner.
    bool Forget(std::int32_t owner, std::uint32_t id);

private:
    SqlDatabase& db_;
};

} // namespace kvxserver

#endif
