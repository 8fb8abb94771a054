// The contact protocol of logged-in accounts (CONTACTS.md): lists, presence fan-out, stored
// messages and notices, chat lines, contact pings, search and profiles. Each session is a
// ContactSink; the same calls serve client connections and the demo's server-side users. In a
// cluster, the presence of accounts online here and what is sent to accounts on other nodes
// also go out through the cluster link.
#ifndef KVX_SERVER_CONTACTSERVICE_H
#define KVX_SERVER_CONTACTSERVICE_H

#include <cstddef>
#include <cstdint>
#include <string>

#include "AccountStore.h"
#include "ClusterLink.h"
#include "ContactSink.h"
#include "ContactStore.h"
#include "EventPacket.h"
#include "Options.h"
#include "PresenceHub.h"
#include "TransferService.h"
#include "wire/Contacts.h"

namespace kvxserver {

class ContactService {
public:
    ContactService(AccountStore& accounts, ContactStore& contacts, PresenceHub& hub, const Options& options);

    // Files sent to contacts go to this service, and its offers follow each list.
    void ServeTransfers(TransferService& transfers) { transfers_ = &transfers; }
    // The other nodes of a cluster; none by default.
    void SetCluster(ClusterLink* cluster) { cluster_ = cluster; }

    // True for the packet types this service answers once logged in.
    static bool Handles(std::uint16_t type);

    // A session of the account has logged in: it comes online as Online (300) if it was not,
    // and its watchers hear of it.
    void Join(std::int32_t account, ContactSink& sink);
    // The session has ended; when it was the account's last, its watchers get status 100.
    // Harmless for a session that never joined.
    void Leave(std::int32_t account, ContactSink& sink);

    // One packet from a logged-in session. False when its payload is shorter than its record:
    // such a packet changes nothing and counts as one that means nothing.
    bool OnPacket(std::int32_t account, ContactSink& sink, std::uint16_t type, const std::uint8_t* payload,
                  std::size_t length);

private:
    void SendList(std::int32_t account, ContactSink& sink);
    void OnStatus(std::int32_t account, const StatusRecord& record);
    void OnAdd(std::int32_t account, std::int32_t contact);
    void OnDelete(std::int32_t account, std::int32_t contact);
    void OnMessage(std::int32_t account, ContactSink& sink, const MessageSendRecord& record);
    void OnSearch(ContactSink& sink, const SearchRecord& record);
    void OnInfo(ContactSink& sink, std::int32_t account);
    void OnChat(std::int32_t account, ChatLineRecord record);
    // Relayed to every session of an online contact; an offline one is answered for.
    void OnPing(std::int32_t account, ContactSink& sink, PingRecord record);
    void OnPingReply(std::int32_t account, PingRecord record);

    ContactRecord RecordOf(std::int32_t account, const std::string& nickname) const
    {
        return hub_.RecordOf(account, nickname);
    }
    // Every session of the account, here or on another node.
    void Reach(std::int32_t account, const EventPacket& event);
    // The database could not be reached: the asking session is told so.
    void ReportStoreDown(ContactSink& sink, const char* what);
    ContactRecord AddedYouRecord(std::int32_t receiver, std::int32_t adder, std::uint32_t eventId);
    MessageRecord MessageOf(const ContactStore::StoredEvent& event);
    std::string NicknameOf(std::int32_t account);
    Profile ProfileOf(const AccountStore::Account& account) const;
    void Announce(std::int32_t account, const std::string& nickname);

    AccountStore& accounts_;
    ContactStore& contacts_;
    PresenceHub& hub_;
    const Options& options_;
    TransferService* transfers_ = nullptr;
    ClusterLink* cluster_ = nullptr;
};

} // namespace kvxserver

#endif
