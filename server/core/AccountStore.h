// The accounts, kept in one SQLite file. Account numbers are handed out from 10000 upward
// and never reused. The schema version lives in PRAGMA user_version; opening a file brings
// it up to date, and a file written by a newer server is refused rather than guessed at.
// Used from the event loop thread only.
#ifndef KVX_SERVER_ACCOUNTSTORE_H
#define KVX_SERVER_ACCOUNTSTORE_H

#include <cstdint>
#include <cstddef>
#include <string>
#include <vector>

struct sqlite3;

namespace kvxserver {

class AccountStore {
public:
    static constexpr std::int32_t kFirstAccount = 10000;

    struct Account {
        std::int32_t number = 0;
        std::string nickname;
        std::string email;
        std::string passwordHash;
        std::int64_t createdAt = 0; // seconds since the epoch
    };

    AccountStore() = default;
    ~AccountStore();
    AccountStore(const AccountStore&) = delete;
    AccountStore& operator=(const AccountStore&) = delete;

    // Opens or creates the file (":memory:" for a throw-away store) and migrates it.
    bool Open(const std::string& path, std::string& error);
    void Close();

    // Returns the new account's number, or 0 when it could not be stored.
    std::int32_t Create(const std::string& nickname, const std::string& email,
                        const std::string& passwordHash, std::int64_t createdAt);

    // False when there is no such account (or the lookup failed).
    bool Find(std::int32_t number, Account& out);
    // At most limit accounts, lowest numbers first. Nicknames match by prefix and e-mail
    // addresses whole, both ignoring ASCII case.
    std::vector<Account> FindByNicknamePrefix(const std::string& prefix, std::size_t limit);
    std::vector<Account> FindByEmail(const std::string& email, std::size_t limit);

    // The open database, for the stores that keep their tables beside the accounts.
    sqlite3* Database() const { return db_; }

private:
    // The schema version this server writes.
    static int SchemaVersion();
    bool Migrate(std::string& error);
    bool Exec(const char* sql, std::string& error);

    sqlite3* db_ = nullptr;
};

} // namespace kvxserver

#endif
