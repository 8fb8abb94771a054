#include "AccountStore.h"

#include <sqlite3.h>

#include <iterator>
#include <vector>

#include "Log.h"
#include "Statement.h"

namespace kvxserver {

namespace {

// Each entry takes the schema from the version before it to its own (its index + 1).
// Entries are only ever appended: a file in the field may be at any earlier version.
const char* const kMigrations[] = {
    // 1: the accounts. AUTOINCREMENT keeps numbers of deleted accounts from coming back;
    // seeding its counter makes the first account 10000.
    "CREATE TABLE accounts ("
    "  number INTEGER PRIMARY KEY AUTOINCREMENT,"
    "  nickname TEXT NOT NULL,"
    "  email TEXT NOT NULL,"
    "  password_hash TEXT NOT NULL,"
    "  created_at INTEGER NOT NULL);"
    "INSERT INTO sqlite_sequence (name, seq) VALUES ('accounts', 9999);",
    // 2: contact lists in the order entries were added, and the events kept for their
    // receivers until acknowledged (messages and "added you" notices share one id counter).
    "CREATE TABLE contacts ("
    "  owner INTEGER NOT NULL,"
    "  contact INTEGER NOT NULL,"
    "  position INTEGER NOT NULL,"
    "  PRIMARY KEY (owner, contact)) WITHOUT ROWID;"
    "CREATE INDEX contacts_in_order ON contacts (owner, position);"
    "CREATE TABLE events ("
    "  id INTEGER PRIMARY KEY AUTOINCREMENT,"
    "  owner INTEGER NOT NULL,"
    "  kind INTEGER NOT NULL,"
    "  sender INTEGER NOT NULL,"
    "  sent_at INTEGER NOT NULL,"
    "  text TEXT NOT NULL);"
    "CREATE INDEX events_of_owner ON events (owner, id);",
    // 3: files sent through the server: uploading until stored, then offered to the
    // recipient until fetched, declined or expired. The bytes live in a folder beside.
    "CREATE TABLE transfers ("
    "  id INTEGER PRIMARY KEY AUTOINCREMENT,"
    "  sender INTEGER NOT NULL,"
    "  recipient INTEGER NOT NULL,"
    "  name TEXT NOT NULL,"
    "  size INTEGER NOT NULL,"
    "  sha256 TEXT NOT NULL,"
    "  created_at INTEGER NOT NULL,"
    "  stored INTEGER NOT NULL);"
    "CREATE INDEX transfers_to ON transfers (recipient, stored, id);"
    "CREATE INDEX transfers_from ON transfers (sender);",
};

} // namespace

AccountStore::~AccountStore() {
    Close();
}

int AccountStore::SchemaVersion() {
    return static_cast<int>(std::size(kMigrations));
}

bool AccountStore::Open(const std::string& path, std::string& error) {
    Close();
    if (sqlite3_open_v2(path.c_str(), &db_, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE,
                        nullptr) != SQLITE_OK) {
        error = "cannot open " + path + ": " + sqlite3_errmsg(db_);
        Close();
        return false;
    }
    sqlite3_busy_timeout(db_, 2000);
    // WAL with every commit synced: a message answered as stored must survive a crash, and
    // nothing else here is written often enough for the sync to matter.
    if (!Exec("PRAGMA journal_mode=WAL; PRAGMA synchronous=FULL;", error) || !Migrate(error)) {
        error = path + ": " + error;
        Close();
        return false;
    }
    return true;
}

void AccountStore::Close() {
    if (db_ != nullptr) sqlite3_close(db_);
    db_ = nullptr;
}

bool AccountStore::Exec(const char* sql, std::string& error) {
    char* message = nullptr;
    if (sqlite3_exec(db_, sql, nullptr, nullptr, &message) == SQLITE_OK) return true;
    error = message != nullptr ? message : sqlite3_errmsg(db_);
    sqlite3_free(message);
    return false;
}

bool AccountStore::Migrate(std::string& error) {
    if (!Exec("BEGIN IMMEDIATE", error)) return false;
    std::int64_t version = -1;
    {
        Statement query(db_, "PRAGMA user_version");
        if (query.Next() == Statement::Step::Row) version = query.Int(0);
    }
    std::string ignored;
    if (version < 0) {
        error = sqlite3_errmsg(db_);
        Exec("ROLLBACK", ignored);
        return false;
    }
    if (version > SchemaVersion()) {
        error = "schema version " + std::to_string(version) + " is newer than this server's " +
                std::to_string(SchemaVersion());
        Exec("ROLLBACK", ignored);
        return false;
    }
    for (std::int64_t v = version; v < SchemaVersion(); ++v) {
        const std::string bump = "PRAGMA user_version = " + std::to_string(v + 1);
        if (!Exec(kMigrations[v], error) || !Exec(bump.c_str(), error)) {
            error = "migration to schema version " + std::to_string(v + 1) + " failed: " + error;
            Exec("ROLLBACK", ignored);
            return false;
        }
    }
    if (!Exec("COMMIT", error)) return false;
    if (version < SchemaVersion()) {
        LogLine("database schema migrated from version %lld to %d",
                static_cast<long long>(version), SchemaVersion());
    }
    return true;
}

std::int32_t AccountStore::Create(const std::string& nickname, const std::string& email,
                                  const std::string& passwordHash, std::int64_t createdAt) {
    if (db_ == nullptr) return 0;
    Statement insert(db_, "INSERT INTO accounts (nickname, email, password_hash, created_at) "
                          "VALUES (?, ?, ?, ?)");
    if (!insert.Bind(1, nickname) || !insert.Bind(2, email) || !insert.Bind(3, passwordHash) ||
        !insert.Bind(4, createdAt) || insert.Next() != Statement::Step::Done) {
        LogLine("account store: insert failed: %s", sqlite3_errmsg(db_));
        return 0;
    }
    const sqlite3_int64 number = sqlite3_last_insert_rowid(db_);
    if (number < kFirstAccount || number > INT32_MAX) {
        // The wire carries 32-bit account numbers; a row beyond them is useless.
        Statement undo(db_, "DELETE FROM accounts WHERE number = ?");
        undo.Bind(1, static_cast<std::int64_t>(number));
        undo.Next();
        LogLine("account store: account number %lld out of range", number);
        return 0;
    }
    return static_cast<std::int32_t>(number);
}

namespace {

void ReadAccount(const Statement& row, AccountStore::Account& out) {
    out.number = static_cast<std::int32_t>(row.Int(0));
    out.nickname = row.Text(1);
    out.email = row.Text(2);
    out.passwordHash = row.Text(3);
    out.createdAt = row.Int(4);
}

std::vector<AccountStore::Account> ReadAccounts(Statement& query) {
    std::vector<AccountStore::Account> found;
    while (query.Next() == Statement::Step::Row) {
        found.emplace_back();
        ReadAccount(query, found.back());
    }
    return found;
}

// LIKE treats % and _ as wildcards; a nickname may contain them literally.
std::string LikePrefix(const std::string& prefix) {
    std::string pattern;
    for (char c : prefix) {
        if (c == '%' || c == '_' || c == '\\') pattern += '\\';
        pattern += c;
    }
    return pattern + "%";
}

} // namespace

std::vector<AccountStore::Account> AccountStore::FindByNicknamePrefix(const std::string& prefix,
                                                                    std::size_t limit) {
    if (db_ == nullptr) return {};
    Statement query(db_, "SELECT number, nickname, email, password_hash, created_at FROM accounts "
                         "WHERE nickname LIKE ? ESCAPE '\\' ORDER BY number LIMIT ?");
    if (!query.Bind(1, LikePrefix(prefix)) || !query.Bind(2, static_cast<std::int64_t>(limit))) return {};
    return ReadAccounts(query);
}

std::vector<AccountStore::Account> AccountStore::FindByEmail(const std::string& email,
                                                           std::size_t limit) {
    if (db_ == nullptr) return {};
    Statement query(db_, "SELECT number, nickname, email, password_hash, created_at FROM accounts "
                         "WHERE email = ? COLLATE NOCASE ORDER BY number LIMIT ?");
    if (!query.Bind(1, email) || !query.Bind(2, static_cast<std::int64_t>(limit))) return {};
    return ReadAccounts(query);
}

bool AccountStore::Find(std::int32_t number, Account& out) {
    if (db_ == nullptr) return false;
    Statement query(db_, "SELECT nickname, email, password_hash, created_at FROM accounts "
                         "WHERE number = ?");
    if (!query.Bind(1, static_cast<std::int64_t>(number))) return false;
    if (query.Next() != Statement::Step::Row) return false;
    out.number = number;
    out.nickname = query.Text(0);
    out.email = query.Text(1);
    out.passwordHash = query.Text(2);
    out.createdAt = query.Int(3);
    return true;
}

} // namespace kvxserver
