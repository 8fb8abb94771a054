// One connection to the account database, SQLite or PostgreSQL, behind the same calls, so
// the stores hold one copy of every query. Statements take ? placeholders; each one not
// inside an explicit transaction commits on its own, synced before the call returns.
// Used from the event loop thread only.
#ifndef KVX_SERVER_SQLDATABASE_H
#define KVX_SERVER_SQLDATABASE_H

#include <cstdint>
#include <memory>
#include <string>

namespace kvxserver {

// One statement with its parameters and, once run, its result rows.
class SqlQuery {
public:
    virtual ~SqlQuery() = default;

    // Parameters count from 1.
    virtual bool Bind(int index, std::int64_t value) = 0;
    virtual bool Bind(int index, const std::string& value) = 0;

    // One step: Row when a result row is ready, Done at the end, Error otherwise.
    enum class Step { Row, Done, Error };
    virtual Step Next() = 0;

    virtual std::int64_t Int(int column) const = 0;
    virtual std::string Text(int column) const = 0;
};

class SqlDatabase {
public:
    enum class Dialect { Sqlite, Postgres };

    virtual ~SqlDatabase() = default;

    virtual Dialect dialect() const = 0;
    // Null only when the SQL cannot be prepared at all; a failed run shows in Next().
    virtual std::unique_ptr<SqlQuery> Prepare(const char* sql) = 0;
    // Statements without parameters or results, separated by semicolons.
    virtual bool Exec(const char* sql, std::string& error) = 0;
    // False while the database cannot be reached: the caller tells its client so rather
    // than answer as if nothing were there. Reconnecting is the database's own business.
    virtual bool Reachable() = 0;
    virtual std::string LastError() const = 0;
};

// PostgreSQL for a postgresql:// or postgres:// URI, else an SQLite file (":memory:" for a
// throw-away one). Null with the reason when it cannot be opened.
std::unique_ptr<SqlDatabase> OpenDatabase(const std::string& where, std::string& error);

bool IsPostgresUri(const std::string& where);

} // namespace kvxserver

#endif
