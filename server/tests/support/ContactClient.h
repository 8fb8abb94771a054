// A logged-in wire client that speaks the contact protocol: packets built from the wire's
// records, and waits for a given event that keep whatever else arrives meanwhile for later
// waits. Every wait has a deadline, so a missing answer fails a test instead of hanging it.
#ifndef KVX_SERVER_TESTS_CONTACTCLIENT_H
#define KVX_SERVER_TESTS_CONTACTCLIENT_H

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "WireClient.h"
#include "wire/Contacts.h"

struct Event {
    std::uint16_t kind = 0; // 0: none came in time
    std::int32_t from = 0;
    std::vector<std::uint8_t> data;

    template <typename Record> Record As() const
    {
        Record record{};
        std::memcpy(&record, data.data(), std::min(sizeof record, data.size()));
        return record;
    }
};

class ContactClient {
public:
    // Signs up as nickname (e-mail nickname@example.com, password "pw") and logs in.
    ContactClient(std::uint16_t port, const std::string& nickname);
    // Logs in to an existing account.
    ContactClient(std::uint16_t port, std::int32_t account, const std::string& password);

    bool LoggedIn() const { return loggedIn_; }
    std::int32_t account() const { return account_; }
    WireClient& wire() { return wire_; }

    void Add(std::int32_t contact);
    void Delete(std::int32_t contact);
    void Status(std::uint16_t status, const std::string& away = std::string(), const GameSpot& game = GameSpot{});
    void Message(std::int32_t to, std::uint32_t tag, const std::string& text);
    void Ack(std::uint32_t eventId);
    void Chat(std::int32_t to, const std::string& text);
    void Search(std::uint8_t by, const std::string& text);
    void Info(std::int32_t account);

    // The next event of this kind (and, when given, from this account).
    Event WaitEvent(std::uint16_t kind, std::int32_t from = 0, int timeoutMs = 5000);
    // The next EVENT_PRESENCE of the account showing this status.
    ContactRecord WaitPresence(std::int32_t account, std::uint16_t status, int timeoutMs = 5000);
    // The next frame of this type.
    Frame WaitPacket(std::uint16_t type, int timeoutMs = 5000);

    struct ListReply {
        bool complete = false; // the end of the list came
        std::vector<ContactRecord> contacts;
        std::vector<Event> stored; // the events after the list: messages, notices, news
    };
    // CONTACTS_REQUEST, and everything it is answered with.
    ListReply RequestList();
    // Every event the server sent before answering a request sent now (the server answers in
    // order): what the packets sent so far brought. Other frames are dropped.
    std::vector<Event> Settle();

private:
    bool Take(const std::function<bool(const Frame&)>& match, int timeoutMs, Frame& out);
    void Marker();

    WireClient wire_;
    std::deque<Frame> pending_;
    std::int32_t account_ = 0;
    bool loggedIn_ = false;
};

Event EventOf(const Frame& frame);

#endif
