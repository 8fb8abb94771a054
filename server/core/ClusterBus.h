// The nodes' pub/sub: PostgreSQL's LISTEN/NOTIFY on one channel of the shared database, so a
// cluster needs no daemon beyond its database. Notices are short texts; those published
// while a batch is on its way go out together as the next batch, in order, in one
// transaction. Those of one node reach the others in the order published; a node does not
// hear its own. While the connection is down, notices are dropped and a new connection is
// tried every second; on connecting, the handler is told so the node can tell its state
// again. Event loop thread only.
#ifndef KVX_SERVER_CLUSTERBUS_H
#define KVX_SERVER_CLUSTERBUS_H

#include <asio.hpp>

#include <functional>
#include <string>
#include <vector>

struct pg_conn;

namespace kvxserver {

class ClusterBus {
public:
    using NoticeHandler = std::function<void(const std::string& notice)>;
    using ConnectedHandler = std::function<void()>;

    ClusterBus(asio::io_context& loop, std::string uri, NoticeHandler onNotice, ConnectedHandler onConnected);
    ~ClusterBus();
    ClusterBus(const ClusterBus&) = delete;
    ClusterBus& operator=(const ClusterBus&) = delete;

    // Connects now (the first try blocks), then keeps connected until Stop.
    void Start();
    // Sends what is queued, waiting for it, and disconnects.
    void Stop();

    // Notices are plain printable ASCII, at most 7999 bytes.
    void Publish(std::string notice);
    bool Connected() const { return conn_ != nullptr; }

private:
    void Connect();
    void Lost(const char* what);
    void Send();
    void AwaitRead();
    void AwaitWrite();
    void OnReadable();

    std::string uri_;
    NoticeHandler onNotice_;
    ConnectedHandler onConnected_;
    asio::posix::stream_descriptor socket_;
    asio::steady_timer retry_;
    pg_conn* conn_ = nullptr;
    int backend_ = 0; // our own session: its notices come back to us too
    std::vector<std::string> queue_;
    bool sending_ = false;
    bool writeWait_ = false;
    bool stopped_ = false;
};

} // namespace kvxserver

#endif
