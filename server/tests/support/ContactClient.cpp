#include "ContactClient.h"

#include <time.h>

#include "wire/Frame.h"

namespace {

long long NowMs()
{
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return now.tv_sec * 1000LL + now.tv_nsec / 1000000;
}

template <typename Text> void Put(char* field, std::size_t size, const Text& text)
{
    std::strncpy(field, text.c_str(), size - 1);
}

} // namespace

Event EventOf(const Frame& frame)
{
    Event event;
    if (frame.type != PKT_NEW_EVENT || frame.payload.size() < kEventDataOffset) return event;
    EventHead head;
    std::memcpy(&head, frame.payload.data(), sizeof head);
    event.kind = head.kind;
    event.from = head.fromAccount;
    event.data.assign(frame.payload.begin() + kEventDataOffset, frame.payload.end());
    return event;
}

ContactClient::ContactClient(std::uint16_t port, const std::string& nickname) : wire_(port)
{
    if (wire_.Version(BUILD_NUMBER) != PKT_VERSION_OK) return;
    account_ = wire_.Signup(nickname, nickname + "@example.com", "pw");
    loggedIn_ = account_ != 0 && wire_.Login(account_, "pw") == PKT_LOGIN_OK;
}

ContactClient::ContactClient(std::uint16_t port, std::int32_t account, const std::string& password)
    : wire_(port), account_(account)
{
    loggedIn_ = wire_.Version(BUILD_NUMBER) == PKT_VERSION_OK && wire_.Login(account, password) == PKT_LOGIN_OK;
}

void ContactClient::Add(std::int32_t contact)
{
    const AccountRecord record{contact};
    wire_.Send(PKT_CONTACT_ADD, &record, sizeof record);
}

void ContactClient::Delete(std::int32_t contact)
{
    const AccountRecord record{contact};
    wire_.Send(PKT_CONTACT_DELETE, &record, sizeof record);
}

void ContactClient::Status(std::uint16_t status, const std::string& away, const GameSpot& game)
{
    StatusRecord record{};
    record.status = status;
    record.game = game;
    Put(record.away, sizeof record.away, away);
    wire_.Send(PKT_STATUS, &record, sizeof record);
}

void ContactClient::Message(std::int32_t to, std::uint32_t tag, const std::string& text)
{
    MessageSendRecord record{};
    record.to = to;
    record.clientTag = tag;
    Put(record.text, sizeof record.text, text);
    wire_.Send(PKT_MESSAGE_SEND, &record, sizeof record);
}

void ContactClient::Ack(std::uint32_t eventId)
{
    const EventAckRecord record{eventId};
    wire_.Send(PKT_EVENT_ACK, &record, sizeof record);
}

void ContactClient::Chat(std::int32_t to, const std::string& text)
{
    ChatLineRecord record{};
    record.to = to;
    Put(record.text, sizeof record.text, text);
    wire_.Send(PKT_CHAT_LINE, &record, sizeof record);
}

void ContactClient::Search(std::uint8_t by, const std::string& text)
{
    SearchRecord record{};
    record.by = by;
    Put(record.text, sizeof record.text, text);
    wire_.Send(PKT_SEARCH, &record, sizeof record);
}

void ContactClient::Info(std::int32_t account)
{
    const AccountRecord record{account};
    wire_.Send(PKT_INFO_REQUEST, &record, sizeof record);
}

bool ContactClient::Take(const std::function<bool(const Frame&)>& match, int timeoutMs, Frame& out)
{
    for (auto it = pending_.begin(); it != pending_.end(); ++it) {
        if (match(*it)) {
            out = *it;
            pending_.erase(it);
            return true;
        }
    }
    const long long deadline = NowMs() + timeoutMs;
    for (;;) {
        const long long left = deadline - NowMs();
        if (left <= 0) return false;
        Frame frame = wire_.Receive(static_cast<int>(left));
        if (frame.type == 0) return false;
        if (match(frame)) {
            out = std::move(frame);
            return true;
        }
        pending_.push_back(std::move(frame));
    }
}

Event ContactClient::WaitEvent(std::uint16_t kind, std::int32_t from, int timeoutMs)
{
    Frame frame;
    const bool found = Take(
        [&](const Frame& f) {
            const Event event = EventOf(f);
            return event.kind == kind && (from == 0 || event.from == from);
        },
        timeoutMs, frame);
    return found ? EventOf(frame) : Event{};
}

ContactRecord ContactClient::WaitPresence(std::int32_t account, std::uint16_t status, int timeoutMs)
{
    Frame frame;
    const bool found = Take(
        [&](const Frame& f) {
            const Event event = EventOf(f);
            return event.kind == EVENT_PRESENCE && event.As<ContactRecord>().account == account &&
                   event.As<ContactRecord>().status == status;
        },
        timeoutMs, frame);
    return found ? EventOf(frame).As<ContactRecord>() : ContactRecord{};
}

Frame ContactClient::WaitPacket(std::uint16_t type, int timeoutMs)
{
    Frame frame;
    Take([&](const Frame& f) { return f.type == type; }, timeoutMs, frame);
    return frame;
}

void ContactClient::Marker()
{
    // Nothing else is answered with an empty search result, so its arrival marks the point.
    Search(SEARCH_BY_NICKNAME, "");
}

std::vector<Event> ContactClient::Settle()
{
    Marker();
    std::vector<Event> events;
    const long long deadline = NowMs() + 5000;
    for (;;) {
        Frame frame;
        if (!pending_.empty()) {
            frame = std::move(pending_.front());
            pending_.pop_front();
        } else {
            const long long left = deadline - NowMs();
            if (left <= 0) return events;
            frame = wire_.Receive(static_cast<int>(left));
            if (frame.type == 0) return events;
        }
        if (frame.type == PKT_SEARCH_RESULT && frame.payload.size() >= 2 && frame.payload[0] == 0 &&
            frame.payload[1] == 0) {
            return events;
        }
        if (frame.type == PKT_NEW_EVENT) events.push_back(EventOf(frame));
    }
}

ContactClient::ListReply ContactClient::RequestList()
{
    ListReply reply;
    wire_.Send(PKT_CONTACTS_REQUEST);
    for (const Event& event : Settle()) {
        if (reply.complete) {
            if (event.kind != EVENT_PRESENCE) reply.stored.push_back(event);
        } else if (event.kind == EVENT_CONTACT) {
            reply.contacts.push_back(event.As<ContactRecord>());
        } else if (event.kind == EVENT_CONTACTS_END) {
            reply.complete = true;
        }
    }
    return reply;
}
