// One statement of the account database, released when it goes out of scope. A statement
// whose SQL could not be prepared fails every call.
#ifndef KVX_SERVER_STATEMENT_H
#define KVX_SERVER_STATEMENT_H

#include <cstdint>
#include <memory>
#include <string>

#include "SqlDatabase.h"

namespace kvxserver {

class Statement {
public:
    using Step = SqlQuery::Step;

    Statement(SqlDatabase& db, const char* sql) : query_(db.Prepare(sql)) {}

    bool Ok() const { return query_ != nullptr; }
    bool Bind(int index, std::int64_t value) { return query_ && query_->Bind(index, value); }
    bool Bind(int index, const std::string& value) { return query_ && query_->Bind(index, value); }
    Step Next() { return query_ ? query_->Next() : Step::Error; }
    std::int64_t Int(int column) const { return query_->Int(column); }
    std::string Text(int column) const { return query_->Text(column); }

private:
    std::unique_ptr<SqlQuery> query_;
};

} // namespace kvxserver

#endif
