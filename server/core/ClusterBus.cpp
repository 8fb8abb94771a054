#include "ClusterBus.h"

#include <libpq-fe.h>
#include <unistd.h>

#include "Log.h"
#include "PgDatabase.h"

namespace kvxserver {

namespace {

constexpr auto kRetryPeriod = std::chrono::seconds(1);
constexpr char kChannel[] = "kvx_cluster";
// A bigger batch waits for the next round; this keeps one query within reason.
constexpr std::size_t kMaxBatchBytes = 1 << 20;

} // namespace

ClusterBus::ClusterBus(asio::io_context& loop, std::string uri, NoticeHandler onNotice, ConnectedHandler onConnected)
    : uri_(std::move(uri)), onNotice_(std::move(onNotice)), onConnected_(std::move(onConnected)), socket_(loop),
      retry_(loop)
{
}

ClusterBus::~ClusterBus()
{
    asio::error_code ignored;
    socket_.close(ignored);
    PQfinish(conn_);
}

void ClusterBus::Start()
{
    stopped_ = false;
    Connect();
}

void ClusterBus::Stop()
{
    stopped_ = true;
    retry_.cancel();
    if (conn_ == nullptr) return;
    // The last notices (such as this node's goodbye) go out before the connection closes.
    PQsetnonblocking(conn_, 0);
    for (;;) {
        for (PGresult* result; (result = PQgetResult(conn_)) != nullptr;) PQclear(result);
        sending_ = false;
        if (queue_.empty() || conn_ == nullptr) break;
        Send();
    }
    if (conn_ == nullptr) return;
    asio::error_code ignored;
    socket_.close(ignored);
    PQfinish(conn_);
    conn_ = nullptr;
}

void ClusterBus::Connect()
{
    if (stopped_) return;
    std::string error;
    conn_ = ConnectPostgres(uri_, error);
    PGresult* listen = conn_ != nullptr ? PQexec(conn_, (std::string("LISTEN ") + kChannel).c_str()) : nullptr;
    const bool listening = PQresultStatus(listen) == PGRES_COMMAND_OK;
    PQclear(listen);
    asio::error_code ec;
    if (listening) socket_.assign(dup(PQsocket(conn_)), ec);
    if (!listening || ec || PQsetnonblocking(conn_, 1) != 0) {
        if (conn_ != nullptr) error = PQerrorMessage(conn_);
        PQfinish(conn_);
        conn_ = nullptr;
        socket_.close(ec);
        retry_.expires_after(kRetryPeriod);
        retry_.async_wait([this](const asio::error_code& cancelled) {
            if (!cancelled) Connect();
        });
        return;
    }
    backend_ = PQbackendPID(conn_);
    LogLine("cluster: listening for the other nodes");
    AwaitRead();
    onConnected_();
}

void ClusterBus::Lost(const char* what)
{
    LogLine("cluster: %s: %s", what, conn_ != nullptr ? PQerrorMessage(conn_) : "");
    asio::error_code ignored;
    socket_.close(ignored);
    PQfinish(conn_);
    conn_ = nullptr;
    sending_ = false;
    writeWait_ = false;
    queue_.clear();
    retry_.expires_after(kRetryPeriod);
    retry_.async_wait([this](const asio::error_code& cancelled) {
        if (!cancelled) Connect();
    });
}

void ClusterBus::Publish(std::string notice)
{
    if (conn_ == nullptr) return;
    queue_.push_back(std::move(notice));
    if (!sending_) Send();
}

void ClusterBus::Send()
{
    if (conn_ == nullptr || queue_.empty()) return;
    // One transaction: its notices reach the others together and in this order.
    std::string sql;
    std::size_t taken = 0;
    for (; taken < queue_.size() && sql.size() < kMaxBatchBytes; ++taken) {
        sql += "SELECT pg_notify('";
        sql += kChannel;
        sql += "','";
        sql += queue_[taken];
        sql += "');";
    }
    queue_.erase(queue_.begin(), queue_.begin() + static_cast<long>(taken));
    if (PQsendQuery(conn_, sql.c_str()) == 0) {
        Lost("sending failed");
        return;
    }
    sending_ = true;
    if (PQflush(conn_) == 1) AwaitWrite();
}

void ClusterBus::AwaitWrite()
{
    if (writeWait_) return;
    writeWait_ = true;
    socket_.async_wait(asio::posix::stream_descriptor::wait_write, [this](const asio::error_code& error) {
        writeWait_ = false;
        if (error || conn_ == nullptr) return;
        const int flushed = PQflush(conn_);
        if (flushed < 0) {
            Lost("sending failed");
        } else if (flushed == 1) {
            AwaitWrite();
        }
    });
}

void ClusterBus::AwaitRead()
{
    socket_.async_wait(asio::posix::stream_descriptor::wait_read, [this](const asio::error_code& error) {
        if (error || conn_ == nullptr) return;
        OnReadable();
        if (conn_ != nullptr) AwaitRead();
    });
}

void ClusterBus::OnReadable()
{
    if (PQconsumeInput(conn_) == 0) {
        Lost("connection lost");
        return;
    }
    while (sending_ && PQisBusy(conn_) == 0) {
        PGresult* result = PQgetResult(conn_);
        if (result == nullptr) {
            sending_ = false;
            break;
        }
        if (PQresultStatus(result) != PGRES_TUPLES_OK)
            LogLine("cluster: publishing failed: %s", PQresultErrorMessage(result));
        PQclear(result);
    }
    for (PGnotify* notice; (notice = PQnotifies(conn_)) != nullptr; PQfreemem(notice)) {
        if (notice->be_pid != backend_) onNotice_(notice->extra);
        if (conn_ == nullptr) {
            PQfreemem(notice);
            return;
        }
    }
    if (!sending_) Send();
}

} // namespace kvxserver
