// The entries of the user's contact list in the server's order, the ones offered for adding
// (who added the user while not on the list), which of them the current view shows and how
// far the view is scrolled. A copy is kept in a file so the list shows while offline.
#ifndef KVX_ROSTER_CONTACTLIST_H
#define KVX_ROSTER_CONTACTLIST_H

#include <cstddef>
#include <vector>

#include "RecordFile.h"
#include "wire/Contacts.h"

class CContactList {
public:
    enum View { kAll = 0, kOnline = 1, kOffline = 2 };

    CContactList();

    // Reads the saved list; every entry comes back offline. An unreadable file gives an
    // empty list.
    void Load(const CRecordFile& file);
    // Saves the list (offered entries too). False when the file could not be written.
    bool Save(const CRecordFile& file) const;
    std::int32_t Owner() const { return m_owner; }
    void SetOwner(std::int32_t account) { m_owner = account; }

    // Every entry offline, its game and away message gone: nothing shown is ever stale.
    void AllOffline();
    // The server is about to send the whole list: everyone offline until it arrives.
    void BeginRefresh();
    // The whole list has arrived: entries it did not name are dropped (offered ones stay),
    // the rest take the server's order. False when no refresh was under way.
    bool EndRefresh();
    bool Refreshing() const { return m_refreshing; }

    // An entry as the server has it now; added at the end when new. It is on the list, so
    // no longer offered.
    void Put(const ContactRecord& record);
    // A listed user's new presence; ignored for users not on the list.
    bool Update(const ContactRecord& record);
    // Someone who added the user: shown as offered for adding when not on the list yet.
    bool Offer(const ContactRecord& record);
    bool Remove(std::int32_t account);
    const ContactRecord* Find(std::int32_t account) const;
    std::size_t Size() const { return m_entries.size(); }

    // The entries the view shows, top to bottom from the first row scrolled to.
    void SetView(int view);
    std::vector<const ContactRecord*> Shown() const;
    // Scrolls one row (negative: up), never past the ends for `rows` visible rows. True
    // when the first row shown changed.
    bool Scroll(int step, int rows);

private:
    std::vector<const ContactRecord*> InView() const;
    ContactRecord* FindEntry(std::int32_t account);

    std::vector<ContactRecord> m_entries;
    std::vector<std::int32_t> m_named; // accounts the refresh under way has sent, in order
    std::int32_t m_owner;
    bool m_refreshing;
    int m_view;
    int m_top;
};

#endif
