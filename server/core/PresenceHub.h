// Who is online right now and how: the sessions of every logged-in account, its presence,
// and the index from an account to its watchers (the online users whose lists hold it), so
// a change reaches exactly those users without a database look-up. In a cluster it also
// holds the accounts online on other nodes, as those nodes told of them; an account is
// either here or on one other node, never both. Nothing here is stored: after a restart
// everyone is offline until they log in again. Event loop thread only.
#ifndef KVX_SERVER_PRESENCEHUB_H
#define KVX_SERVER_PRESENCEHUB_H

#include <cstddef>
#include <cstdint>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <utility>
#include <vector>

#include "ContactSink.h"
#include "wire/Contacts.h"
#include "wire/Status.h"

namespace kvxserver {

struct Presence {
    std::uint16_t status = STATUS_OFFLINE;
    GameSpot game{};
    char away[kAwayField] = {};
};

class PresenceHub {
public:
    // Adds a session of the account, whose list holds `contacts`. True when it is the
    // account's first: the account has just come online here (with status 100 until set),
    // and no longer counts as online on another node.
    bool Join(std::int32_t account, const std::string& nickname, const std::vector<std::int32_t>& contacts,
              ContactSink& sink);
    // Removes the session. True when it was the account's last: it is offline now.
    bool Leave(std::int32_t account, ContactSink& sink);

    // Here or on another node.
    bool IsOnline(std::int32_t account) const;
    bool IsLocal(std::int32_t account) const { return online_.count(account) != 0; }
    // When the account came online here, in milliseconds since the epoch; 0 when it is not.
    std::uint64_t SinceOf(std::int32_t account) const;
    // Null when the account is offline.
    const Presence* PresenceOf(std::int32_t account) const;
    const std::string* NicknameOf(std::int32_t account) const;
    void SetPresence(std::int32_t account, const Presence& presence);
    // The account as its watchers see it now: nickname given, presence as known here.
    ContactRecord RecordOf(std::int32_t account, const std::string& nickname) const;

    // The account is online on another node, as that node says. mark orders the reports
    // of one node, so a full report can retire what it no longer holds. False when nothing
    // its watchers see has changed.
    bool SetRemote(std::int32_t account, const std::string& node, const std::string& nickname, const Presence& presence,
                   std::uint64_t mark);
    // The account has left the node; false when another node (or this one) holds it now.
    bool DropRemote(std::int32_t account, const std::string& node);
    // Every account of the node (reported before mark, when given), gone offline: their
    // numbers and nicknames.
    std::vector<std::pair<std::int32_t, std::string>> DropNode(const std::string& node,
                                                               std::uint64_t before = UINT64_MAX);
    // Removes every session of the account and returns them, without counting it offline.
    std::vector<ContactSink*> TakeSessions(std::int32_t account);
    // The accounts with a session here.
    std::vector<std::int32_t> LocalAccounts() const;

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
        std::uint64_t since = 0;
    };

    struct Remote {
        std::string node;
        std::string nickname;
        Presence presence;
        std::uint64_t mark = 0;
    };

    void Forget(std::unordered_map<std::int32_t, Online>::iterator entry);

    std::unordered_map<std::int32_t, Online> online_;
    std::unordered_map<std::int32_t, Remote> remote_;
    std::unordered_map<std::int32_t, std::unordered_set<std::int32_t>> watchers_;
};

} // namespace kvxserver

#endif
