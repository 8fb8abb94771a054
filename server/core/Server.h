// Accepts clients and keeps the registry of open connections, turning away those beyond the
// total and per-address limits. Runs on the single event loop thread.
#ifndef KVX_SERVER_SERVER_H
#define KVX_SERVER_SERVER_H

#include <asio.hpp>

#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>

#include "AccountService.h"
#include "Connection.h"
#include "ContactService.h"
#include "Options.h"
#include "TlsContext.h"

namespace kvxserver {

class Server {
public:
    Server(asio::io_context& loop, const Options& options, AccountService& accounts, ContactService& contacts);

    // Readies TLS, binds and starts accepting; false with the reason when the certificate
    // or the address cannot be had.
    bool Listen(std::string& error);
    // The SHA-256 fingerprint of the certificate clients are shown, once listening.
    const std::string& Fingerprint() const { return tls_->fingerprint(); }
    asio::ip::tcp::endpoint LocalEndpoint() const;

    // Stops accepting and closes every connection. The loop then runs out of work.
    void Stop();

private:
    void Accept();
    void OnAccept(const asio::error_code& error, asio::ip::tcp::socket socket);
    void Forget(Connection& connection);

    const Options& options_;
    AccountService& accounts_;
    ContactService& contacts_;
    std::unique_ptr<TlsContext> tls_;
    asio::ip::tcp::acceptor acceptor_;
    asio::steady_timer acceptRetry_;
    std::unordered_map<Connection*, std::shared_ptr<Connection>> connections_;
    std::unordered_map<std::string, unsigned> perAddress_;
    std::uint64_t nextId_ = 1;
    bool stopped_ = false;
};

} // namespace kvxserver

#endif
