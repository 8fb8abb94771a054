#include "SqlDatabase.h"

#include "PgDatabase.h"
#include "SqliteDatabase.h"

namespace kvxserver {

bool IsPostgresUri(const std::string& where)
{
    return where.rfind("postgresql://", 0) == 0 || where.rfind("postgres://", 0) == 0;
}

std::unique_ptr<SqlDatabase> OpenDatabase(const std::string& where, std::string& error)
{
    if (IsPostgresUri(where)) {
        auto db = std::make_unique<PgDatabase>();
        if (!db->Open(where, error)) return nullptr;
        return db;
    }
    auto db = std::make_unique<SqliteDatabase>();
    if (!db->Open(where, error)) return nullptr;
    return db;
}

} // namespace kvxserver
