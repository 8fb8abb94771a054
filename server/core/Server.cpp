#include "Server.h"

#include <vector>

#include "Log.h"

namespace kvxserver {

Server::Server(asio::io_context& loop, const Options& options, AccountService& accounts, ContactService& contacts)
    : options_(options), accounts_(accounts), contacts_(contacts), acceptor_(loop), acceptRetry_(loop)
{
}

bool Server::Listen(std::string& error)
{
    tls_ = TlsContext::Make(options_, error);
    if (!tls_) return false;
    asio::error_code ec;
    const asio::ip::address address = asio::ip::make_address(options_.bindAddress, ec);
    if (ec) {
        error = "bad bind address '" + options_.bindAddress + "'";
        return false;
    }
    const asio::ip::tcp::endpoint endpoint(address, options_.port);
    acceptor_.open(endpoint.protocol(), ec);
    if (!ec) acceptor_.set_option(asio::ip::tcp::acceptor::reuse_address(true), ec);
    if (!ec) acceptor_.bind(endpoint, ec);
    if (!ec) acceptor_.listen(asio::socket_base::max_listen_connections, ec);
    if (ec) {
        error = "cannot listen on " + options_.bindAddress + ":" + std::to_string(options_.port) + ": " + ec.message();
        acceptor_.close(ec);
        return false;
    }
    Accept();
    return true;
}

asio::ip::tcp::endpoint Server::LocalEndpoint() const
{
    asio::error_code ignored;
    return acceptor_.local_endpoint(ignored);
}

void Server::Accept()
{
    acceptor_.async_accept(
        [this](const asio::error_code& error, asio::ip::tcp::socket socket) { OnAccept(error, std::move(socket)); });
}

void Server::OnAccept(const asio::error_code& error, asio::ip::tcp::socket socket)
{
    if (stopped_ || error == asio::error::operation_aborted) return;
    if (error) {
        // Out of descriptors and the like: keep serving the clients already here, and try
        // again shortly rather than spin on the same failure.
        LogLine("accept failed: %s", error.message().c_str());
        acceptRetry_.expires_after(std::chrono::milliseconds(100));
        acceptRetry_.async_wait([this](const asio::error_code& cancelled) {
            if (!cancelled && !stopped_) Accept();
        });
        return;
    }
    Accept();

    asio::error_code ec;
    const asio::ip::tcp::endpoint remote = socket.remote_endpoint(ec);
    if (ec) return; // gone before we looked
    const std::string address = remote.address().to_string();
    const char* refusal = nullptr;
    if (connections_.size() >= options_.maxConnections) {
        refusal = "server full";
    } else if (perAddress_[address] >= options_.maxPerAddress) {
        refusal = "too many connections from this address";
    }
    if (refusal != nullptr) {
        LogLine("refused %s:%u: %s", address.c_str(), remote.port(), refusal);
        if (perAddress_[address] == 0) perAddress_.erase(address);
        socket.close(ec);
        return;
    }

    auto connection = std::make_shared<Connection>(std::move(socket), remote, nextId_++, accounts_, contacts_, options_,
                                                   tls_->context(), [this](Connection& closed) { Forget(closed); });
    connections_.emplace(connection.get(), connection);
    ++perAddress_[address];
    connection->Start();
}

void Server::Forget(Connection& connection)
{
    auto count = perAddress_.find(connection.address());
    if (count != perAddress_.end() && --count->second == 0) perAddress_.erase(count);
    connections_.erase(&connection);
}

void Server::Stop()
{
    if (stopped_) return;
    stopped_ = true;
    asio::error_code ignored;
    acceptor_.close(ignored);
    acceptRetry_.cancel();
    std::vector<std::shared_ptr<Connection>> open;
    open.reserve(connections_.size());
    for (auto& entry : connections_) open.push_back(entry.second);
    for (auto& connection : open) connection->Close("server stopping");
    LogLine("stopped, %zu connections closed", open.size());
}

} // namespace kvxserver
