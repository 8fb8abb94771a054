// Events the user has not opened yet, oldest first: messages, "added you" notices and files
// offered (which the server sends again until they are fetched or declined). Kept
// in a file, so unread events come back after a restart; the server forgets them once they
// are acknowledged, which the owner does only after Save succeeded.
#ifndef KVX_ROSTER_EVENTQUEUE_H
#define KVX_ROSTER_EVENTQUEUE_H

#include <cstddef>
#include <deque>

#include "RecordFile.h"
#include "wire/Contacts.h"
#include "wire/Transfers.h"

class CEventQueue {
public:
    struct Event {
        std::uint16_t kind;         // EVENT_MESSAGE, EVENT_ADDED_YOU or EVENT_FILE_OFFER
        MessageRecord message;      // for EVENT_MESSAGE
        ContactRecord contact;      // for EVENT_ADDED_YOU
        FileOfferEventRecord offer; // for EVENT_FILE_OFFER

        // The id the server acknowledges it by (0: none), who it is from and their name.
        std::uint32_t Id() const;
        std::int32_t From() const;
        const char* Nickname() const;
    };

    static Event Message(const MessageRecord& record);
    static Event AddedYou(const ContactRecord& record);
    static Event FileOffer(const FileOfferEventRecord& record);

    void Load(const CRecordFile& file);
    bool Save(const CRecordFile& file) const;

    // Queues the event; false when one with the same non-zero id is queued already (the
    // server sends stored events again until they are acknowledged).
    bool Add(const Event& event);
    bool Empty() const { return m_events.empty(); }
    std::size_t Size() const { return m_events.size(); }
    const Event& Oldest() const { return m_events.front(); }
    void DropOldest() { m_events.pop_front(); }

private:
    std::deque<Event> m_events;
};

#endif
