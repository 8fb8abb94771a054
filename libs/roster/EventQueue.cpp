#include "EventQueue.h"

#include <cstring>
#include <string>

namespace {

const char kMagic[4] = {'K', 'V', 'X', 'E'};
const std::uint32_t kVersion = 1;

struct FileHead {
    char magic[4];
    std::uint32_t version;
    std::uint32_t count;
};

struct StoredKind {
    std::uint16_t kind;
    std::uint16_t length;
};

} // namespace

namespace {

// The record an event keeps, as stored in the file.
std::string RecordOf(const CEventQueue::Event& event)
{
    const void* record = &event.contact;
    size_t size = sizeof event.contact;
    if (event.kind == EVENT_MESSAGE) {
        record = &event.message;
        size = sizeof event.message;
    } else if (event.kind == EVENT_FILE_OFFER) {
        record = &event.offer;
        size = sizeof event.offer;
    }
    return std::string(static_cast<const char*>(record), size);
}

} // namespace

std::uint32_t CEventQueue::Event::Id() const
{
    if (kind == EVENT_FILE_OFFER) return offer.id;
    return kind == EVENT_MESSAGE ? message.messageId : contact.eventId;
}

std::int32_t CEventQueue::Event::From() const
{
    if (kind == EVENT_FILE_OFFER) return offer.from;
    return kind == EVENT_MESSAGE ? message.from : contact.account;
}

const char* CEventQueue::Event::Nickname() const
{
    if (kind == EVENT_FILE_OFFER) return offer.nickname;
    return kind == EVENT_MESSAGE ? message.nickname : contact.nickname;
}

CEventQueue::Event CEventQueue::Message(const MessageRecord& record)
{
    Event event = {};
    event.kind = EVENT_MESSAGE;
    event.message = record;
    event.message.nickname[sizeof event.message.nickname - 1] = 0;
    event.message.text[sizeof event.message.text - 1] = 0;
    return event;
}

CEventQueue::Event CEventQueue::AddedYou(const ContactRecord& record)
{
    Event event = {};
    event.kind = EVENT_ADDED_YOU;
    event.contact = record;
    event.contact.nickname[sizeof event.contact.nickname - 1] = 0;
    event.contact.game.info[sizeof event.contact.game.info - 1] = 0;
    event.contact.away[sizeof event.contact.away - 1] = 0;
    return event;
}

CEventQueue::Event CEventQueue::FileOffer(const FileOfferEventRecord& record)
{
    Event event = {};
    event.kind = EVENT_FILE_OFFER;
    event.offer = record;
    event.offer.nickname[sizeof event.offer.nickname - 1] = 0;
    event.offer.name[sizeof event.offer.name - 1] = 0;
    return event;
}

void CEventQueue::Load(const CRecordFile& file)
{
    m_events.clear();
    const std::string bytes = file.Read();
    FileHead head = {};
    if (bytes.size() < sizeof head) return;
    std::memcpy(&head, bytes.data(), sizeof head);
    if (std::memcmp(head.magic, kMagic, sizeof kMagic) != 0 || head.version != kVersion) return;
    std::size_t at = sizeof head;
    for (std::uint32_t i = 0; i < head.count; ++i) {
        StoredKind stored = {};
        if (bytes.size() - at < sizeof stored) return;
        std::memcpy(&stored, bytes.data() + at, sizeof stored);
        at += sizeof stored;
        if (bytes.size() - at < stored.length) return;
        if (stored.kind == EVENT_MESSAGE && stored.length == sizeof(MessageRecord)) {
            MessageRecord record;
            std::memcpy(&record, bytes.data() + at, sizeof record);
            m_events.push_back(Message(record));
        } else if (stored.kind == EVENT_ADDED_YOU && stored.length == sizeof(ContactRecord)) {
            ContactRecord record;
            std::memcpy(&record, bytes.data() + at, sizeof record);
            m_events.push_back(AddedYou(record));
        } else if (stored.kind == EVENT_FILE_OFFER && stored.length == sizeof(FileOfferEventRecord)) {
            FileOfferEventRecord record;
            std::memcpy(&record, bytes.data() + at, sizeof record);
            m_events.push_back(FileOffer(record));
        }
        at += stored.length;
    }
}

bool CEventQueue::Save(const CRecordFile& file) const
{
    FileHead head = {};
    std::memcpy(head.magic, kMagic, sizeof kMagic);
    head.version = kVersion;
    head.count = static_cast<std::uint32_t>(m_events.size());
    std::string bytes(reinterpret_cast<const char*>(&head), sizeof head);
    for (const Event& event : m_events) {
        const std::string record = RecordOf(event);
        const StoredKind stored = {event.kind, static_cast<std::uint16_t>(record.size())};
        bytes.append(reinterpret_cast<const char*>(&stored), sizeof stored);
        bytes += record;
    }
    return file.Write(bytes);
}

bool CEventQueue::Add(const Event& event)
{
    if (event.Id() != 0)
        for (const Event& queued : m_events)
            if (queued.kind == event.kind && queued.Id() == event.Id()) return false;
    m_events.push_back(event);
    return true;
}
