#include "ContactService.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <vector>

#include "FixedField.h"
#include "wire/Frame.h"

namespace kvxserver {

namespace {

template <typename Record> bool ReadRecord(const std::uint8_t* payload, std::size_t length, Record& out)
{
    if (length < sizeof out) return false;
    std::memcpy(&out, payload, sizeof out);
    return true;
}

template <typename Record> EventPacket EventOf(std::uint16_t kind, std::int32_t from, const Record& record)
{
    return EventPacket(kind, from, &record, sizeof record);
}

void Send(ContactSink& sink, const EventPacket& event) { sink.Deliver(PKT_NEW_EVENT, event.data(), event.size()); }

std::uint32_t Now() { return static_cast<std::uint32_t>(std::time(nullptr)); }

// A decimal account number and nothing else, or 0.
std::int32_t ParseAccount(const std::string& text)
{
    if (text.empty() || text.size() > 10 || text.find_first_not_of("0123456789") != std::string::npos) return 0;
    errno = 0;
    const unsigned long long value = std::strtoull(text.c_str(), nullptr, 10);
    if (errno != 0 || value > INT32_MAX) return 0;
    return static_cast<std::int32_t>(value);
}

} // namespace

ContactService::ContactService(AccountStore& accounts, ContactStore& contacts, PresenceHub& hub, const Options& options)
    : accounts_(accounts), contacts_(contacts), hub_(hub), options_(options)
{
}

bool ContactService::Handles(std::uint16_t type)
{
    switch (type) {
    case PKT_CONTACTS_REQUEST:
    case PKT_EVENT_ACK:
    case PKT_STATUS:
    case PKT_CONTACT_ADD:
    case PKT_CONTACT_DELETE:
    case PKT_MESSAGE_SEND:
    case PKT_SEARCH:
    case PKT_INFO_REQUEST:
    case PKT_CHAT_LINE:
    case PKT_CONTACT_PING:
    case PKT_PING_REPLY: return true;
    default: return TransferService::Handles(type);
    }
}

void ContactService::Join(std::int32_t account, ContactSink& sink)
{
    const std::string nickname = NicknameOf(account);
    std::vector<std::int32_t> listed;
    for (const ContactStore::Entry& entry : contacts_.List(account)) listed.push_back(entry.account);
    if (!hub_.Join(account, nickname, listed, sink)) return;
    Presence online;
    online.status = STATUS_ONLINE;
    hub_.SetPresence(account, online);
    Announce(account, nickname);
}

void ContactService::Leave(std::int32_t account, ContactSink& sink)
{
    const std::string* known = hub_.NicknameOf(account);
    const std::string nickname = known != nullptr ? *known : std::string();
    if (hub_.Leave(account, sink)) Announce(account, nickname);
}

void ContactService::Announce(std::int32_t account, const std::string& nickname)
{
    const ContactRecord record = RecordOf(account, nickname);
    const EventPacket event = EventOf(EVENT_PRESENCE, account, record);
    hub_.DeliverToWatchers(account, PKT_NEW_EVENT, event.data(), event.size());
    if (cluster_ != nullptr) cluster_->PublishPresence(record);
}

void ContactService::Reach(std::int32_t account, const EventPacket& event)
{
    if (hub_.Deliver(account, PKT_NEW_EVENT, event.data(), event.size())) return;
    if (cluster_ != nullptr && hub_.IsOnline(account))
        cluster_->Forward(account, PKT_NEW_EVENT, event.data(), event.size());
}

void ContactService::ReportStoreDown(ContactSink& sink, const char* what)
{
    if (accounts_.Reachable()) return;
    char text[kvxwire::kMaxPayload];
    std::snprintf(text, sizeof text, "The server cannot reach its database: %s. Please try again in a moment.", what);
    sink.Deliver(PKT_SERVER_MESSAGE, text, std::strlen(text) + 1);
}

bool ContactService::OnPacket(std::int32_t account, ContactSink& sink, std::uint16_t type, const std::uint8_t* payload,
                              std::size_t length)
{
    switch (type) {
    case PKT_CONTACTS_REQUEST: SendList(account, sink); return true;
    case PKT_EVENT_ACK: {
        EventAckRecord ack;
        if (!ReadRecord(payload, length, ack)) return false;
        contacts_.Forget(account, ack.eventId);
        return true;
    }
    case PKT_STATUS: {
        StatusRecord status;
        if (!ReadRecord(payload, length, status)) return false;
        OnStatus(account, status);
        return true;
    }
    case PKT_CONTACT_ADD:
    case PKT_CONTACT_DELETE: {
        AccountRecord contact;
        if (!ReadRecord(payload, length, contact)) return false;
        if (type == PKT_CONTACT_ADD) {
            OnAdd(account, contact.account);
        } else {
            OnDelete(account, contact.account);
        }
        return true;
    }
    case PKT_MESSAGE_SEND: {
        MessageSendRecord message;
        if (!ReadRecord(payload, length, message)) return false;
        OnMessage(account, sink, message);
        return true;
    }
    case PKT_SEARCH: {
        SearchRecord search;
        if (!ReadRecord(payload, length, search)) return false;
        OnSearch(sink, search);
        return true;
    }
    case PKT_INFO_REQUEST: {
        AccountRecord who;
        if (!ReadRecord(payload, length, who)) return false;
        OnInfo(sink, who.account);
        return true;
    }
    case PKT_CHAT_LINE: {
        ChatLineRecord line;
        if (!ReadRecord(payload, length, line)) return false;
        OnChat(account, line);
        return true;
    }
    case PKT_CONTACT_PING:
    case PKT_PING_REPLY: {
        PingRecord ping;
        if (!ReadRecord(payload, length, ping)) return false;
        if (type == PKT_CONTACT_PING) {
            OnPing(account, sink, ping);
        } else {
            OnPingReply(account, ping);
        }
        return true;
    }
    default: return transfers_ != nullptr && transfers_->OnPacket(account, sink, type, payload, length);
    }
}

void ContactService::SendList(std::int32_t account, ContactSink& sink)
{
    for (const ContactStore::Entry& entry : contacts_.List(account)) {
        Send(sink, EventOf(EVENT_CONTACT, entry.account, RecordOf(entry.account, entry.nickname)));
    }
    Send(sink, EventPacket(EVENT_CONTACTS_END, 0, nullptr, 0));
    for (const ContactStore::StoredEvent& event : contacts_.Events(account)) {
        if (event.kind == EVENT_MESSAGE) {
            Send(sink, EventOf(EVENT_MESSAGE, event.from, MessageOf(event)));
        } else if (event.kind == EVENT_ADDED_YOU) {
            Send(sink, EventOf(EVENT_ADDED_YOU, event.from, AddedYouRecord(account, event.from, event.id)));
        }
    }
    if (transfers_ != nullptr) transfers_->SendOffers(account, sink);
    if (!options_.news.empty()) {
        char text[kMaxEventData];
        SetField(text, sizeof text, options_.news);
        Send(sink, EventPacket(EVENT_NEWS, 0, text, std::strlen(text) + 1));
    }
}

void ContactService::OnStatus(std::int32_t account, const StatusRecord& record)
{
    Presence presence;
    // Below 300 nobody is logged in; offline shows nothing of where the user is.
    if (record.status >= STATUS_ONLINE) {
        presence.status = record.status;
        presence.game = record.game;
        presence.game.info[sizeof presence.game.info - 1] = '\0';
        SetField(presence.away, sizeof presence.away, FieldText(record.away, sizeof record.away));
    }
    hub_.SetPresence(account, presence);
    const std::string* nickname = hub_.NicknameOf(account);
    Announce(account, nickname != nullptr ? *nickname : std::string());
}

void ContactService::OnAdd(std::int32_t account, std::int32_t contact)
{
    AccountStore::Account found;
    if (contact == account || contact < AccountStore::kFirstAccount || !accounts_.Find(contact, found)) return;
    const ContactStore::AddResult added = contacts_.Add(account, contact);
    if (added == ContactStore::AddResult::Refused) return;
    const EventPacket answer = EventOf(EVENT_CONTACT, contact, RecordOf(contact, found.nickname));
    // Every session of the owner, so a second login's list does not go stale.
    hub_.Deliver(account, PKT_NEW_EVENT, answer.data(), answer.size());
    if (added == ContactStore::AddResult::AlreadyListed) return;
    hub_.Watch(account, contact);
    const std::uint32_t id = contacts_.StoreEvent(contact, EVENT_ADDED_YOU, account, Now(), std::string());
    if (id == 0 || !hub_.IsOnline(contact)) return;
    Reach(contact, EventOf(EVENT_ADDED_YOU, account, AddedYouRecord(contact, account, id)));
}

void ContactService::OnDelete(std::int32_t account, std::int32_t contact)
{
    if (!contacts_.Remove(account, contact)) return;
    hub_.Unwatch(account, contact);
    const AccountRecord removed{contact};
    const EventPacket answer = EventOf(EVENT_CONTACT_REMOVED, contact, removed);
    hub_.Deliver(account, PKT_NEW_EVENT, answer.data(), answer.size());
}

void ContactService::OnMessage(std::int32_t account, ContactSink& sink, const MessageSendRecord& record)
{
    const std::string text = FieldText(record.text, sizeof record.text);
    AccountStore::Account recipient;
    if (record.to == account || text.empty() || record.to < AccountStore::kFirstAccount ||
        !accounts_.Find(record.to, recipient)) {
        ReportStoreDown(sink, "your message was not sent");
        return;
    }
    ContactStore::StoredEvent event;
    event.kind = EVENT_MESSAGE;
    event.from = account;
    event.sentAt = Now();
    event.text = text;
    event.id = contacts_.StoreEvent(record.to, EVENT_MESSAGE, account, event.sentAt, text);
    if (event.id == 0) {
        ReportStoreDown(sink, "your message was not sent");
        return;
    }
    const MessageSentRecord sent{record.clientTag, event.id};
    Send(sink, EventOf(EVENT_MESSAGE_SENT, record.to, sent));
    if (hub_.IsOnline(record.to)) Reach(record.to, EventOf(EVENT_MESSAGE, account, MessageOf(event)));
}

void ContactService::OnSearch(ContactSink& sink, const SearchRecord& record)
{
    const std::string text = FieldText(record.text, sizeof record.text);
    std::vector<AccountStore::Account> found;
    if (!text.empty()) {
        if (record.by == SEARCH_BY_NICKNAME) {
            found = accounts_.FindByNicknamePrefix(text, kMaxProfiles);
        } else if (record.by == SEARCH_BY_EMAIL) {
            found = accounts_.FindByEmail(text, kMaxProfiles);
        } else if (record.by == SEARCH_BY_ACCOUNT) {
            found.emplace_back();
            const std::int32_t number = ParseAccount(text);
            if (number < AccountStore::kFirstAccount || !accounts_.Find(number, found.back())) found.clear();
        }
    }
    ProfileList list{};
    for (const AccountStore::Account& account : found) {
        if (list.count == kMaxProfiles) break;
        list.entries[list.count++] = ProfileOf(account);
    }
    sink.Deliver(PKT_SEARCH_RESULT, &list, sizeof list);
}

void ContactService::OnInfo(ContactSink& sink, std::int32_t account)
{
    ProfileList list{};
    AccountStore::Account found;
    if (account >= AccountStore::kFirstAccount && accounts_.Find(account, found)) {
        list.entries[0] = ProfileOf(found);
        list.count = 1;
    }
    sink.Deliver(PKT_INFO_RESULT, &list, sizeof list);
}

void ContactService::OnChat(std::int32_t account, ChatLineRecord record)
{
    if (record.to == account || !hub_.IsOnline(record.to)) return;
    record.from = account;
    record.text[sizeof record.text - 1] = '\0';
    Reach(record.to, EventOf(EVENT_CHAT, account, record));
}

void ContactService::OnPing(std::int32_t account, ContactSink& sink, PingRecord record)
{
    if (record.to == account || record.to < AccountStore::kFirstAccount) return;
    record.from = account;
    record.result = PING_ANSWERED;
    record.reserved = 0;
    if (hub_.IsOnline(record.to)) {
        Reach(record.to, EventOf(EVENT_PING, account, record));
        return;
    }
    AccountStore::Account found;
    if (!accounts_.Find(record.to, found)) return;
    // Nobody there to answer: the pinger hears so at once rather than after its timeout.
    const PingRecord offline{account, record.to, record.tag, PING_OFFLINE, 0};
    Send(sink, EventOf(EVENT_PING_REPLY, record.to, offline));
}

void ContactService::OnPingReply(std::int32_t account, PingRecord record)
{
    if (record.to == account || !hub_.IsOnline(record.to)) return;
    record.from = account;
    record.result = PING_ANSWERED;
    record.reserved = 0;
    Reach(record.to, EventOf(EVENT_PING_REPLY, account, record));
}

ContactRecord ContactService::AddedYouRecord(std::int32_t receiver, std::int32_t adder, std::uint32_t eventId)
{
    ContactRecord record = RecordOf(adder, NicknameOf(adder));
    record.eventId = eventId;
    record.addFlag = contacts_.Lists(receiver, adder) ? 0 : 1;
    return record;
}

MessageRecord ContactService::MessageOf(const ContactStore::StoredEvent& event)
{
    MessageRecord record{};
    record.messageId = event.id;
    record.from = event.from;
    record.sentAt = static_cast<std::uint32_t>(event.sentAt);
    SetField(record.nickname, sizeof record.nickname, NicknameOf(event.from));
    SetField(record.text, sizeof record.text, event.text);
    return record;
}

std::string ContactService::NicknameOf(std::int32_t account)
{
    if (const std::string* online = hub_.NicknameOf(account)) return *online;
    AccountStore::Account found;
    return accounts_.Find(account, found) ? found.nickname : std::string();
}

Profile ContactService::ProfileOf(const AccountStore::Account& account) const
{
    Profile profile{};
    profile.account = account.number;
    const Presence* presence = hub_.PresenceOf(account.number);
    profile.status = presence != nullptr ? presence->status : STATUS_OFFLINE;
    SetField(profile.nickname, sizeof profile.nickname, account.nickname);
    SetField(profile.email, sizeof profile.email, account.email);
    return profile;
}

} // namespace kvxserver
