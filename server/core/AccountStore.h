// The accounts, kept in one SQLite file or a PostgreSQL database. Account numbers are handed
// out from 10000 upward and never reused. Opening the database brings its schema up to date,
// and one written by a newer server is refused rather than guessed at. Used from the event
// loop thread only.
#ifndef KVX_SERVER_ACCOUNTSTORE_H
#define KVX_SERVER_ACCOUNTSTORE_H

#include <cstdint>
#include <cstddef>
#include <memory>
#include <string>
#include <vector>

#include "SqlDatabase.h"

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

    // Opens or creates the file (":memory:" for a throw-away store), or connects to a
    // postgresql:// URI, and migrates it.
    bool Open(const std::string& path, std::string& error);
    void Close();

    // Returns the new account's number, or 0 when it could not be stored.
    std::int32_t Create(const std::string& nickname, const std::string& email, const std::string& passwordHash,
                        std::int64_t createdAt);

    // False when there is no such account (or the lookup failed).
    bool Find(std::int32_t number, Account& out);
    // At most limit accounts, lowest numbers first. Nicknames match by prefix and e-mail
    // addresses whole, both ignoring ASCII case.
    std::vector<Account> FindByNicknamePrefix(const std::string& prefix, std::size_t limit);
    std::vector<Account> FindByEmail(const std::string& email, std::size_t limit);

    // The open database, for the stores that keep their tables beside the accounts.
    SqlDatabase& Database() const { return *db_; }
    // False while a database server cannot be reached.
    bool Reachable() const { return db_ != nullptr && db_->Reachable(); }

private:
    bool Migrate(std::string& error);

    std::unique_ptr<SqlDatabase> db_;
};

} // namespace kvxserver

#endif
