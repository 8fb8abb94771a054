#include "ContactList.h"

#include <algorithm>
#include <cstring>
#include <string>

namespace {

const char kMagic[4] = {'K', 'V', 'X', 'C'};
const std::uint32_t kVersion = 1;

struct FileHead {
    char magic[4];
    std::uint32_t version;
    std::int32_t owner;
    std::uint32_t count;
};

void GoOffline(ContactRecord& entry)
{
    entry.status = 100;
    std::memset(&entry.game, 0, sizeof entry.game);
    std::memset(entry.away, 0, sizeof entry.away);
}

// Texts from the wire need not be terminated; every one kept here is.
ContactRecord Terminated(const ContactRecord& record)
{
    ContactRecord copy = record;
    copy.nickname[sizeof copy.nickname - 1] = 0;
    copy.game.info[sizeof copy.game.info - 1] = 0;
    copy.away[sizeof copy.away - 1] = 0;
    return copy;
}

} // namespace

CContactList::CContactList() : m_owner(0), m_refreshing(false), m_view(kAll), m_top(0) {}

void CContactList::Load(const CRecordFile& file)
{
    m_entries.clear();
    m_owner = 0;
    m_top = 0;
    const std::string bytes = file.Read();
    FileHead head = {};
    if (bytes.size() < sizeof head) return;
    std::memcpy(&head, bytes.data(), sizeof head);
    if (std::memcmp(head.magic, kMagic, sizeof kMagic) != 0 || head.version != kVersion) return;
    if (head.count > (bytes.size() - sizeof head) / sizeof(ContactRecord)) return;
    m_owner = head.owner;
    for (std::uint32_t i = 0; i < head.count; ++i) {
        ContactRecord entry;
        std::memcpy(&entry, bytes.data() + sizeof head + i * sizeof entry, sizeof entry);
        entry = Terminated(entry);
        GoOffline(entry);
        m_entries.push_back(entry);
    }
}

bool CContactList::Save(const CRecordFile& file) const
{
    FileHead head = {};
    std::memcpy(head.magic, kMagic, sizeof kMagic);
    head.version = kVersion;
    head.owner = m_owner;
    head.count = static_cast<std::uint32_t>(m_entries.size());
    std::string bytes(reinterpret_cast<const char*>(&head), sizeof head);
    for (const ContactRecord& entry : m_entries) bytes.append(reinterpret_cast<const char*>(&entry), sizeof entry);
    return file.Write(bytes);
}

void CContactList::AllOffline()
{
    for (ContactRecord& entry : m_entries) GoOffline(entry);
}

void CContactList::BeginRefresh()
{
    AllOffline();
    m_named.clear();
    m_refreshing = true;
}

bool CContactList::EndRefresh()
{
    if (!m_refreshing) return false;
    m_refreshing = false;
    std::vector<ContactRecord> ordered;
    for (std::int32_t account : m_named)
        if (const ContactRecord* entry = Find(account)) ordered.push_back(*entry);
    for (const ContactRecord& entry : m_entries)
        if (entry.addFlag && std::find(m_named.begin(), m_named.end(), entry.account) == m_named.end())
            ordered.push_back(entry);
    m_entries.swap(ordered);
    m_named.clear();
    m_top = 0;
    return true;
}

void CContactList::Put(const ContactRecord& record)
{
    if (record.account <= 0) return;
    ContactRecord entry = Terminated(record);
    entry.addFlag = 0;
    entry.eventId = 0;
    if (ContactRecord* known = FindEntry(record.account)) *known = entry;
    else m_entries.push_back(entry);
    if (m_refreshing && std::find(m_named.begin(), m_named.end(), record.account) == m_named.end())
        m_named.push_back(record.account);
}

bool CContactList::Update(const ContactRecord& record)
{
    ContactRecord* known = FindEntry(record.account);
    if (!known) return false;
    const ContactRecord entry = Terminated(record);
    if (entry.nickname[0]) std::memcpy(known->nickname, entry.nickname, sizeof known->nickname);
    known->status = entry.status;
    known->game = entry.game;
    std::memcpy(known->away, entry.away, sizeof known->away);
    return true;
}

bool CContactList::Offer(const ContactRecord& record)
{
    if (record.account <= 0 || !record.addFlag || FindEntry(record.account)) return false;
    ContactRecord entry = Terminated(record);
    entry.addFlag = 1;
    entry.eventId = 0;
    m_entries.push_back(entry);
    return true;
}

bool CContactList::Remove(std::int32_t account)
{
    const auto it = std::find_if(m_entries.begin(), m_entries.end(),
                                 [account](const ContactRecord& entry) { return entry.account == account; });
    if (it == m_entries.end()) return false;
    m_entries.erase(it);
    m_named.erase(std::remove(m_named.begin(), m_named.end(), account), m_named.end());
    return true;
}

const ContactRecord* CContactList::Find(std::int32_t account) const
{
    for (const ContactRecord& entry : m_entries)
        if (entry.account == account) return &entry;
    return nullptr;
}

ContactRecord* CContactList::FindEntry(std::int32_t account)
{
    return const_cast<ContactRecord*>(static_cast<const CContactList*>(this)->Find(account));
}

void CContactList::SetView(int view)
{
    m_view = view == kOnline || view == kOffline ? view : kAll;
    m_top = 0;
}

std::vector<const ContactRecord*> CContactList::InView() const
{
    std::vector<const ContactRecord*> shown;
    for (const ContactRecord& entry : m_entries) {
        // Offers wait for an answer, so every view shows them.
        const bool online = entry.status >= 300;
        if (entry.addFlag || m_view == kAll || (m_view == kOnline) == online) shown.push_back(&entry);
    }
    return shown;
}

std::vector<const ContactRecord*> CContactList::Shown() const
{
    std::vector<const ContactRecord*> shown = InView();
    const std::size_t top = std::min(static_cast<std::size_t>(m_top), shown.size());
    shown.erase(shown.begin(), shown.begin() + static_cast<std::ptrdiff_t>(top));
    return shown;
}

bool CContactList::Scroll(int step, int rows)
{
    const int count = static_cast<int>(InView().size());
    const int last = std::max(0, count - std::max(rows, 1));
    const int top = std::min(std::max(m_top + step, 0), last);
    if (top == m_top) return false;
    m_top = top;
    return true;
}
