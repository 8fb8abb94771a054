#include "ContactStore.h"

#include "Log.h"
#include "Statement.h"

namespace kvxserver {

ContactStore::ContactStore(SqlDatabase& db) : db_(db) {}

std::vector<ContactStore::Entry> ContactStore::List(std::int32_t owner)
{
    std::vector<Entry> list;
    Statement query(db_, "SELECT c.contact, a.nickname FROM contacts c JOIN accounts a ON a.number = c.contact "
                         "WHERE c.owner = ? ORDER BY c.position");
    if (!query.Bind(1, owner)) return list;
    while (query.Next() == Statement::Step::Row) {
        list.push_back({static_cast<std::int32_t>(query.Int(0)), query.Text(1)});
    }
    return list;
}

bool ContactStore::Lists(std::int32_t owner, std::int32_t contact)
{
    Statement query(db_, "SELECT 1 FROM contacts WHERE owner = ? AND contact = ?");
    return query.Bind(1, owner) && query.Bind(2, contact) && query.Next() == Statement::Step::Row;
}

ContactStore::AddResult ContactStore::Add(std::int32_t owner, std::int32_t contact)
{
    if (Lists(owner, contact)) return AddResult::AlreadyListed;
    Statement count(db_, "SELECT COUNT(*), COALESCE(MAX(position), 0) FROM contacts WHERE owner = ?");
    if (!count.Bind(1, owner) || count.Next() != Statement::Step::Row) return AddResult::Refused;
    if (count.Int(0) >= kMaxContacts) return AddResult::Refused;
    Statement insert(db_, "INSERT INTO contacts (owner, contact, position) VALUES (?, ?, ?)");
    if (!insert.Bind(1, owner) || !insert.Bind(2, contact) || !insert.Bind(3, count.Int(1) + 1) ||
        insert.Next() != Statement::Step::Done) {
        LogLine("contact store: adding %d to %d failed: %s", contact, owner, db_.LastError().c_str());
        return AddResult::Refused;
    }
    return AddResult::Added;
}

bool ContactStore::Remove(std::int32_t owner, std::int32_t contact)
{
    Statement remove(db_, "DELETE FROM contacts WHERE owner = ? AND contact = ? RETURNING owner");
    return remove.Bind(1, owner) && remove.Bind(2, contact) && remove.Next() == Statement::Step::Row;
}

std::uint32_t ContactStore::StoreEvent(std::int32_t to, std::uint16_t kind, std::int32_t from, std::int64_t sentAt,
                                       const std::string& text)
{
    Statement count(db_, "SELECT COUNT(*) FROM events WHERE owner = ?");
    if (!count.Bind(1, to) || count.Next() != Statement::Step::Row) return 0;
    if (count.Int(0) >= kMaxStoredEvents) {
        LogLine("contact store: %d has %lld stored events, refusing more", to, static_cast<long long>(count.Int(0)));
        return 0;
    }
    Statement insert(db_,
                     "INSERT INTO events (owner, kind, sender, sent_at, text) VALUES (?, ?, ?, ?, ?) RETURNING id");
    if (!insert.Bind(1, to) || !insert.Bind(2, kind) || !insert.Bind(3, from) || !insert.Bind(4, sentAt) ||
        !insert.Bind(5, text) || insert.Next() != Statement::Step::Row) {
        LogLine("contact store: storing an event for %d failed: %s", to, db_.LastError().c_str());
        return 0;
    }
    // Run to the end: SQLite commits there, and the id may be given out only once it has.
    const std::int64_t id = insert.Int(0);
    if (insert.Next() != Statement::Step::Done) {
        LogLine("contact store: storing an event for %d failed: %s", to, db_.LastError().c_str());
        return 0;
    }
    if (id <= 0 || id > UINT32_MAX) {
        // The wire carries 32-bit event ids; a row beyond them could never be acknowledged.
        Statement undo(db_, "DELETE FROM events WHERE id = ?");
        undo.Bind(1, id);
        undo.Next();
        LogLine("contact store: event id %lld out of range", static_cast<long long>(id));
        return 0;
    }
    return static_cast<std::uint32_t>(id);
}

std::vector<ContactStore::StoredEvent> ContactStore::Events(std::int32_t owner)
{
    std::vector<StoredEvent> events;
    Statement query(db_, "SELECT id, kind, sender, sent_at, text FROM events WHERE owner = ? ORDER BY id");
    if (!query.Bind(1, owner)) return events;
    while (query.Next() == Statement::Step::Row) {
        events.push_back({static_cast<std::uint32_t>(query.Int(0)), static_cast<std::uint16_t>(query.Int(1)),
                          static_cast<std::int32_t>(query.Int(2)), query.Int(3), query.Text(4)});
    }
    return events;
}

bool ContactStore::Forget(std::int32_t owner, std::uint32_t id)
{
    Statement remove(db_, "DELETE FROM events WHERE id = ? AND owner = ? RETURNING id");
    return remove.Bind(1, static_cast<std::int64_t>(id)) && remove.Bind(2, owner) &&
           remove.Next() == Statement::Step::Row;
}

} // namespace kvxserver
