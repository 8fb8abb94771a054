// The account database on a PostgreSQL server, shared by every node of a cluster. One
// connection, used synchronously from the event loop like the SQLite file; the server's own
// synchronous commit makes an answered write durable. When the connection drops, calls fail
// at once and a new connection is tried at most once a second, so a database restart costs
// the clients a clear failure or two rather than the node.
#ifndef KVX_SERVER_PGDATABASE_H
#define KVX_SERVER_PGDATABASE_H

#include <chrono>
#include <string>
#include <vector>

#include "SqlDatabase.h"

struct pg_conn;
struct pg_result;

namespace kvxserver {

class PgDatabase : public SqlDatabase {
public:
    PgDatabase() = default;
    ~PgDatabase() override;
    PgDatabase(const PgDatabase&) = delete;
    PgDatabase& operator=(const PgDatabase&) = delete;

    bool Open(const std::string& uri, std::string& error);

    Dialect dialect() const override { return Dialect::Postgres; }
    std::unique_ptr<SqlQuery> Prepare(const char* sql) override;
    bool Exec(const char* sql, std::string& error) override;
    bool Reachable() override;
    std::string LastError() const override { return lastError_; }

    // Runs one statement with text parameters; null when it could not be sent. The caller
    // frees the result.
    pg_result* Run(const std::string& sql, const std::vector<std::string>& params);

private:
    bool Connect();
    void Failed(const char* what);

    std::string uri_;
    pg_conn* conn_ = nullptr;
    bool lost_ = false;
    std::chrono::steady_clock::time_point nextAttempt_{};
    std::string lastError_;
};

// Opens a libpq connection to uri that gives up connecting after a few seconds and keeps
// the server's notices out of the log. Null with the reason when it cannot connect.
pg_conn* ConnectPostgres(const std::string& uri, std::string& error);

} // namespace kvxserver

#endif
