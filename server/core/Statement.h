// One prepared SQLite statement, finalised when it goes out of scope.
#ifndef KVX_SERVER_STATEMENT_H
#define KVX_SERVER_STATEMENT_H

#include <cstdint>
#include <string>

struct sqlite3;
struct sqlite3_stmt;

namespace kvxserver {

class Statement {
public:
    Statement(sqlite3* db, const char* sql);
    ~Statement();
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    // False when the SQL did not compile; every other call then fails too.
    bool Ok() const { return stmt_ != nullptr; }

    // Parameters count from 1, as in SQLite.
    bool Bind(int index, std::int64_t value);
    bool Bind(int index, const std::string& value);

    // One step: Row when a result row is ready, Done at the end, Error otherwise.
    enum class Step { Row, Done, Error };
    Step Next();

    std::int64_t Int(int column) const;
    std::string Text(int column) const;

private:
    sqlite3_stmt* stmt_ = nullptr;
};

} // namespace kvxserver

#endif
