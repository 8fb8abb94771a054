#include "SqliteDatabase.h"

#include <sqlite3.h>

namespace kvxserver {

namespace {

class SqliteQuery : public SqlQuery {
public:
    SqliteQuery(sqlite3* db, const char* sql)
    {
        if (sqlite3_prepare_v2(db, sql, -1, &stmt_, nullptr) != SQLITE_OK) {
            sqlite3_finalize(stmt_);
            stmt_ = nullptr;
        }
    }
    ~SqliteQuery() override { sqlite3_finalize(stmt_); }
    SqliteQuery(const SqliteQuery&) = delete;
    SqliteQuery& operator=(const SqliteQuery&) = delete;

    bool Ok() const { return stmt_ != nullptr; }

    bool Bind(int index, std::int64_t value) override
    {
        return stmt_ != nullptr && sqlite3_bind_int64(stmt_, index, value) == SQLITE_OK;
    }

    bool Bind(int index, const std::string& value) override
    {
        return stmt_ != nullptr && sqlite3_bind_text(stmt_, index, value.data(), static_cast<int>(value.size()),
                                                     SQLITE_TRANSIENT) == SQLITE_OK;
    }

    Step Next() override
    {
        if (stmt_ == nullptr) return Step::Error;
        switch (sqlite3_step(stmt_)) {
        case SQLITE_ROW: return Step::Row;
        case SQLITE_DONE: return Step::Done;
        default: return Step::Error;
        }
    }

    std::int64_t Int(int column) const override { return sqlite3_column_int64(stmt_, column); }

    std::string Text(int column) const override
    {
        const unsigned char* text = sqlite3_column_text(stmt_, column);
        if (text == nullptr) return std::string();
        return std::string(reinterpret_cast<const char*>(text),
                           static_cast<std::size_t>(sqlite3_column_bytes(stmt_, column)));
    }

private:
    sqlite3_stmt* stmt_ = nullptr;
};

} // namespace

SqliteDatabase::~SqliteDatabase()
{
    if (db_ != nullptr) sqlite3_close(db_);
}

bool SqliteDatabase::Open(const std::string& path, std::string& error)
{
    if (sqlite3_open_v2(path.c_str(), &db_, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr) != SQLITE_OK) {
        error = "cannot open " + path + ": " + sqlite3_errmsg(db_);
        sqlite3_close(db_);
        db_ = nullptr;
        return false;
    }
    sqlite3_busy_timeout(db_, 2000);
    // WAL with every commit synced: a message answered as stored must survive a crash, and
    // nothing else here is written often enough for the sync to matter.
    if (!Exec("PRAGMA journal_mode=WAL; PRAGMA synchronous=FULL;", error)) {
        error = path + ": " + error;
        return false;
    }
    return true;
}

std::unique_ptr<SqlQuery> SqliteDatabase::Prepare(const char* sql)
{
    auto query = std::make_unique<SqliteQuery>(db_, sql);
    if (!query->Ok()) return nullptr;
    return query;
}

bool SqliteDatabase::Exec(const char* sql, std::string& error)
{
    char* message = nullptr;
    if (sqlite3_exec(db_, sql, nullptr, nullptr, &message) == SQLITE_OK) return true;
    error = message != nullptr ? message : sqlite3_errmsg(db_);
    sqlite3_free(message);
    return false;
}

std::string SqliteDatabase::LastError() const { return db_ != nullptr ? sqlite3_errmsg(db_) : "not open"; }

} // namespace kvxserver
