#include "PgDatabase.h"

#include <libpq-fe.h>

#include <cstdlib>

#include "Log.h"

namespace kvxserver {

namespace {

constexpr auto kRetryPeriod = std::chrono::seconds(1);

// The stores write ? placeholders; PostgreSQL numbers them. Quoted text is left alone.
std::string NumberPlaceholders(const char* sql)
{
    std::string out;
    int next = 1;
    bool quoted = false;
    for (const char* c = sql; *c != '\0'; ++c) {
        if (*c == '\'') quoted = !quoted;
        if (*c == '?' && !quoted) {
            out += "$" + std::to_string(next++);
        } else {
            out += *c;
        }
    }
    return out;
}

class PgQuery : public SqlQuery {
public:
    PgQuery(PgDatabase& db, std::string sql) : db_(db), sql_(std::move(sql)) {}
    ~PgQuery() override { PQclear(result_); }
    PgQuery(const PgQuery&) = delete;
    PgQuery& operator=(const PgQuery&) = delete;

    bool Bind(int index, std::int64_t value) override { return Bind(index, std::to_string(value)); }

    bool Bind(int index, const std::string& value) override
    {
        if (index < 1 || ran_) return false;
        if (params_.size() < static_cast<std::size_t>(index)) params_.resize(static_cast<std::size_t>(index));
        params_[static_cast<std::size_t>(index) - 1] = value;
        return true;
    }

    Step Next() override
    {
        if (!ran_) {
            ran_ = true;
            result_ = db_.Run(sql_, params_);
        }
        if (result_ == nullptr) return Step::Error;
        switch (PQresultStatus(result_)) {
        case PGRES_TUPLES_OK: return ++row_ < PQntuples(result_) ? Step::Row : Step::Done;
        case PGRES_COMMAND_OK: return Step::Done;
        default: return Step::Error;
        }
    }

    std::int64_t Int(int column) const override { return std::strtoll(PQgetvalue(result_, row_, column), nullptr, 10); }

    std::string Text(int column) const override
    {
        return std::string(PQgetvalue(result_, row_, column),
                           static_cast<std::size_t>(PQgetlength(result_, row_, column)));
    }

private:
    PgDatabase& db_;
    std::string sql_;
    std::vector<std::string> params_;
    PGresult* result_ = nullptr;
    int row_ = -1;
    bool ran_ = false;
};

} // namespace

pg_conn* ConnectPostgres(const std::string& uri, std::string& error)
{
    const char* const keys[] = {"dbname", "connect_timeout", nullptr};
    const char* const values[] = {uri.c_str(), "3", nullptr};
    PGconn* conn = PQconnectdbParams(keys, values, 1);
    if (conn == nullptr || PQstatus(conn) != CONNECTION_OK) {
        error = conn != nullptr ? PQerrorMessage(conn) : "out of memory";
        while (!error.empty() && error.back() == '\n') error.pop_back();
        PQfinish(conn);
        return nullptr;
    }
    PQsetNoticeProcessor(
        conn, [](void*, const char*) {}, nullptr);
    return conn;
}

PgDatabase::~PgDatabase() { PQfinish(conn_); }

bool PgDatabase::Open(const std::string& uri, std::string& error)
{
    uri_ = uri;
    conn_ = ConnectPostgres(uri, error);
    if (conn_ == nullptr) {
        error = "cannot connect to the database: " + error;
        return false;
    }
    return true;
}

bool PgDatabase::Connect()
{
    if (conn_ != nullptr && PQstatus(conn_) == CONNECTION_OK) return true;
    const auto now = std::chrono::steady_clock::now();
    if (now < nextAttempt_) return false;
    nextAttempt_ = now + kRetryPeriod;
    PQfinish(conn_);
    conn_ = ConnectPostgres(uri_, lastError_);
    if (conn_ == nullptr) return false;
    LogLine("database: connected again");
    lost_ = false;
    return true;
}

void PgDatabase::Failed(const char* what)
{
    lastError_ = PQerrorMessage(conn_);
    while (!lastError_.empty() && lastError_.back() == '\n') lastError_.pop_back();
    if (PQstatus(conn_) == CONNECTION_OK) {
        LogLine("database: %s failed: %s", what, lastError_.c_str());
    } else if (!lost_) {
        lost_ = true;
        LogLine("database: connection lost: %s", lastError_.c_str());
    }
}

bool PgDatabase::Reachable() { return Connect(); }

pg_result* PgDatabase::Run(const std::string& sql, const std::vector<std::string>& params)
{
    if (!Connect()) {
        lastError_ = "the database is not reachable";
        return nullptr;
    }
    std::vector<const char*> values;
    values.reserve(params.size());
    for (const std::string& param : params) values.push_back(param.c_str());
    const auto run = [&] {
        return PQexecParams(conn_, sql.c_str(), static_cast<int>(values.size()), nullptr, values.data(), nullptr,
                            nullptr, 0);
    };
    PGresult* result = run();
    ExecStatusType status = PQresultStatus(result);
    if (status != PGRES_TUPLES_OK && status != PGRES_COMMAND_OK && PQstatus(conn_) != CONNECTION_OK) {
        // A connection the database dropped while idle (it restarted) fails the first
        // statement: once more on a new connection, so a restart costs nobody an answer.
        Failed("a statement");
        PQclear(result);
        nextAttempt_ = {};
        if (!Connect()) return nullptr;
        result = run();
        status = PQresultStatus(result);
    }
    if (status != PGRES_TUPLES_OK && status != PGRES_COMMAND_OK) Failed("a statement");
    return result;
}

std::unique_ptr<SqlQuery> PgDatabase::Prepare(const char* sql)
{
    return std::make_unique<PgQuery>(*this, NumberPlaceholders(sql));
}

bool PgDatabase::Exec(const char* sql, std::string& error)
{
    if (!Connect()) {
        error = "the database is not reachable";
        return false;
    }
    PGresult* result = PQexec(conn_, sql);
    const ExecStatusType status = PQresultStatus(result);
    PQclear(result);
    if (status == PGRES_COMMAND_OK || status == PGRES_TUPLES_OK) return true;
    Failed("a statement");
    error = lastError_;
    return false;
}

} // namespace kvxserver
