// Who is online right now and how: the sessions of every logged-in account, its presence,
// and the index from an account to its watchers (the online users whose lists hold it), so
// a change reaches exactly those users without a database look-up. Nothing here is stored:
// after a restart everyone is offline until they log in again. Event loop thread only.
#ifndef KVX_SERVER_PRESENCEHUB_H
#define KVX_SERVER_PRESENCEHUB_H

#include <cstddef>
#include <cstdint>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "ContactSink.h"
#include "StatusCodes.h"
#include "wire/Contacts.h"

namespace kvxserver {

struct Presence {
    std::uint16_t status = kStatusOffline;
    GameSpot game{};
    char away[kAwayField] = {};
};

class PresenceHub {
public:
    // Adds a session of the account, whose list holds `contacts`. True when it is the
    // account's first: the account has just come online (with status 100 until set).
    bool Join(std::int32_t account, const std::string& nickname, const std::vector<std::int32_t>& contacts,
              ContactSink& sink);
    // Removes the session. True when it was the account's last: it is offline now.
    bool Leave(std::int32_t account, ContactSink& sink);

    bool IsOnline(std::int32_t account) const;
    // Null when the account is offline.
    const Presence* PresenceOf(std::int32_t account) const;
    const std::string* NicknameOf(std::int32_t account) const;
    void SetPresence(std::int32_t account, const Presence& presence);

    // The online owner's list gained or lost the contact.
    void Watch(std::int32_t owner, std::int32_t contact);
    void Unwatch(std::int32_t owner, std::int32_t contact);

    // Hands the frame to every session of the account; false when it has none.
    bool Deliver(std::int32_t account, std::uint16_t type, const void* payload, std::size_t length);
    // Hands the frame to every session of every watcher of the account; returns the sessions.
    std::size_t DeliverToWatchers(std::int32_t account, std::uint16_t type, const void* payload, std::size_t length);

    std::size_t OnlineCount() const { return online_.size(); }

private:
    struct Online {
        std::vector<ContactSink*> sinks;
        std::string nickname;
        Presence presence;
        std::unordered_set<std::int32_t> watching; // the account's own list
    };

    std::unordered_map<std::int32_t, Online> online_;
    std::unordered_map<std::int32_t, std::unordered_set<std::int32_t>> watchers_;
};

} // namespace kvxserver

#endif
