// The account database as one SQLite file in WAL mode with every commit synced.
#ifndef KVX_SERVER_SQLITEDATABASE_H
#define KVX_SERVER_SQLITEDATABASE_H

#include "SqlDatabase.h"

struct sqlite3;

namespace kvxserver {

class SqliteDatabase : public SqlDatabase {
public:
    ~SqliteDatabase() override;

    bool Open(const std::string& path, std::string& error);

    Dialect dialect() const override { return Dialect::Sqlite; }
    std::unique_ptr<SqlQuery> Prepare(const char* sql) override;
    bool Exec(const char* sql, std::string& error) override;
    bool Reachable() override { return db_ != nullptr; }
    std::string LastError() const override;

private:
    sqlite3* db_ = nullptr;
};

} // namespace kvxserver

#endif
